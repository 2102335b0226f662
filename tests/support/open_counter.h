#pragma once

#include <filesystem>
#include <string>

namespace vls::test {

// Counts the openings of files in one folder as the kernel reports them, by
// any process.
class OpenCounter {
public:
    explicit OpenCounter(const std::filesystem::path& folder);
    ~OpenCounter();
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    bool Ready() const { return fd_ >= 0; }
    // Openings of `name` since the last call.
    int Take(const std::string& name);

private:
    int fd_ = -1;
};

// Gives a file a modification time an hour ago.
void MakeOld(const std::filesystem::path& file);

}  // namespace vls::test
