#include "tools/demo/launcher_demo.h"

#include <cstdlib>

#include "launcher/launcher_settings.h"
#include "launcher/launcher_texts.h"
#include "platform/vcl/registry.h"
#include "tools/launcher_skin.h"
#include "tools/launcher_sounds.h"

namespace vls::tools {

namespace fs = std::filesystem;

namespace {

bool Relink(const fs::path& link, const fs::path& target, bool folder)
{
    std::error_code ec;
    fs::remove(link, ec);
    if (folder)
        fs::create_directory_symlink(target, link, ec);
    else
        fs::create_symlink(target, link, ec);
    return !ec;
}

}  // namespace

bool WriteLauncherDemo(const fs::path& launcherFolder, const fs::path& demoFolder, std::string& error)
{
    std::vector<std::u16string> table = launcher::DefaultLauncherTexts();
    table[launcher::kLineFlags].assign(1, u'x');  // the data-file button is shown
    if (!WriteLauncherTable(launcherFolder / "launcher.str", table) ||
        !WriteLauncherPicture(launcherFolder / "launcher.bmp") || !WriteLauncherSounds(launcherFolder)) {
        error = "cannot write the launcher's files into " + launcherFolder.string();
        return false;
    }
    const fs::path config = demoFolder / "config";
    std::error_code ec;
    fs::create_directories(config / "drives", ec);
    if (ec || !Relink(demoFolder / "vls", launcherFolder / "vls", false) ||
        !Relink(config / "drives" / "c:", demoFolder, true)) {
        error = "cannot set up the demo install in " + demoFolder.string();
        return false;
    }
    // The registry of the demo's own settings folder.
    setenv("VEILSTRAND_CONFIG", config.c_str(), 1);
    vcl::TRegistry registry;
    if (!registry.OpenKey(launcher::kRegistryKey, true)) {
        error = "cannot write the demo's registry in " + config.string();
        return false;
    }
    registry.WriteString(vcl::WideToAnsi(launcher::DefaultLauncherTexts()[launcher::kLineInstallValue]), "C:");
    registry.CloseKey();
    return true;
}

}  // namespace vls::tools
