#include "platform/uxtheme/uxtheme.h"

#include <memory>
#include <mutex>

#include "platform/gdi/syscolors.h"
#include "platform/win32/kernel/module.h"

namespace vls::uxtheme {

namespace {

struct ThemeHandle {
    std::u16string classList;
};

struct DoubleState {
    bool installed = false;
    bool active = false;
    std::vector<ThemeCall> calls;
    std::vector<std::unique_ptr<ThemeHandle>> open;
};

DoubleState& State()
{
    static DoubleState s;
    return s;
}

ThemeHandle* Find(HTHEME theme)
{
    for (const auto& h : State().open) {
        if (h.get() == theme)
            return h.get();
    }
    return nullptr;
}

void Record(const char* function, HTHEME theme, int part, int state, const RECT* rect)
{
    ThemeCall c;
    c.function = function;
    if (ThemeHandle* h = Find(theme))
        c.classList = h->classList;
    c.part = part;
    c.state = state;
    if (rect)
        c.rect = *rect;
    State().calls.push_back(c);
}

}  // namespace

// Through void*, so that no function-type cast warning is raised: the caller
// casts back to the real type before calling.
template <typename Function>
FARPROC AsProc(Function* function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

void InstallTestTheme(bool active)
{
    static const win32::ProcTableEntry kExports[] = {
        {"OpenThemeData", AsProc(&::OpenThemeData)},
        {"CloseThemeData", AsProc(&::CloseThemeData)},
        {"DrawThemeBackground", AsProc(&::DrawThemeBackground)},
        {"DrawThemeText", AsProc(&::DrawThemeText)},
        {"GetThemePartSize", AsProc(&::GetThemePartSize)},
        {"GetThemeBackgroundRegion", AsProc(&::GetThemeBackgroundRegion)},
        {"GetThemeSysColor", AsProc(&::GetThemeSysColor)},
        {"IsThemeActive", AsProc(&::IsThemeActive)},
        {"IsAppThemed", AsProc(&::IsAppThemed)},
    };
    if (!State().installed)
        win32::RegisterModuleExports("uxtheme.dll", kExports);
    State().installed = true;
    State().active = active;
}

bool TestThemeInstalled() { return State().installed; }
const std::vector<ThemeCall>& TestThemeCalls() { return State().calls; }
void ClearTestThemeCalls() { State().calls.clear(); }

}  // namespace vls::uxtheme

using namespace vls::uxtheme;

BOOL IsThemeActive() { return State().installed && State().active; }
BOOL IsAppThemed() { return IsThemeActive(); }

HTHEME OpenThemeData(HWND, LPCWSTR classList)
{
    if (!IsThemeActive() || !classList)
        return nullptr;
    auto h = std::make_unique<ThemeHandle>();
    h->classList = classList;
    HTHEME theme = h.get();
    State().open.push_back(std::move(h));
    return theme;
}

HRESULT CloseThemeData(HTHEME theme)
{
    auto& open = State().open;
    for (auto it = open.begin(); it != open.end(); ++it) {
        if (it->get() == theme) {
            open.erase(it);
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int part, int state, const RECT* rect, const RECT* clip)
{
    if (!Find(theme) || !rect)
        return E_INVALIDARG;
    Record("DrawThemeBackground", theme, part, state, rect);
    RECT r = *rect;
    if (clip) {
        r.left = std::max(r.left, clip->left);
        r.top = std::max(r.top, clip->top);
        r.right = std::min(r.right, clip->right);
        r.bottom = std::min(r.bottom, clip->bottom);
    }
    HBRUSH brush = CreateSolidBrush(kTestThemeColor);
    FillRect(hdc, &r, brush);
    DeleteObject(brush);
    return S_OK;
}

HRESULT DrawThemeText(HTHEME theme, HDC hdc, int part, int state, LPCWSTR text, int length, DWORD flags, DWORD,
                      const RECT* rect)
{
    if (!Find(theme) || !rect)
        return E_INVALIDARG;
    Record("DrawThemeText", theme, part, state, rect);
    RECT r = *rect;
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    DrawTextW(hdc, text, length, &r, flags);
    SetBkMode(hdc, oldMode);
    return S_OK;
}

HRESULT GetThemePartSize(HTHEME theme, HDC, int part, int state, const RECT* rect, THEMESIZE, SIZE* size)
{
    if (!Find(theme) || !size)
        return E_INVALIDARG;
    Record("GetThemePartSize", theme, part, state, rect);
    size->cx = 13;
    size->cy = 13;
    return S_OK;
}

HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC, int part, int state, const RECT* rect, HRGN* region)
{
    if (!Find(theme) || !rect || !region)
        return E_INVALIDARG;
    Record("GetThemeBackgroundRegion", theme, part, state, rect);
    *region = CreateRectRgnIndirect(rect);
    return S_OK;
}

COLORREF GetThemeSysColor(HTHEME, int colorId) { return vls::gdi::SysColor(colorId); }
