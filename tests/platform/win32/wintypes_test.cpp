#include "platform/win32/wintypes.h"

#include <gtest/gtest.h>

// Structures that end up in files and savegames keep their 32-bit sizes.
TEST(WinTypes, StoredStructuresKeepTheirSizes)
{
    EXPECT_EQ(sizeof(DWORD), 4u);
    EXPECT_EQ(sizeof(LONG), 4u);
    EXPECT_EQ(sizeof(BOOL), 4u);
    EXPECT_EQ(sizeof(WCHAR), 2u);
    EXPECT_EQ(sizeof(RECT), 16u);
    EXPECT_EQ(sizeof(POINT), 8u);
    EXPECT_EQ(sizeof(SYSTEMTIME), 16u);
    EXPECT_EQ(sizeof(FILETIME), 8u);
    EXPECT_EQ(sizeof(LARGE_INTEGER), 8u);
    EXPECT_EQ(sizeof(WPARAM), sizeof(void*));
    EXPECT_EQ(sizeof(LPARAM), sizeof(void*));
}

TEST(WinTypes, PackingHelpers)
{
    EXPECT_EQ(MAKELONG(0x1234, 0xABCD), 0xABCD1234u);
    EXPECT_EQ(LOWORD(0xABCD1234u), 0x1234);
    EXPECT_EQ(HIWORD(0xABCD1234u), 0xABCD);
    // Mouse coordinates left of or above the window arrive as negative words.
    const LPARAM lp = MAKELPARAM(static_cast<WORD>(-5), 700);
    EXPECT_EQ(GET_X_LPARAM(lp), -5);
    EXPECT_EQ(GET_Y_LPARAM(lp), 700);
    EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
}
