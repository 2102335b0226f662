#pragma once

// Visual styles. Our desktop has none: "uxtheme.dll" is not among the
// libraries LoadLibraryA finds, so callers that bind it at run time take the
// classic look. A test double (below) provides the library with themes on, so
// that tests can drive the themed paths.

#include <string>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/win32/wintypes.h"

using HTHEME = void*;

constexpr DWORD DTT_GRAYED = 0x1;

enum THEMESIZE { TS_MIN = 0, TS_TRUE = 1, TS_DRAW = 2 };

HTHEME OpenThemeData(HWND hwnd, LPCWSTR classList);
HRESULT CloseThemeData(HTHEME theme);
HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int part, int state, const RECT* rect, const RECT* clip);
HRESULT DrawThemeText(HTHEME theme, HDC hdc, int part, int state, LPCWSTR text, int length, DWORD flags,
                      DWORD flags2, const RECT* rect);
HRESULT GetThemePartSize(HTHEME theme, HDC hdc, int part, int state, const RECT* rect, THEMESIZE kind, SIZE* size);
HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC hdc, int part, int state, const RECT* rect, HRGN* region);
COLORREF GetThemeSysColor(HTHEME theme, int colorId);
BOOL IsThemeActive();
BOOL IsAppThemed();

namespace vls::uxtheme {

// What the test double's drawing calls were asked to do.
struct ThemeCall {
    std::string function;
    std::u16string classList;
    int part = 0;
    int state = 0;
    RECT rect{};
};

// Makes "uxtheme.dll" loadable with themes on; `active` false later turns
// them off again (IsThemeActive answers 0) without unloading.
void InstallTestTheme(bool active = true);
bool TestThemeInstalled();
const std::vector<ThemeCall>& TestThemeCalls();
void ClearTestThemeCalls();
// The colour the double paints theme backgrounds with.
constexpr COLORREF kTestThemeColor = RGB(0x31, 0x6A, 0xC5);

}  // namespace vls::uxtheme
