// The reserved start-up heap: large blocks made after it land in memory that
// the kernel was asked to back with huge pages.
#include "engine/app/start_heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define VLS_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VLS_OWN_ALLOCATOR 1
#endif

namespace {

// The kernel lends huge pages to memory advised for them ("always" or
// "madvise").
bool HugePagesOnRequest()
{
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    return std::getline(setting, line) && line.find("[never]") == std::string::npos;
}

// The flags of the mapping of /proc/self/smaps that holds `address`; empty
// when none does.
std::string MappingFlags(std::uintptr_t address)
{
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        unsigned long long from = 0, to = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> from >> dash >> to && dash == '-' && line.find(':') > line.find(' '))
            inside = from <= address && address < to;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return line;
    }
    return {};
}

TEST(StartHeap, LargeBlocksAfterTheReserveLieInMemoryAdvisedForHugePages)
{
#ifdef VLS_OWN_ALLOCATOR
    GTEST_SKIP() << "the sanitizer's allocator has no heap of the C library's to reserve";
#endif
    if (!HugePagesOnRequest())
        GTEST_SKIP() << "the kernel lends no huge pages";
    // In a fresh process, as at the program's start: blocks that earlier
    // tests freed would serve a new block from outside the reserve.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (!ReserveStartHeap())
                std::_Exit(2);
            // Pictures and depth maps of a few megabytes, as the first frame makes.
            constexpr std::size_t kBlock = 6u << 20;
            void* volatile block = std::malloc(kBlock);
            const std::string flags = MappingFlags(reinterpret_cast<std::uintptr_t>(block) + kBlock / 2);
            std::fprintf(stderr, "%s\n", flags.c_str());
            std::_Exit(flags.find(" hg") != std::string::npos ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
