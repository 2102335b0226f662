#include "platform/user/user_state.h"

#include <algorithm>

#include "platform/gdi/icons.h"

namespace vls::user {
namespace {

// Stock cursors are ours, not gdi objects: a handle is the address of one
// of these entries. Stock icons are gdi icons, so that they can be drawn.
struct StockImage {
    int id;
};

constexpr int kCursorIds[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643, 32644,
                              32645, 32646, 32648, 32649, 32650, 32651};

StockImage g_cursors[std::size(kCursorIds)] = {
    {32512}, {32513}, {32514}, {32515}, {32516}, {32642}, {32643}, {32644}, {32645}, {32646}, {32648}, {32649}, {32650}, {32651}};

int StockCursorId(HCURSOR cursor)
{
    for (const StockImage& c : g_cursors)
        if (reinterpret_cast<HCURSOR>(const_cast<StockImage*>(&c)) == cursor)
            return c.id;
    return 32512;  // any other cursor shows as the arrow
}

}  // namespace
}  // namespace vls::user

using namespace vls::user;

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (instance || !IS_INTRESOURCE(name))
        return nullptr;
    const int id = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
    for (StockImage& c : g_cursors)
        if (c.id == id)
            return reinterpret_cast<HCURSOR>(&c);
    return nullptr;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (instance || !IS_INTRESOURCE(name))
        return nullptr;
    return vls::gdi::StockIcon(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
}

BOOL DestroyCursor(HCURSOR) { return TRUE; }

int ShowCursor(BOOL show)
{
    State& s = Get();
    s.cursorCount += show ? 1 : -1;
    s.backend->SetCursorVisible(s.cursorCount >= 0 && s.cursor != nullptr);
    return s.cursorCount;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    State& s = Get();
    const HCURSOR old = s.cursor;
    s.cursor = cursor;
    if (cursor)
        s.backend->SetCursorShape(StockCursorId(cursor));
    s.backend->SetCursorVisible(s.cursorCount >= 0 && cursor != nullptr);
    return old;
}

HCURSOR GetCursor() { return Get().cursor; }

BOOL GetCursorPos(LPPOINT point)
{
    if (!point)
        return FALSE;
    PumpBackend();
    *point = Get().cursorPos;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    State& s = Get();
    int w = 0;
    int h = 0;
    s.backend->DesktopSize(w, h);
    x = std::clamp(x, 0, std::max(0, w - 1));
    y = std::clamp(y, 0, std::max(0, h - 1));
    s.backend->WarpCursor(x, y);
    s.cursorPos = {x, y};
    vls::backend::Event e;
    e.kind = vls::backend::EventKind::MouseMove;
    e.x = x;
    e.y = y;
    s.input.push_back(InputEvent{e, s.backend->NowMs()});
    return TRUE;
}

BOOL ClipCursor(const RECT*) { return TRUE; }
