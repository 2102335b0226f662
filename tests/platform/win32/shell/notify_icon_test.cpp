#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/shell/shellapi.h"

namespace {

NOTIFYICONDATAA Data(UINT id, const char* tip)
{
    NOTIFYICONDATAA d{};
    d.cbSize = sizeof d;
    d.hWnd = reinterpret_cast<HWND>(0x1234);
    d.uID = id;
    d.uFlags = NIF_MESSAGE | NIF_TIP;
    d.uCallbackMessage = 0x56C;
    std::strncpy(d.szTip, tip, sizeof d.szTip - 1);
    return d;
}

TEST(NotifyIcon, IconsAreAddedChangedAndDeletedOnce)
{
    NOTIFYICONDATAA first = Data(1, "Launcher");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &first));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &first));
    auto icons = vls::win32::TrayIcons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].tip, "Launcher");
    EXPECT_EQ(icons[0].callbackMessage, 0x56Cu);

    NOTIFYICONDATAA renamed = Data(1, "Renamed");
    renamed.uFlags = NIF_TIP;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &renamed));
    EXPECT_EQ(vls::win32::TrayIcons()[0].tip, "Renamed");

    // A tip that fills the field without a terminator is cut at 64 characters.
    NOTIFYICONDATAA full = Data(1, "");
    std::memset(full.szTip, 'x', sizeof full.szTip);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &full));
    EXPECT_EQ(vls::win32::TrayIcons()[0].tip.size(), 64u);

    NOTIFYICONDATAA other = Data(2, "");
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &other));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &other));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &first));
    EXPECT_TRUE(vls::win32::TrayIcons().empty());
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr));
}

}  // namespace
