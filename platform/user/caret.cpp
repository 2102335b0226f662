#include "platform/user/user_state.h"

namespace vls::user {
namespace {

// The one caret, drawn by inverting its rectangle in the owner's client area.
struct Caret {
    HWND owner = nullptr;
    int width = 0;
    int height = 0;
    POINT pos{};
    int hideCount = 0;  // shown while 0
    bool drawn = false;
    bool offForPaint = false;
};

Caret& TheCaret()
{
    static Caret caret;
    return caret;
}

void Invert(const Caret& c)
{
    const HDC dc = GetDC(c.owner);
    if (!dc)
        return;
    PatBlt(dc, c.pos.x, c.pos.y, c.width, c.height, DSTINVERT);
    ReleaseDC(c.owner, dc);
}

void Draw(Caret& c, bool on)
{
    if (!Find(c.owner) || c.drawn == on)
        return;
    Invert(c);
    c.drawn = on;
}

}  // namespace

void HideCaretForPaint(HWND hwnd)
{
    Caret& c = TheCaret();
    if (c.owner == hwnd && c.drawn) {
        Draw(c, false);
        c.offForPaint = true;
    }
}

void ShowCaretAfterPaint(HWND hwnd)
{
    Caret& c = TheCaret();
    if (c.owner == hwnd && c.offForPaint) {
        c.offForPaint = false;
        if (c.hideCount == 0)
            Draw(c, true);
    }
}

}  // namespace vls::user

using namespace vls::user;

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height)
{
    if (!Find(hwnd))
        return FALSE;
    DestroyCaret();
    Caret& c = TheCaret();
    c.owner = hwnd;
    c.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
    c.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
    c.pos = {};
    c.hideCount = 1;  // a new caret starts hidden
    c.drawn = false;
    return TRUE;
}

BOOL DestroyCaret()
{
    Caret& c = TheCaret();
    if (!c.owner)
        return FALSE;
    Draw(c, false);
    c = Caret{};
    return TRUE;
}

BOOL ShowCaret(HWND hwnd)
{
    Caret& c = TheCaret();
    if (!c.owner || (hwnd && hwnd != c.owner) || c.hideCount == 0)
        return FALSE;
    if (--c.hideCount == 0)
        Draw(c, true);
    return TRUE;
}

BOOL HideCaret(HWND hwnd)
{
    Caret& c = TheCaret();
    if (!c.owner || (hwnd && hwnd != c.owner))
        return FALSE;
    if (c.hideCount++ == 0)
        Draw(c, false);
    return TRUE;
}

BOOL SetCaretPos(int x, int y)
{
    Caret& c = TheCaret();
    if (!c.owner)
        return FALSE;
    const bool was = c.drawn;
    Draw(c, false);
    c.pos = {x, y};
    if (was)
        Draw(c, true);
    return TRUE;
}

BOOL GetCaretPos(LPPOINT point)
{
    if (!point)
        return FALSE;
    *point = TheCaret().pos;
    return TRUE;
}

UINT GetCaretBlinkTime() { return 530; }
