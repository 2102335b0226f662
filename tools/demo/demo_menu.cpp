#include "tools/demo/demo_menu.h"

#include "engine/render/image_format.h"
#include "tools/demo/demo_lettering.h"
#include "tools/image_writer.h"
#include "tools/sound_writer.h"

#include <algorithm>

namespace vls::tools {
namespace {

// A clickable area as "ui_info" gives it: left, top, right, bottom.
struct Area {
    const char* key;
    int left, top, right, bottom;
};

// The main screen's six items, stacked on the 512 x 512 main picture; the
// offset key carries none of its own.
const Area kMainAreas[] = {{"MENU_MAIN_MOOFS", 0, 0, 0, 0},          {"MENU_MAIN_NEWGAME", 96, 64, 416, 112},
                           {"MENU_MAIN_LOADGAME", 96, 128, 416, 176}, {"MENU_MAIN_SAVEGAME", 96, 192, 416, 240},
                           {"MENU_MAIN_OPTIONS", 96, 256, 416, 304},  {"MENU_MAIN_KEYS", 96, 320, 416, 368},
                           {"MENU_MAIN_QUIT", 96, 384, 416, 432}};
// Four sliders and the subtitle switch; the knob travels 128 pixels.
const Area kOptionAreas[] = {
    {"MENU_OPT_MOOFS", 0, 0, 0, 0},         {"MENU_OPT_VOLMM", 200, 80, 338, 112},  {"MENU_OPT_VOLMD", 200, 144, 338, 176},
    {"MENU_OPT_VOLME", 200, 208, 338, 240}, {"MENU_OPT_VOLMG", 200, 272, 338, 304}, {"MENU_OPT_VOLMS", 200, 336, 232, 368},
    {"MENU_OPT_VOLOM", 40, 80, 190, 112},   {"MENU_OPT_VOLOD", 40, 144, 190, 176},  {"MENU_OPT_VOLOE", 40, 208, 190, 240},
    {"MENU_OPT_VOLOG", 40, 272, 190, 304},  {"MENU_OPT_VOLOS", 40, 336, 190, 368},  {"MENU_OPT_VOLCS", 200, 336, 232, 368}};
// The entry panel and the name field, as offsets on the 512 x 512 picture at
// (256, 128): the engine adds about (256, 128) itself, and writes the entry's
// name just above the panel, its date below it and the typed name in the field.
const Area kSlotAreas[] = {{"MENU_SAVEGAME_WINDOW", 128, 100, 384, 228}, {"MENU_SAVEGAME_LARROW", 112, 400, 144, 432},
                           {"MENU_SAVEGAME_RARROW", 368, 400, 400, 432}, {"MENU_SAVEGAME_MOOFS", 129, 100, 385, 228},
                           {"MENU_SAVEGAME_EDITFIELD", 128, 250, 384, 290}};

constexpr std::uint32_t kPanel = 0xE0203040;
constexpr std::uint32_t kButton = 0xFF3C6E8C;
constexpr std::uint32_t kLit = 0xFFE8C060;

void Fill(Picture& picture, int left, int top, int right, int bottom, std::uint32_t colour)
{
    for (int y = std::max(top, 0); y < std::min(bottom, static_cast<int>(picture.height)); ++y)
        for (int x = std::max(left, 0); x < std::min(right, static_cast<int>(picture.width)); ++x)
            picture.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) = colour;
}

std::vector<std::uint8_t> Image(const Picture& picture, int frames = 1)
{
    KestruneImageHeader header;
    header.alpha = 1;
    header.frameRate = frames > 1 ? 12 : 0;
    return WriteImage(header, std::vector<Picture>(static_cast<std::size_t>(frames), picture));
}

constexpr std::uint32_t kLabel = 0xFFF0F0F0;
constexpr std::uint32_t kLitLabel = 0xFF202830;
constexpr int kLabelSize = 24;

// A panel with a box over each area, in the normal or the highlighted look,
// each box carrying its label (none where the label is empty).
template <std::size_t N>
Picture Boxes(const Area (&areas)[N], const char* const (&labels)[N], std::uint32_t colour, std::uint32_t ground,
              std::uint32_t ink)
{
    Picture picture(512, 512, ground);
    for (std::size_t i = 1; i < N; ++i) {
        const Area& a = areas[i];
        Fill(picture, a.left, a.top, a.right, a.bottom, colour);
        if (labels[i][0])
            DrawCentredText(picture, a.left, a.top, a.right, a.bottom, labels[i], kLabelSize, ink);
    }
    return picture;
}

const char* const kMainLabels[] = {"", "New game", "Load game", "Save game", "Options", "Keys", "Quit"};
const char* const kOptionLabels[] = {"", "", "", "", "", "", "Music", "Speech", "Effects", "Gamma", "Subtitles", ""};
const char* const kKeys[] = {"Esc  menu, back", "Left click  walk, use", "Right click  look", "F8  screenshot",
                             "M  messenger"};

template <std::size_t N>
void AddLines(std::string& lines, const Area (&areas)[N])
{
    for (const Area& area : areas)
        lines += std::string(area.key) + " " + std::to_string(area.left) + "," + std::to_string(area.top) + ","
            + std::to_string(area.right) + "," + std::to_string(area.bottom) + "\r\n";
}

std::vector<std::uint8_t> Click(double hz, double seconds)
{
    return WriteWav(MakeSine(22050, 1, hz, seconds, 6000));
}

// The engine's fixed back area in screen pixels. It straddles the main
// picture at (256, 128) and the side picture at (768, 128): each draws its
// part of the button, and the label is split where the pictures meet.
constexpr int kBackLeft = 736, kBackTop = 304, kBackRight = 791, kBackBottom = 412;

void DrawBack(Picture& picture, int pictureLeft, int pictureTop)
{
    const int left = kBackLeft - pictureLeft, top = kBackTop - pictureTop;
    const int right = kBackRight - pictureLeft, bottom = kBackBottom - pictureTop;
    Fill(picture, left, top, right, bottom, kButton);
    DrawCentredText(picture, left, top, right, bottom, "Back", 16, kLabel);
}

constexpr int kMainLeft = 256, kSideLeft = 768, kPictureTop = 128;

}  // namespace

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> MakeMenuResources()
{
    Picture side(256, 512, kPanel);
    DrawBack(side, kSideLeft, kPictureTop);
    Picture confirm(512, 256, kPanel);
    // The fixed yes (448..493, 379..444) and no (531..576, 354..419) buttons,
    // relative to the picture's place at (256, 256).
    Fill(confirm, 192, 123, 237, 188, 0xFF40A040);
    Fill(confirm, 275, 98, 320, 163, 0xFFA04040);
    DrawCentredText(confirm, 192, 123, 237, 188, "Yes", 16, kLabel);
    DrawCentredText(confirm, 275, 98, 320, 163, "No", 16, kLabel);
    DrawCentredText(confirm, 0, 20, 512, 80, "Are you sure?", kLabelSize, kLabel);
    Picture keys(512, 512, kPanel);
    for (int row = 0; row < 5; ++row) {
        Fill(keys, 64, 64 + row * 80, 448, 112 + row * 80, kButton);
        DrawCentredText(keys, 64, 64 + row * 80, 448, 112 + row * 80, kKeys[row], 20, kLabel);
    }
    DrawBack(keys, kMainLeft, kPictureTop);
    Picture knob(16, 16, kLit);
    // The load and save picture: the panel's frame and the name field; the
    // arrows are pictures of their own, drawn only where paging can go.
    Picture slots(512, 512, kPanel);
    const Area& window = kSlotAreas[0];
    const Area& field = kSlotAreas[4];
    Fill(slots, window.left - 4, window.top - 4, window.right + 4, window.bottom + 4, kButton);
    Fill(slots, field.left, field.top, field.right, field.bottom, kButton);
    DrawBack(slots, kMainLeft, kPictureTop);
    Picture main = Boxes(kMainAreas, kMainLabels, kButton, kPanel, kLabel);
    DrawBack(main, kMainLeft, kPictureTop);
    Picture options = Boxes(kOptionAreas, kOptionLabels, kButton, kPanel, kLabel);
    DrawBack(options, kMainLeft, kPictureTop);
    Picture arrows(64, 32, 0);
    Fill(arrows, 0, 0, 32, 32, kButton);
    Fill(arrows, 32, 0, 64, 32, kLit);
    Picture slotHighlight(256, 128, 0x40FFFFFF);
    Picture screen(256, 128, 0xFF101820);
    Picture noise(256, 128, 0);
    for (std::uint32_t y = 0; y < 128; y += 4)
        Fill(noise, 0, static_cast<int>(y), 256, static_cast<int>(y) + 1, 0x60FFFFFF);

    return {
        {"menu_main.image", Image(main)},
        {"menu_main_mo.image", Image(Boxes(kMainAreas, kMainLabels, kLit, 0, kLitLabel))},
        {"menu_right_up.image", Image(side)},
        {"menu_right_down.image", Image(side)},
        {"menu_confirm.image", Image(confirm)},
        {"menu_keys.image", Image(keys)},
        {"menu_options.image", Image(options)},
        {"menu_options_mo.image", Image(Boxes(kOptionAreas, kOptionLabels, kLit, 0, kLitLabel))},
        {"menu_options_slider.image", Image(knob)},
        {"menu_load.image", Image(slots)},
        {"menu_save.image", Image(slots)},
        {"menu_load_mo.image", Image(slotHighlight)},
        {"menu_save_mo.image", Image(slotHighlight)},
        {"menu_loadsave_larrow.image", Image(arrows)},
        {"menu_loadsave_rarrow.image", Image(arrows)},
        {"menu_loadsave_screen.image", Image(screen)},
        {"menu_interference.image", Image(noise, 6)},
        {"generic_ui_mouse_over.wav", Click(880.0, 0.04)},
        {"generic_ui_mouse_onclick.wav", Click(660.0, 0.08)},
        {"generic_ui_close_menu.wav", Click(440.0, 0.12)},
    };
}

std::string MenuUiInfoLines()
{
    std::string lines;
    AddLines(lines, kMainAreas);
    AddLines(lines, kOptionAreas);
    AddLines(lines, kSlotAreas);
    lines += "MENU_SAVEGAME_ALLOWEDKEYS abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -_\r\n";
    lines += "MENU_SAVEGAME_NOSAVEGAMES No savegames yet\r\n";
    lines += "MENU_SAVEGAME_NEWSAVEGAME New savegame\r\n";
    return lines;
}

}  // namespace vls::tools
