#pragma once

#include "skin/skins/sk_skin_manager.h"
#include "tools/launcher_skin.h"
#include "tools/skin_writer.h"

namespace skin::test {

// Gives `manager` the launcher's skin, read the way a form reads it.
inline void LoadLauncherSkin(TSkSkinManager& manager)
{
    TSkSkinSource source(nullptr);
    vls::tools::BuildLauncherSkin(source);
    const auto bytes = vls::tools::WriteSkinFormProperty(source);
    vcl::TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    s.SetPosition(0);
    manager.ReadSkinStream(&s);
}

}  // namespace skin::test
