// A message box drawn by the window manager itself: for a desktop whose own
// dialog cannot be shown (no helper program for it), so an error still
// reaches the person at the screen instead of leaving it silent.
#include "platform/user/msgbox_window.h"

#include "platform/user/winuser.h"

#include <algorithm>

namespace vls::user {
namespace {

constexpr const char* kClassName = "VlsMessageBox";
constexpr int kMargin = 16;
constexpr int kGap = 8;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kNarrowest = 280;
constexpr int kWidestText = 560;

struct BoxState {
    const std::vector<std::string>* labels = nullptr;
    std::string text;
    int focused = 0;
    int cancel = -1;
    int pressed = -1;
    int chosen = -1;
    bool done = false;
    RECT textRect{};
    std::vector<RECT> buttons;
};

BoxState* StateOf(HWND hwnd) { return reinterpret_cast<BoxState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

int ButtonAt(const BoxState& box, POINT p)
{
    for (std::size_t i = 0; i < box.buttons.size(); ++i)
        if (PtInRect(&box.buttons[i], p))
            return static_cast<int>(i);
    return -1;
}

void Choose(BoxState& box, int index)
{
    box.chosen = index;
    box.done = true;
}

void Paint(HWND hwnd, BoxState& box)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT textRect = box.textRect;
    DrawTextA(dc, box.text.c_str(), -1, &textRect, DT_WORDBREAK | DT_NOPREFIX);
    for (std::size_t i = 0; i < box.buttons.size(); ++i) {
        RECT button = box.buttons[i];
        const bool down = box.pressed == static_cast<int>(i);
        DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
        DrawTextA(dc, (*box.labels)[i].c_str(), -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (box.focused == static_cast<int>(i)) {
            InflateRect(&button, -4, -4);
            DrawFocusRect(dc, &button);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    BoxState* const box = StateOf(hwnd);
    if (!box)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    const int count = static_cast<int>(box->buttons.size());
    switch (msg) {
    case WM_PAINT:
        Paint(hwnd, *box);
        return 0;
    case WM_LBUTTONDOWN:
        box->pressed = ButtonAt(*box, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (box->pressed >= 0)
            box->focused = box->pressed;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        const int at = ButtonAt(*box, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        ReleaseCapture();
        if (at >= 0 && at == box->pressed)
            Choose(*box, at);
        box->pressed = -1;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_SPACE)
            Choose(*box, box->focused);
        else if (wParam == VK_ESCAPE && box->cancel >= 0)
            Choose(*box, box->cancel);
        else if (wParam == VK_TAB || wParam == VK_RIGHT)
            box->focused = (box->focused + 1) % count;
        else if (wParam == VK_LEFT)
            box->focused = (box->focused + count - 1) % count;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_CLOSE:
        // Closed without a choice: the caller takes the box's cancel answer.
        Choose(*box, -1);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// Lays the text out above a row of buttons; the client size it needs.
SIZE Layout(BoxState& box)
{
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT measured{0, 0, kWidestText, 0};
    DrawTextA(dc, box.text.c_str(), -1, &measured, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);
    const int count = static_cast<int>(box.labels->size());
    const int row = count * kButtonWidth + (count - 1) * kGap;
    const int width = std::max({kNarrowest, static_cast<int>(measured.right) + 2 * kMargin, row + 2 * kMargin});
    box.textRect = {kMargin, kMargin, width - kMargin, kMargin + measured.bottom};
    const int top = box.textRect.bottom + kMargin;
    int left = (width - row) / 2;
    for (int i = 0; i < count; ++i, left += kButtonWidth + kGap)
        box.buttons.push_back(RECT{left, top, left + kButtonWidth, top + kButtonHeight});
    return SIZE{width, top + kButtonHeight + kMargin};
}

}  // namespace

int ShowOwnMessageBox(const std::string& caption, const std::string& text, const std::vector<std::string>& labels,
                      int defaultButton, int cancelButton)
{
    if (labels.empty())
        return kOwnBoxNotShown;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BoxProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // fails harmlessly when it is registered already

    BoxState box;
    box.labels = &labels;
    box.text = text;
    box.focused = std::clamp(defaultButton, 0, static_cast<int>(labels.size()) - 1);
    box.cancel = cancelButton;
    const SIZE client = Layout(box);
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    const HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, kClassName, caption.c_str(), style, x, y, width, height, nullptr,
                                      nullptr, nullptr, &box);
    if (!hwnd)
        return kOwnBoxNotShown;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);

    bool quit = false;
    int quitCode = 0;
    MSG msg;
    while (!box.done && IsWindow(hwnd)) {
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            // The program is asked to end: the box ends unanswered and the
            // request stays for the program's own loop.
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        // Modal to the whole program: input for its other windows waits
        // out the box instead of acting behind it.
        const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)
                           || (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
        if (input && msg.hwnd != hwnd)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (IsWindow(hwnd)) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    if (quit)
        PostQuitMessage(quitCode);
    return box.chosen;
}

}  // namespace vls::user
