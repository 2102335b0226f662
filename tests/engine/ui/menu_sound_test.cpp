// The menu's sounds as the player hears them: the closing sound plays out
// after the menu is gone, and an item sounds again when the mouse comes back
// to it.

#include "engine/ui/kestrune_menu.h"
#include "engine/ui/menu_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "tests/engine/audio/sound_fixture.h"

#include <gtest/gtest.h>

namespace vls::test {
namespace {

class MenuSound : public SoundTest {
protected:
    MenuSound()
    {
        data.Add("generic_ui_mouse_over.wav", Wav(0.1));
        data.Add("generic_ui_mouse_onclick.wav", Wav(0.1));
        data.Add("generic_ui_close_menu.wav", Wav(0.3));
        // The new-game item: (0, 0, 100, 30) on the picture at (256, 128).
        gameplay.uiInfo.Add(cString("MENU_MAIN_MOOFS 0,0,0,0"));
        gameplay.uiInfo.Add(cString("MENU_MAIN_NEWGAME 0,0,100,30"));
        gameplay.gameState = 0x207;
    }
    ~MenuSound() override { menu.reset(); }

    void MoveTo(int32_t x, int32_t y, bool press = false)
    {
        gameplay.mouseX = x;
        gameplay.mouseY = y;
        gameplay.leftEvent = press ? 1 : 0;
        menu->HandleInput();
    }
    // Whether the mix holds sound now; the sounds playing are then let run out.
    bool Heard()
    {
        const bool heard = SideLevels(441).first > 0;
        SideLevels(44100);
        return heard;
    }

    cKestruneNullMenuHost host;
    cKestruneGameplay gameplay;
    std::unique_ptr<cKestruneMenu> menu = std::make_unique<cKestruneMenu>();
};

TEST_F(MenuSound, TheClosingSoundIsHeardAfterTheMenuHasClosed)
{
    SetMenuHost(&host);
    Start();
    menu->Open();
    ASSERT_EQ(menu->open, 1);
    EXPECT_FALSE(Heard());
    // The back arrow: (736, 304, 791, 412).
    MoveTo(760, 350, true);
    EXPECT_EQ(menu->open, 0);
    EXPECT_TRUE(Heard()) << "the close sound plays on";

    // The next opening takes fresh sounds in place of the kept ones.
    menu->Open();
    EXPECT_EQ(menu->sounds.count, 3);
    SetMenuHost(nullptr);
}

TEST_F(MenuSound, AnItemSoundsAgainWhenTheMouseComesBackToIt)
{
    SetMenuHost(&host);
    Start();
    menu->Open();
    MoveTo(300, 140);
    EXPECT_EQ(menu->hovered, 1);
    EXPECT_TRUE(Heard());
    MoveTo(300, 145);
    EXPECT_FALSE(Heard()) << "staying on the item is quiet";
    MoveTo(600, 600);
    EXPECT_EQ(menu->hovered, -1);
    EXPECT_FALSE(Heard());
    MoveTo(300, 140);
    EXPECT_TRUE(Heard()) << "back onto the item";
    MoveTo(760, 350);
    EXPECT_EQ(menu->hovered, 0);
    EXPECT_FALSE(Heard()) << "the back arrow never sounds";
    SetMenuHost(nullptr);
}

} // namespace
} // namespace vls::test
