#pragma once

// The visual-styles library, bound at run time so that the program also
// runs where it is missing (ours: ThemesActive stays false and every
// control takes its classic look).

#include "platform/uxtheme/uxtheme.h"

namespace skin {

struct TThemeApi {
    decltype(&::OpenThemeData) OpenThemeData = nullptr;
    decltype(&::CloseThemeData) CloseThemeData = nullptr;
    decltype(&::DrawThemeBackground) DrawThemeBackground = nullptr;
    decltype(&::DrawThemeText) DrawThemeText = nullptr;
    decltype(&::GetThemePartSize) GetThemePartSize = nullptr;
    decltype(&::GetThemeBackgroundRegion) GetThemeBackgroundRegion = nullptr;
    decltype(&::GetThemeSysColor) GetThemeSysColor = nullptr;
    decltype(&::IsThemeActive) IsThemeActive = nullptr;
    decltype(&::IsAppThemed) IsAppThemed = nullptr;
};

// The entry points while the library is loaded (all null otherwise).
const TThemeApi& ThemeApi();
bool ThemeApiAcquire();
void ThemeApiRelease();
bool ThemesActive();

}  // namespace skin
