#include "launcher/launcher_texts.h"

#include "platform/vcl/sysobjs.h"

namespace launcher {

const std::vector<std::u16string>& DefaultLauncherTexts()
{
    static const std::vector<std::u16string> lines = {
        u"Start Veilstrand",
        u"Install Veilstrand",
        u"Install Datafiles (improves performance)",
        u"Remove Datafiles",
        u"Hardware Settings",
        u"Check for Updates",
        u"Internetforum",
        u"",
        u"No drive holds the Veilstrand data files.",
        u"Please insert the Veilstrand disc and try again.",
        u"The install drive has too little free space.",
        u"Installing the data files needs 3 GB.",
        u"Copying data files",
        u"Removing data files",
        u"A data file could not be copied.",
        u"",
        u"Hardware Settings",
        u"Anti-Aliasing",
        u"Off",
        u"2 Samples",
        u"4 Samples",
        u"Speaker",
        u"Stereo",
        u"Mono",
        u"Quad",
        u"Headphones",
        u"Surround",
        u"Digital 5.1",
        u"",
        u"",
        u"",
        u"Sound Buffer Size (Keep as low as possible)",
        u"Disable Hardware Sound Mixing",
        u"/updates/",
        u"/forum/",
        u"InstallPath",
        u"setup.exe",
        u"http://www.quarrybend.example/veilstrand/",
        u"",
    };
    return lines;
}

LauncherTexts::LauncherTexts() = default;
LauncherTexts::~LauncherTexts() = default;

bool LauncherTexts::Load(const std::string& fileName)
{
    if (!vcl::FileExists(fileName))
        return false;
    auto table = std::make_unique<TWideStringList>();
    table->LoadFromFile(fileName);
    tables_.push_back(std::move(table));
    return true;
}

WideString LauncherTexts::Line(int index) const
{
    for (auto it = tables_.rbegin(); it != tables_.rend(); ++it)
        if (index >= 0 && index < (*it)->Count())
            return (*it)->Strings(index);
    const auto& defaults = DefaultLauncherTexts();
    return index >= 0 && index < static_cast<int>(defaults.size()) ? defaults[static_cast<size_t>(index)]
                                                                   : WideString();
}

bool LauncherTexts::Flag(int position) const
{
    const WideString flags = Line(kLineFlags);
    return position >= 0 && position < static_cast<int>(flags.size()) && flags[static_cast<size_t>(position)] == u'x';
}

}  // namespace launcher
