#pragma once

#include <cstdlib>

// The C run-time's rand and srand are replaced in programs that link this
// library by the original run-time's generator: state = state * 214013 +
// 2531011, result = bits 16 to 30 of the state (0 to 32767). Each thread has
// its own state, seeded with 1.
// int rand();
// void srand(unsigned int seed);
#undef RAND_MAX
#define RAND_MAX 0x7FFF
