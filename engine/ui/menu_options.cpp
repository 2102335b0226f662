// The options screen: four sliders and the subtitle switch, written to the
// registry when the screen is left.

#include "engine/audio/kestrune_sound.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/ui/kestrune_menu.h"
#include "engine/ui/menu_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "platform/win32/registry/registry.h"

#include <utility>

namespace {

constexpr int32_t kLeft = 256;
constexpr int32_t kTop = 128;
constexpr int32_t kKnobSize = 16;
constexpr int32_t kKnobLeft = 261;
constexpr int32_t kKnobTop = 133;
constexpr int32_t kSliders = 4;
constexpr int32_t kSubtitleItem = 5;
constexpr int32_t kTickRect = 11;
constexpr int32_t kLookRects = 5; // item h's highlighted look is rectangle h + 5

const char* const kOptionKeys[] = {"MENU_OPT_MOOFS", "MENU_OPT_VOLMM", "MENU_OPT_VOLMD", "MENU_OPT_VOLME",
                                   "MENU_OPT_VOLMG", "MENU_OPT_VOLMS", "MENU_OPT_VOLOM", "MENU_OPT_VOLOD",
                                   "MENU_OPT_VOLOE", "MENU_OPT_VOLOG", "MENU_OPT_VOLOS", "MENU_OPT_VOLCS"};
const MenuSetting kSliderSettings[kSliders] = {MenuSetting::MusicVolume, MenuSetting::DialogueVolume,
                                               MenuSetting::SFXVolume, MenuSetting::Gamma};
const int32_t kDefaults[kSliders] = {127, 127, 255, 127};

void Apply(MenuSetting setting)
{
    if (setting == MenuSetting::Gamma) {
        if (cKestruneGraphics* const graphics = cKestruneGraphics::Current())
            graphics->ApplyGamma();
    } else if (cKestruneSound* const sound = cKestruneSound::Current()) {
        sound->ApplyVolumes();
    }
}

} // namespace

void cKestruneMenu::OpenOptions()
{
    screen = kOptions;
    previousHovered = 0;
    optionsPressTaken = 0;
    AddImage(screenImages, "menu_options.image", kLeft, kTop);
    AddImage(screenImages, "menu_right_down.image", 768, kTop);
    AddImage(screenImages, "menu_options_mo.image", 768, kTop);
    AddImage(screenImages, "menu_options_slider.image", 0, 0);
    screenRects.count = 0;
    AddRect(screenRects, kOptionKeys[0], kLeft, kTop);
    for (int32_t i = 1; i <= kTickRect; ++i)
        AddRect(screenRects, kOptionKeys[i]);
    SetCursor(0);
    hovered = -1;
}

void cKestruneMenu::HandleOptionsInput()
{
    if (IsMouseIn(back))
        hovered = 0;
    for (int32_t i = 1; i <= kSubtitleItem; ++i)
        if (IsMouseIn(RectAt(screenRects, i), kLeft, kTop))
            hovered = i;
    AfterHover(true);
    if (const cKestruneGameplay* const gameplay = cKestruneGameplay::Current(); gameplay && gameplay->leftEvent != 0)
        optionsPressTaken = 1;
    const bool right = TakeClicks();
    cKestruneMenuHost& host = MenuHost();
    if (right && hovered >= 1 && hovered <= kSliders) {
        const MenuSetting setting = kSliderSettings[hovered - 1];
        host.Setting(setting) = kDefaults[hovered - 1];
        Apply(setting);
        pressed = -1;
    }
    if (pressed == 0) {
        Play(kCloseMenu);
        ReturnToMain();
    } else if (pressed >= 1 && pressed <= kSliders) {
        const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
        const int32_t x = gameplay ? gameplay->mouseX : 0;
        int32_t value = (x - (RectAt(screenRects, pressed).left + kLeft)) * 2 - 10;
        value = value < 0 ? 0 : (value > 255 ? 255 : value);
        const MenuSetting setting = kSliderSettings[pressed - 1];
        host.Setting(setting) = value;
        Apply(setting);
    } else if (pressed == kSubtitleItem) {
        Play(kClick);
        int32_t& subtitle = host.Setting(MenuSetting::Subtitle);
        subtitle = subtitle == 0 ? 1 : 0;
    }
    pressed = -1;
}

int32_t cKestruneMenu::DraggedSlider() const
{
    const bool slider = hovered >= 1 && hovered <= kSliders;
    return open && screen == kOptions && optionsPressTaken && slider ? hovered : 0;
}

void cKestruneMenu::RenderOptions()
{
    for (int32_t i = 0; i < 2; ++i)
        if (cKestruneImage* const image = ImageAt(screenImages, i))
            image->Render(1);
    const MenuEntry& offset = RectAt(screenRects, 0);
    cKestruneMenuHost& host = MenuHost();
    if (host.Setting(MenuSetting::Subtitle) != 0) {
        const MenuEntry& tick = RectAt(screenRects, kTickRect);
        DrawPart(ImageAt(screenImages, 2), tick, tick.left + offset.left, tick.top + offset.top);
    }
    if (cKestruneImage* const knob = ImageAt(screenImages, 3)) {
        for (int32_t k = 1; k <= kSliders; ++k) {
            const MenuEntry& area = RectAt(screenRects, k);
            knob->SetPosition(area.left + host.Setting(kSliderSettings[k - 1]) / 2 + kKnobLeft, area.top + kKnobTop,
                              kKnobSize, kKnobSize);
            knob->Render(1);
        }
    }
    if (hovered > 0) {
        const MenuEntry& look = RectAt(screenRects, hovered + kLookRects);
        DrawPart(ImageAt(screenImages, 2), look, look.left + offset.left, look.top + offset.top);
    }
}

void cKestruneMenu::WriteSettings()
{
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Quarrybend\\Veilstrand", &key) != ERROR_SUCCESS)
        return;
    const std::pair<const char*, MenuSetting> values[] = {{"MusicVolume", MenuSetting::MusicVolume},
                                                          {"DialogueVolume", MenuSetting::DialogueVolume},
                                                          {"SFXVolume", MenuSetting::SFXVolume},
                                                          {"Subtitle", MenuSetting::Subtitle},
                                                          {"Gamma", MenuSetting::Gamma}};
    for (const auto& [name, setting] : values) {
        const DWORD value = static_cast<DWORD>(MenuHost().Setting(setting));
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    RegCloseKey(key);
}
