#include "engine/app/start_heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::uintptr_t kHugePage = 2u << 20;
// Enough for the heap of the first frames, grown in one step so that it is
// one region that can be advised before anything lands in it.
constexpr int kReserve = 64 << 20;
// Blocks up to this size come from the heap, not from mappings of their own
// that would miss the advice.
constexpr int kLargestFromHeap = 32 << 20;

} // namespace

bool ReserveStartHeap()
{
    // Big blocks from the heap, which grows by the reserve at a time and
    // keeps it unless twice that lies free at its top: a heap that shrank
    // and grew again would have lost the advice.
    if (mallopt(M_MMAP_THRESHOLD, kLargestFromHeap) != 1 || mallopt(M_TOP_PAD, kReserve) != 1
        || mallopt(M_TRIM_THRESHOLD, 2 * kReserve) != 1)
        return false;
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // More than all the heap's free memory, so the heap grows by it and the
    // reserve at once; volatile, or the pair is optimised away.
    const std::size_t size = std::min<std::size_t>(mallinfo2().fordblks + (1u << 20), kLargestFromHeap);
    void* volatile grow = std::malloc(size);
    std::free(grow);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t first = (before + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = after & ~(kHugePage - 1);
    return last > first && madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE) == 0;
}
