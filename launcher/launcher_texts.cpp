#include "launcher/launcher_texts.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/vcl/streams.h"
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

namespace {

// Text never holds control characters other than the tab; a line that does
// is a piece of something else (a binary file, UTF-16 read as 8-bit text).
bool UnreadableLine(const WideString& line)
{
    return std::any_of(line.begin(), line.end(), [](char16_t c) { return c < u' ' && c != u'\t'; });
}

// Whether the text ends early at a NUL: the list stops reading there, and
// the line it stopped in is only a piece.
bool CutShortByNul(vcl::TMemoryStream& file)
{
    const std::uint8_t* bytes = file.Memory();
    const std::size_t size = static_cast<std::size_t>(file.Size());
    if (size == 0)
        return false;
    const bool utf16 = size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
    if (!utf16)
        return std::memchr(bytes, 0, size) != nullptr;
    for (std::size_t i = 2; i + 1 < size; i += 2)
        if (bytes[i] == 0 && bytes[i + 1] == 0)
            return true;
    return false;
}

}  // namespace

TableRead LauncherTexts::Load(const std::string& fileName)
{
    if (!vcl::FileExists(fileName))
        return TableRead::kMissing;
    Table table{std::make_unique<TWideStringList>(), {}};
    bool cutShort = false;
    try {
        vcl::TMemoryStream file;
        file.LoadFromFile(fileName);
        cutShort = CutShortByNul(file);
        file.SetPosition(0);
        table.lines->LoadFromStream(&file);
    } catch (const vcl::Exception&) {
        return TableRead::kDamaged;
    }
    const int count = table.lines->Count();
    if (count == 0)
        return TableRead::kDamaged;
    bool damaged = cutShort;
    for (int i = 0; i < count; ++i) {
        table.unreadable.push_back(UnreadableLine(table.lines->Strings(i)) || (cutShort && i == count - 1));
        damaged = damaged || table.unreadable.back();
    }
    tables_.push_back(std::move(table));
    return damaged ? TableRead::kDamaged : TableRead::kRead;
}

WideString LauncherTexts::Line(int index) const
{
    for (auto it = tables_.rbegin(); it != tables_.rend(); ++it)
        if (index >= 0 && index < it->lines->Count() && !it->unreadable[static_cast<size_t>(index)])
            return it->lines->Strings(index);
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
