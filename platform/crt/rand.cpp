#include "platform/crt/rand.h"

#include <cstdint>

namespace {
thread_local std::uint32_t t_randState = 1;
}

extern "C" {

int rand() noexcept
{
    t_randState = t_randState * 214013u + 2531011u;
    return static_cast<int>((t_randState >> 16) & 0x7FFF);
}

void srand(unsigned int seed) noexcept
{
    t_randState = seed;
}

} // extern "C"
