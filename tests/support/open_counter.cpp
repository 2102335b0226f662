#include "tests/support/open_counter.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>

namespace vls::test {

OpenCounter::OpenCounter(const std::filesystem::path& folder)
{
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0 && inotify_add_watch(fd_, folder.c_str(), IN_OPEN) < 0) {
        close(fd_);
        fd_ = -1;
    }
}

OpenCounter::~OpenCounter()
{
    if (fd_ >= 0)
        close(fd_);
}

int OpenCounter::Take(const std::string& name)
{
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            return count;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len && name == event->name)
                ++count;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void MakeOld(const std::filesystem::path& file)
{
    std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
}

}  // namespace vls::test
