#include "skin/graphics/sk_theme.h"

#include <mutex>

#include "platform/win32/kernel/module.h"

namespace skin {

namespace {

std::mutex themeApiLock;
int references = 0;
HMODULE library = nullptr;
TThemeApi api;

template <class F>
void Bind(F& slot, const char* name)
{
    // GetProcAddress hands back a generic function; the name fixes the type.
    slot = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace

const TThemeApi& ThemeApi() { return api; }

bool ThemeApiAcquire()
{
    std::lock_guard lock(themeApiLock);
    ++references;
    if (!library) {
        library = LoadLibraryA("uxtheme.dll");
        if (library) {
            Bind(api.OpenThemeData, "OpenThemeData");
            Bind(api.CloseThemeData, "CloseThemeData");
            Bind(api.DrawThemeBackground, "DrawThemeBackground");
            Bind(api.DrawThemeText, "DrawThemeText");
            Bind(api.GetThemePartSize, "GetThemePartSize");
            Bind(api.GetThemeBackgroundRegion, "GetThemeBackgroundRegion");
            Bind(api.GetThemeSysColor, "GetThemeSysColor");
            Bind(api.IsThemeActive, "IsThemeActive");
            Bind(api.IsAppThemed, "IsAppThemed");
        }
    }
    return library != nullptr;
}

void ThemeApiRelease()
{
    std::lock_guard lock(themeApiLock);
    if (references > 0)
        --references;
    if (library && references == 0) {
        FreeLibrary(library);
        library = nullptr;
        api = TThemeApi{};
    }
}

bool ThemesActive()
{
    return library && api.IsAppThemed && api.IsThemeActive && api.IsAppThemed() && api.IsThemeActive();
}

}  // namespace skin
