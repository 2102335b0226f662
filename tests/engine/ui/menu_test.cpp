#include "engine/ui/kestrune_menu.h"
#include "engine/ui/menu_host.h"
#include "engine/ui/savegame_list.h"
#include "engine/world/kestrune_gameplay.h"
#include "platform/win32/registry/registry.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace vls::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RecordingMenuHost : public cKestruneNullMenuHost {
public:
    RecordingMenuHost() { SetMenuHost(this); }
    ~RecordingMenuHost() override { SetMenuHost(nullptr); }
    int32_t DialogueState() override { return dialogue; }
    bool VideoPlaying() override { return video; }
    bool DemoData() override { return demo; }
    void RequestLoad(const char* fileName) override { loadName = fileName; }
    int32_t dialogue = 0;
    bool video = false;
    bool demo = false;
    std::string loadName;
};

const char* const kUiInfo[] = {
    "MENU_MAIN_MOOFS 10,20,0,0",        "MENU_MAIN_NEWGAME 0,0,100,30",     "MENU_MAIN_LOADGAME 0,40,100,70",
    "MENU_MAIN_SAVEGAME 0,80,100,110",  "MENU_MAIN_OPTIONS 0,120,100,150",  "MENU_MAIN_KEYS 0,160,100,190",
    "MENU_MAIN_QUIT 0,200,100,230",     "MENU_OPT_MOOFS 0,0,0,0",           "MENU_OPT_VOLMM 10,10,140,30",
    "MENU_OPT_VOLMD 10,40,140,60",      "MENU_OPT_VOLME 10,70,140,90",      "MENU_OPT_VOLMG 10,100,140,120",
    "MENU_OPT_VOLMS 10,130,40,150",     "MENU_SAVEGAME_WINDOW 0,0,300,300", "MENU_SAVEGAME_LARROW 10,300,42,332",
    "MENU_SAVEGAME_RARROW 60,300,92,332", "MENU_SAVEGAME_MOOFS 0,0,200,100", "MENU_SAVEGAME_EDITFIELD 0,0,200,20",
    "MENU_SAVEGAME_ALLOWEDKEYS abcdefghijklmnopqrstuvwxyz ./",
};

class MenuTest : public WorldTest {
protected:
    MenuTest() : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(work_.path());
        for (const char* line : kUiInfo)
            gameplay.uiInfo.Add(cString(line));
        gameplay.gameState = 0x207;
    }
    ~MenuTest() override { std::filesystem::current_path(previous_); }

    void Click(int32_t x, int32_t y, bool right = false)
    {
        gameplay.mouseX = x;
        gameplay.mouseY = y;
        (right ? gameplay.rightEvent : gameplay.leftEvent) = 1;
        menu.HandleInput();
    }
    void Hover(int32_t x, int32_t y)
    {
        gameplay.mouseX = x;
        gameplay.mouseY = y;
        menu.HandleInput();
    }
    // A main item's centre: its rectangle plus the offset (10, 20) and (256, 128).
    void ClickMain(int32_t item) { Click(266 + 50, 148 + item * 40 - 25); }

    static DWORD RegistryValue(const char* name)
    {
        HKEY key = nullptr;
        DWORD value = 0xDEAD;
        DWORD size = sizeof value;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quarrybend\\Veilstrand", 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
            RegCloseKey(key);
        }
        return value;
    }

    ScopedConfig config_;
    TempDir work_;
    std::filesystem::path previous_;
    RecordingMenuHost host;
    cKestruneGameplay gameplay;
    cKestruneMenu menu;
};

TEST_F(MenuTest, OpensOnlyWhenNothingElseHasTheInputAndWritesLastgame)
{
    struct Case {
        const char* what;
        uint32_t state;
        int32_t dialogue;
        bool video;
    };
    const Case refused[] = {{"input off", 0x206, 0, false},
                            {"messenger open", 0x607, 0, false},
                            {"script waits for a click", 0x307, 0, false},
                            {"dialogue line", 0x207, 1, false},
                            {"video", 0x207, 0, true}};
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        gameplay.gameState = c.state;
        host.dialogue = c.dialogue;
        host.video = c.video;
        menu.Open();
        EXPECT_EQ(menu.open, 0);
        EXPECT_FALSE(std::filesystem::exists(work_.path() / "lastgame"));
    }
    gameplay.gameState = 0x207;
    host.dialogue = 0;
    host.video = false;
    menu.Open();
    EXPECT_EQ(menu.open, 1);
    EXPECT_EQ(menu.screen, cKestruneMenu::kMain);
    EXPECT_TRUE(std::filesystem::exists(work_.path() / "lastgame"));
    ASSERT_EQ(menu.mainRects.count, 7);
    EXPECT_EQ(menu.mainRects.data[0].left, 266);
    EXPECT_EQ(menu.mainRects.data[0].top, 148);
    EXPECT_EQ(menu.mainRects.data[2].top, 40);
}

TEST_F(MenuTest, RectanglesAreStrictAndBadKeysAreEmpty)
{
    gameplay.uiInfo.Add(cString("BROKEN 1,2"));
    const MenuEntry broken = menu.GetRect("BROKEN");
    EXPECT_EQ(broken.right, 0);
    EXPECT_EQ(menu.GetRect("MISSING").bottom, 0);
    const MenuEntry area{10, 10, 20, 20};
    const struct {
        int32_t x, y;
        bool inside;
    } points[] = {{15, 15, true}, {10, 15, false}, {20, 15, false}, {15, 10, false}, {15, 20, false}, {11, 19, true}};
    for (const auto& p : points) {
        gameplay.mouseX = p.x;
        gameplay.mouseY = p.y;
        EXPECT_EQ(menu.IsMouseIn(area), p.inside) << p.x << "," << p.y;
    }
    gameplay.mouseX = 115;
    gameplay.mouseY = 215;
    EXPECT_TRUE(menu.IsMouseIn(area, 100, 200)) << "an offset moves all four sides";
}

TEST_F(MenuTest, NavigatesBetweenScreensAndConfirmations)
{
    menu.Open();
    ClickMain(5);
    EXPECT_EQ(menu.screen, cKestruneMenu::kKeys);
    Click(760, 350); // the back arrow
    EXPECT_EQ(menu.screen, cKestruneMenu::kMain);

    ClickMain(6);
    EXPECT_EQ(menu.screen, cKestruneMenu::kConfirmQuit);
    Click(550, 380); // no
    EXPECT_EQ(menu.screen, cKestruneMenu::kMain);
    EXPECT_FALSE(host.quit);
    EXPECT_EQ(menu.open, 1);

    ClickMain(1);
    EXPECT_EQ(menu.screen, cKestruneMenu::kConfirmNewGame);
    Click(470, 400); // yes
    EXPECT_EQ(menu.open, 0);
    EXPECT_TRUE(host.newGame);
    EXPECT_FALSE(host.quit);

    menu.Open();
    ClickMain(6);
    Click(470, 400);
    EXPECT_TRUE(host.quit);
    EXPECT_EQ(menu.open, 0);

    menu.Open();
    Click(760, 350); // the back arrow closes the main screen
    EXPECT_EQ(menu.open, 0);
}

TEST_F(MenuTest, OptionsFollowTheMouseAndReachTheRegistryOnLeaving)
{
    menu.Open();
    ClickMain(4);
    ASSERT_EQ(menu.screen, cKestruneMenu::kOptions);
    // Music slider: area 10..140 plus 256 → track from x 266.
    Click(268, 148);
    EXPECT_EQ(host.Setting(MenuSetting::MusicVolume), 0) << "(268 - 266) * 2 - 10 is below 0";
    Click(395, 148);
    EXPECT_EQ(host.Setting(MenuSetting::MusicVolume), 248);
    Click(300, 178); // dialogue slider
    EXPECT_EQ(host.Setting(MenuSetting::DialogueVolume), 58);
    host.Setting(MenuSetting::SFXVolume) = 3;
    Click(300, 208, true);
    EXPECT_EQ(host.Setting(MenuSetting::SFXVolume), 255) << "a right click restores the default";
    const int32_t subtitle = host.Setting(MenuSetting::Subtitle);
    Click(270, 268, true);
    EXPECT_EQ(host.Setting(MenuSetting::Subtitle), subtitle) << "no default for the switch";
    Click(270, 268);
    EXPECT_EQ(host.Setting(MenuSetting::Subtitle), subtitle ? 0 : 1);
    EXPECT_EQ(RegistryValue("MusicVolume"), 0xDEADu) << "nothing is written before leaving";

    menu.ReturnToMain(); // Escape
    EXPECT_EQ(RegistryValue("MusicVolume"), 248u);
    EXPECT_EQ(RegistryValue("DialogueVolume"), 58u);
    EXPECT_EQ(RegistryValue("SFXVolume"), 255u);
    EXPECT_EQ(RegistryValue("Gamma"), 127u);
    EXPECT_EQ(RegistryValue("Subtitle"), static_cast<DWORD>(subtitle ? 0 : 1));

    // They stand in the registry file itself, under the game's key, where the
    // next start reads them.
    std::ifstream file(config_.path() / "user.reg");
    std::stringstream text;
    text << file.rdbuf();
    const std::string saved = text.str();
    const std::size_t key = saved.find("[Software\\Quarrybend\\Veilstrand]");
    ASSERT_NE(key, std::string::npos) << saved;
    for (const char* line : {"\"MusicVolume\"=dword:000000f8", "\"DialogueVolume\"=dword:0000003a",
                             "\"SFXVolume\"=dword:000000ff", "\"Gamma\"=dword:0000007f"})
        EXPECT_GT(saved.find(line), key) << line << " in\n" << saved;
}

// The press on "Options" belongs to the main screen: a slider under the
// mouse on the new screen is not dragged by it, only by a press of its own.
TEST_F(MenuTest, OnlyAPressOnTheOptionsScreenDragsASlider)
{
    menu.Open();
    ClickMain(4);
    ASSERT_EQ(menu.screen, cKestruneMenu::kOptions);
    Hover(300, 148); // music slider
    EXPECT_EQ(menu.hovered, 1);
    EXPECT_EQ(menu.DraggedSlider(), 0);
    Hover(600, 600);
    EXPECT_EQ(menu.DraggedSlider(), 0) << "a press over nothing has not happened yet";
    Click(600, 600);
    Hover(300, 148);
    EXPECT_EQ(menu.DraggedSlider(), 1) << "a press that began on this screen";
    menu.ReturnToMain();
    ClickMain(4);
    Hover(300, 148);
    EXPECT_EQ(menu.DraggedSlider(), 0) << "each visit starts without one";
}

// A valid savegame whose saving time is set to the given year.
Bytes SavegameOfYear(const Bytes& base, uint16_t year)
{
    Bytes bytes = base;
    std::memcpy(bytes.data() + 144, &year, 2);
    return bytes;
}

TEST_F(MenuTest, ListsSavegamesNewestFirstAndSkipsDamagedOnes)
{
    ASSERT_TRUE(gameplay.SaveGame("lastgame"));
    const Bytes base = ReadFileBytes(work_.path() / "lastgame");
    WriteFileBytes(work_.path() / "savegames" / "old one.savegame", SavegameOfYear(base, 2001));
    WriteFileBytes(work_.path() / "savegames" / "newest.savegame", SavegameOfYear(base, 2020));
    WriteFileBytes(work_.path() / "savegames" / "middle.savegame", SavegameOfYear(base, 2010));
    Bytes damaged = base;
    damaged.resize(damaged.size() - 10);
    WriteFileBytes(work_.path() / "savegames" / "torn.savegame", damaged);
    WriteFileBytes(work_.path() / "savegames" / "trial.demogame", base);

    menu.Open();
    ClickMain(2);
    ASSERT_EQ(menu.screen, cKestruneMenu::kLoad);
    ASSERT_EQ(menu.savegames.count, 3);
    EXPECT_STREQ(menu.savegames.data[0].displayName, "newest");
    EXPECT_STREQ(menu.savegames.data[1].displayName, "middle");
    EXPECT_STREQ(menu.savegames.data[2].displayName, "old one");
    EXPECT_TRUE(link.reports.empty()) << "a damaged file is left out quietly";

    // Paging stops at both ends; the entry loads the shown savegame.
    Click(280, 440); // left arrow on the first entry: not there
    EXPECT_EQ(menu.slotIndex, 0);
    Click(330, 440);
    Click(330, 440);
    Click(330, 440);
    EXPECT_EQ(menu.slotIndex, 2);
    Click(280, 440);
    EXPECT_EQ(menu.slotIndex, 1);
    Click(300, 200);
    EXPECT_EQ(host.loadName, ".\\savegames\\middle.savegame");
    EXPECT_EQ(menu.open, 0);

    host.demo = true;
    menu.Open();
    ClickMain(3);
    ASSERT_EQ(menu.screen, cKestruneMenu::kSave);
    ASSERT_EQ(menu.savegames.count, 2) << "the new-savegame entry and the one demo game";
    EXPECT_STREQ(menu.savegames.data[1].displayName, "trial");
}

TEST_F(MenuTest, SaveScreenTypesANameAndCopiesLastgame)
{
    menu.Open();
    ClickMain(3);
    ASSERT_EQ(menu.screen, cKestruneMenu::kSave);
    for (char c : std::string("harbour"))
        menu.TypeChar(static_cast<uint32_t>(c));
    menu.TypeChar('X'); // not an allowed key
    menu.TypeChar(8);
    menu.TypeChar('r');
    EXPECT_EQ(std::u16string(menu.typedName.GetText()), u"harbour");
    menu.TypeChar(13);
    menu.HandleInput();
    EXPECT_EQ(menu.open, 0);
    EXPECT_EQ(ReadFileBytes(work_.path() / "savegames" / "harbour.savegame"), ReadFileBytes(work_.path() / "lastgame"));

    menu.Open();
    ClickMain(3);
    for (int i = 0; i < 30; ++i)
        menu.TypeChar('a');
    EXPECT_EQ(menu.typedName.GetLength(), 24);

    menu.typedName.Assign(u"..");
    menu.TypeChar(13);
    menu.HandleInput();
    EXPECT_FALSE(std::filesystem::exists(work_.path() / "savegames" / "...savegame"));
    menu.typedName.Assign(u"../escape");
    menu.TypeChar(13);
    menu.HandleInput();
    EXPECT_FALSE(std::filesystem::exists(work_.path() / "escape.savegame"));
    EXPECT_EQ(menu.nameConfirmed, 0) << "a refused name is dropped, not kept for later";
}

// Another engine on the same folder writes "lastgame" while this one's menu
// is open: the slot gets the game this menu opened on.
TEST_F(MenuTest, SaveScreenStoresTheGameItsMenuOpenedOn)
{
    menu.Open();
    const Bytes mine = ReadFileBytes(work_.path() / "lastgame");
    ClickMain(3);
    Bytes theirs = SavegameOfYear(mine, 1999);
    WriteFileBytes(work_.path() / "lastgame", theirs);
    menu.typedName.Assign(u"mine");
    menu.TypeChar(13);
    menu.HandleInput();
    EXPECT_EQ(menu.open, 0);
    EXPECT_EQ(ReadFileBytes(work_.path() / "savegames" / "mine.savegame"), mine);
    for (const auto& entry : std::filesystem::directory_iterator(work_.path() / "savegames"))
        EXPECT_EQ(entry.path().extension(), ".savegame") << "no temporary file stays: " << entry.path();
}

// A slot that cannot be written is reported and the save screen stays, so
// the player can try again; nothing claims a save that did not happen.
TEST_F(MenuTest, AFailedSaveIsReportedAndKeepsTheSaveScreen)
{
    WriteFileBytes(work_.path() / "savegames", Bytes{'x'}); // no folder can be made there
    menu.Open();
    ClickMain(3);
    menu.typedName.Assign(u"kept");
    testing::internal::CaptureStdout();
    menu.TypeChar(13);
    menu.HandleInput();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(menu.open, 1);
    EXPECT_EQ(menu.screen, cKestruneMenu::kSave);
    ASSERT_EQ(link.reports.size(), 1u);
    EXPECT_EQ(link.reports[0].text, "Savegame could not be written.");
    EXPECT_NE(log.find("Savegame .\\savegames\\kept.savegame could not be written"), std::string::npos) << log;

    std::filesystem::remove(work_.path() / "savegames");
    menu.TypeChar(13);
    menu.HandleInput();
    EXPECT_EQ(menu.open, 0);
    EXPECT_EQ(ReadFileBytes(work_.path() / "savegames" / "kept.savegame"), ReadFileBytes(work_.path() / "lastgame"));

    // A menu whose own "lastgame" could not be written has nothing to store.
    std::filesystem::create_directory(work_.path() / ("lastgame.blocks." + std::to_string(getpid()) + ".tmp"));
    link.reports.clear();
    menu.Open();
    ClickMain(3);
    menu.typedName.Assign(u"empty");
    menu.TypeChar(13);
    menu.HandleInput();
    EXPECT_EQ(link.reports.size(), 2u) << "the menu's own write and the slot's";
    EXPECT_FALSE(std::filesystem::exists(work_.path() / "savegames" / "empty.savegame"));
    EXPECT_EQ(menu.screen, cKestruneMenu::kSave);
}

// Files the lists leave out are named in the log with the reason; a FIFO in
// a savegame's place is not opened, so the list does not wait on it.
TEST_F(MenuTest, SavegamesLeftOutOfTheListAreLogged)
{
    ASSERT_TRUE(gameplay.SaveGame("lastgame"));
    Bytes torn = ReadFileBytes(work_.path() / "lastgame");
    torn.resize(torn.size() / 2);
    WriteFileBytes(work_.path() / "savegames" / "torn.savegame", torn);
    ASSERT_EQ(mkfifo((work_.path() / "savegames" / "pipe.savegame").c_str(), 0644), 0);
    testing::internal::CaptureStdout();
    DynArray<SavegameSlot> list;
    ListSavegames(kSavegameFolder, false, list);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(list.count, 0);
    EXPECT_NE(log.find("Savegame .\\savegames\\torn.savegame left out of the list: "), std::string::npos) << log;
    EXPECT_NE(log.find("Savegame .\\savegames\\pipe.savegame left out of the list: it cannot be read as a file."),
              std::string::npos) << log;
}

TEST(SavegameNames, DisplayThumbnailAndAllowedNames)
{
    EXPECT_EQ(SavegameDisplayName("harbour.savegame"), "harbour");
    EXPECT_EQ(SavegameDisplayName("abcdefghijklmnopqrstuvwxyz.savegame"), "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(SavegameDisplayName("a.b.savegame"), "a.b");
    EXPECT_EQ(SavegameThumbnailName("x.savegame"), "x.bmp");
    EXPECT_EQ(SavegameThumbnailName("x.demogam"), "");
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "c:x"})
        EXPECT_FALSE(IsSavegameNameAllowed(bad)) << bad;
    for (const char* good : {"harbour", "day 2", "a.b"})
        EXPECT_TRUE(IsSavegameNameAllowed(good)) << good;
}

} // namespace
} // namespace vls::test
