// Plays the input as an input script (VEILSTRAND_INPUT) through the reader,
// its line splitting and the step clock, with a target that records nothing.
// Every bad line must come with a reason, and a step must never move the
// virtual clock backwards.

#include "platform/win32/backend/headless/input_script.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class NullTarget : public vls::headless::ScriptTarget {
public:
    std::string Apply(const vls::headless::ScriptCommand&) override { return {}; }
    void InputClosed() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = memfd_create("input-script", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, data, size) != static_cast<ssize_t>(size) || lseek(fd, 0, SEEK_SET) != 0) {
        close(fd);
        return 0;
    }
    vls::headless::InputScript script(fd, -1, false, -1, [](const std::string& message) {
        if (message.empty() || message.back() == ' ')
            std::abort();  // a report always says why
    });
    NullTarget target;
    std::uint64_t last = 0;
    // Every turn ends a step or the script, so the input's size bounds the turns.
    for (std::size_t turn = 0; turn <= size + 1 && script.Virtual(); ++turn) {
        script.Poll(target);
        script.Wait(0xFFFFFFFFu);
        const std::uint64_t now = script.ReadClock();
        if (now < last)
            std::abort();
        last = now;
    }
    if (script.Virtual())
        std::abort();  // a file always ends the script
    return 0;
}
