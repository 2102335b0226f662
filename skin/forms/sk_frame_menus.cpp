#include "skin/forms/sk_frame_menus.h"

namespace skin {

namespace {
IFrameMenus* g_frameMenus = nullptr;
}

void InstallFrameMenus(IFrameMenus* menus) { g_frameMenus = menus; }

IFrameMenus* FrameMenus() { return g_frameMenus; }

}  // namespace skin
