#include "tools/demo/demo_data.h"

#include "tools/demo/demo_cove.h"
#include "tools/demo/demo_figure.h"
#include "tools/demo/demo_harbour.h"
#include "tools/demo/demo_hints.h"
#include "tools/demo/demo_inventory_pictures.h"
#include "tools/demo/demo_lighthouse.h"
#include "tools/demo/demo_menu.h"
#include "tools/demo/demo_messenger.h"
#include "tools/demo/demo_particles.h"
#include "tools/demo/demo_screen_controls.h"
#include "tools/demo/demo_story.h"
#include "tools/demo/demo_voices.h"

#include "engine/render/image_format.h"
#include "tools/archive_builder.h"
#include "tools/font_writer.h"
#include "tools/gr2_figure.h"
#include "tools/gr2_writer.h"
#include "tools/image_writer.h"
#include "tools/launcher_sounds.h"
#include "tools/script_assembler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace vls::tools {
namespace {

constexpr std::size_t kProjectHeaderSize = 10076;
constexpr std::size_t kProjectNameSize = 64;
constexpr std::size_t kCursorCountOffset = 128;

void PutText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text)
{
    const std::size_t length = std::min(text.size(), kProjectNameSize - 1);
    std::memcpy(bytes.data() + offset, text.data(), length);
}

// The engine asks for cursors 0 (normal), 10 (a menu item, a page to
// turn), 12 (a dialogue option) and 13 (an exit); the project has every
// index up to the highest, the ones it asks for in their own colours.
constexpr std::uint8_t kCursorCount = 14;

std::uint32_t CursorColour(int index)
{
    switch (index) {
    case 10: return 0xFFF0C040;
    case 12: return 0xFF60E060;
    case 13: return 0xFF60C0F0;
    default: return 0xFFF0F0F0;
    }
}

// An arrow cursor with a dark rim, hotspot at its tip.
std::vector<std::uint8_t> MakeCursorImage(std::uint32_t colour)
{
    Picture arrow(16, 16, 0x00000000);
    for (std::uint32_t y = 0; y < 16; ++y)
        for (std::uint32_t x = 0; x <= y / 2 + y / 4 && x < 16; ++x) {
            const bool rim = x == 0 || x == y / 2 + y / 4 || y == 15;
            arrow.At(x, y) = rim ? 0xFF202020 : colour;
        }
    KestruneImageHeader header;
    header.alpha = 1;
    return WriteImage(header, {arrow});
}

// A horizontal colour ramp, for the interface pictures.
std::vector<std::uint8_t> MakePanelImage(std::uint32_t width, std::uint32_t height, std::uint32_t tint,
                                         std::uint32_t frames)
{
    std::vector<Picture> pictures;
    for (std::uint32_t f = 0; f < frames; ++f) {
        Picture panel(width, height);
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint32_t shade = (x * 255 / std::max<std::uint32_t>(width - 1, 1) + f * 64) & 0xFF;
                panel.At(x, y) = 0xFF000000 | (tint & (shade * 0x010101));
            }
        pictures.push_back(std::move(panel));
    }
    KestruneImageHeader header;
    header.frameRate = frames > 1 ? 4 : 0;
    return WriteImage(header, pictures);
}

void Pack(ArchiveBuilder& builder, DemoReport& report, const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    builder.Add(name, bytes);
    report.packed.push_back(name);
}

}  // namespace

const char* DemoProjectScriptSource()
{
    static const std::string source = std::string(
#include "project_script.inc"
        ) + MessengerProjectScript();
    return source.c_str();
}

std::vector<std::uint8_t> MakeDemoProject(const std::string& scriptSource)
{
    std::vector<std::uint8_t> bytes(kProjectHeaderSize, 0);
    PutText(bytes, 0, "Veilstrand Demo");
    PutText(bytes, kProjectNameSize, "demo data 1");
    bytes[kCursorCountOffset] = kCursorCount;
    // No inventory items: empty names and zero tables.
    const std::vector<std::uint8_t> script = AssembleScriptBytes(scriptSource);
    bytes.insert(bytes.end(), script.begin(), script.end());
    for (int index = 0; index < kCursorCount; ++index) {
        const std::vector<std::uint8_t> cursor = MakeCursorImage(CursorColour(index));
        bytes.insert(bytes.end(), cursor.begin(), cursor.end());
    }
    return bytes;
}

bool WriteDemoData(const std::filesystem::path& folder, DemoReport& report, std::string& error)
{
    ArchiveBuilder builder;
    try {
        std::vector<std::uint8_t> project = MakeDemoProject(DemoProjectScriptSource());
        const DemoStory story = MakeDemoStory();
        PutProjectItems(project, story.items, story.inventory);
        Pack(builder, report, "project", project);
        for (const DemoResource& resource : story.resources)
            Pack(builder, report, resource.first, resource.second);
    } catch (const std::runtime_error& failure) {
        error = std::string("project script: ") + failure.what();
        return false;
    }

    const int fontSizes[2] = {18, 14};
    for (int i = 0; i < 2; ++i) {
        BitmapFontOptions options;
        options.pixelSize = fontSizes[i];
        std::string fontError;
        const std::vector<std::uint8_t> font = WriteBitmapFont(options, fontError);
        const std::string name = "font" + std::to_string(i + 1);
        if (font.empty())
            report.notes.push_back(name + " left out: " + fontError);
        else
            Pack(builder, report, name, font);
    }

    Pack(builder, report, "figure.gr2", WriteGr2(TurnedFigureScene()));
    Pack(builder, report, "figure_walk.gr2", WriteGr2(TurnedWalkScene()));
    Pack(builder, report, "figure_idle.gr2", WriteGr2(TurnedIdleScene()));
    Pack(builder, report, "lantern.gr2", WriteGr2(MakePropScene()));
    for (const DemoResource& resource : MakeInventoryPictures())
        Pack(builder, report, resource.first, resource.second);
    Pack(builder, report, "title.image", MakePanelImage(256, 128, 0xFFE0A0, 4));
    for (const auto& [name, bytes] : MakeMenuResources())
        Pack(builder, report, name, bytes);
    // The frame's screen images: the fade screens and the loading indicator
    // in the lower right corner.
    Pack(builder, report, "blackscreen.image", WriteImage(KestruneImageHeader{}, {Picture(8, 8, 0xFF000000)}));
    Pack(builder, report, "whitescreen.image", WriteImage(KestruneImageHeader{}, {Picture(8, 8, 0xFFFFFFFF)}));
    Pack(builder, report, "cd.image", MakePanelImage(64, 64, 0xE0E0FF, 4));
    // The interface texts: key, one blank, value.
    const std::string uiInfo = "# The demo's interface texts.\r\nDEMO_TITLE Veilstrand Demo\r\n" + MenuUiInfoLines() + "-\r\n";
    Pack(builder, report, "ui_info", std::vector<std::uint8_t>(uiInfo.begin(), uiInfo.end()));
    try {
        for (const DemoResource& resource : MakeHarbourResources())
            Pack(builder, report, resource.first, resource.second);
    } catch (const std::runtime_error& failure) {
        error = std::string("harbour scene script: ") + failure.what();
        return false;
    }
    for (const DemoResource& resource : MakeVoiceResources())
        Pack(builder, report, resource.first, resource.second);
    for (const DemoResource& resource : MakeHintResources())
        Pack(builder, report, resource.first, resource.second);
    for (const DemoResource& resource : MakeParticleResources())
        Pack(builder, report, resource.first, resource.second);
    for (const DemoResource& resource : MakeScreenControlResources())
        Pack(builder, report, resource.first, resource.second);
    try {
        for (const DemoResource& resource : MakeCoveResources())
            Pack(builder, report, resource.first, resource.second);
    } catch (const std::runtime_error& failure) {
        error = std::string("cove scene script: ") + failure.what();
        return false;
    }
    try {
        std::string messengerError;
        const std::vector<DemoResource> messenger = MakeMessengerResources(messengerError);
        if (messenger.empty()) {
            error = "messenger animations: " + messengerError;
            return false;
        }
        for (const DemoResource& resource : messenger)
            Pack(builder, report, resource.first, resource.second);
    } catch (const std::runtime_error& failure) {
        error = std::string("messenger scripts: ") + failure.what();
        return false;
    }
    try {
        std::string videoError;
        const std::vector<DemoResource> lighthouse = MakeLighthouseResources(videoError);
        if (lighthouse.empty()) {
            error = "lighthouse video: " + videoError;
            return false;
        }
        for (const DemoResource& resource : lighthouse)
            Pack(builder, report, resource.first, resource.second);
    } catch (const std::runtime_error& failure) {
        error = std::string("lighthouse scene script: ") + failure.what();
        return false;
    }

    if (!builder.Write(folder)) {
        error = "cannot write the archive into " + folder.string();
        return false;
    }
    if (!WriteLauncherSounds(folder)) {
        error = "cannot write the launcher sounds into " + folder.string();
        return false;
    }
    return true;
}

}  // namespace vls::tools
