#include "platform/crt/gcvt.h"
#include "platform/crt/rand.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

struct GcvtCase {
    double value;
    int digits;
    const char* expected;
};

TEST(Gcvt, FormatsAsTheOriginalRunTime)
{
    const GcvtCase cases[] = {
        {1e7, 6, "1.e+007"},
        {12.0, 6, "12."},
        {0.5, 6, "0.5"},
        {0.0, 6, "0."},
        {-12.0, 6, "-12."},
        {123456.0, 6, "123456."},
        {1234567.0, 6, "1.23457e+006"},
        {0.1, 6, "0.1"},
        {0.05, 6, "5.e-002"},
        {0.0123, 6, "1.23e-002"},
        {3.14159265, 3, "3.14"},
        {9.9999999, 6, "10."},
        {1e100, 6, "1.e+100"},
        {-1234567890.123, 12, "-1234567890.12"},
        {-123456789012.3, 12, "-123456789012."},
        {-1234567890123.0, 12, "-1.23456789012e+012"},
        {-0.0123456789012, 12, "-1.23456789012e-002"},
        {-0.123456789012, 12, "-0.123456789012"},
        {2.5, 1, "3."},
        // Rounding that carries into a new decade picks the notation of the result.
        {999999.5, 6, "1.e+006"},
        {0.0999999940395355, 6, "0.1"},
        {99999.953125, 6, "100000."},
    };
    for (const GcvtCase& c : cases) {
        char buffer[64];
        EXPECT_STREQ(_gcvt(c.value, c.digits, buffer), c.expected) << c.value << " with " << c.digits << " digits";
    }
}

TEST(Rand, FollowsTheClassicGenerator)
{
    srand(1);
    const int fromSeedOne[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (const int expected : fromSeedOne)
        EXPECT_EQ(rand(), expected);

    srand(12345);
    const int first = rand();
    srand(12345);
    EXPECT_EQ(rand(), first);
    EXPECT_EQ(RAND_MAX, 0x7FFF);
}

TEST(Rand, EachThreadStartsFromSeedOne)
{
    srand(999);
    rand();
    int inThread = -1;
    std::thread([&] { inThread = rand(); }).join();
    EXPECT_EQ(inThread, 41);
}

TEST(Rand, StaysInFifteenBits)
{
    srand(0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        const int value = rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 0x7FFF);
    }
}

} // namespace
