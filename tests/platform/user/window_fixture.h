#pragma once

// A window class that records every message its windows receive, with
// per-window answers, for tests of the window manager's message order.

#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/user/user_control.h"
#include "platform/user/winuser.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vls::test {

struct Received {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

using Answer = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

class WindowTest : public ::testing::Test {
protected:
    static constexpr const char* kClass = "RecTest";
    static constexpr const char* kDblClass = "RecTestDbl";

    void SetUp() override;
    void TearDown() override;

    HWND Make(DWORD style, int x, int y, int w, int h, HWND parent = nullptr, DWORD exStyle = 0,
              const char* cls = kClass, const char* title = "t");
    // Messages received since the last Clear(), as names, leaving out the
    // ones a test rarely cares about unless asked for.
    std::vector<std::string> Names(HWND only = nullptr) const;
    std::vector<Received> Of(UINT msg) const;
    void Clear() { log_.clear(); }
    void Pump();  // dispatches all that is queued

    static WindowTest* current_;
    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    std::vector<Received> log_;
    std::map<HWND, Answer> answers_;
    std::vector<UINT> ignored_;
};

std::string MessageName(UINT msg);

}  // namespace vls::test
