#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/image_format.h"
#include "engine/script/script_format.h"
#include "platform/granny/granny.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/demo_data.h"
#include "tools/demo/demo_floor.h"
#include "tools/demo/demo_script_text.h"

namespace vls::test {
namespace {

constexpr std::size_t kProjectHeaderSize = 10076;

class QuietLink : public cKestruneEngineLink {
public:
    QuietLink() { SetEngineLink(this); }
    ~QuietLink() override { SetEngineLink(nullptr); }
    char* GetErrorText() override { return text_; }
    int Error(const char*, const char*, int) override
    {
        ++errors;
        return 0;
    }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts_; }

    int errors = 0;

private:
    char text_[kErrorTextSize] = {};
    DynArray<cKestruneScript*> scripts_;
};

// The demo data written once into a temp folder, which is the working folder
// while a test runs (the file system finds "resource.map" there).
class DemoDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempDir;
        std::string error;
        written_ = tools::WriteDemoData(folder_->path(), report_, error);
        error_ = error;
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    DemoDataTest() : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder_->path());
    }
    ~DemoDataTest() override { std::filesystem::current_path(previous_); }

    // The whole entry `name` as the engine reads it.
    std::vector<std::uint8_t> ReadEntry(cKestruneFileSystem& files, const char* name)
    {
        const std::int32_t slot = files.Open(name);
        EXPECT_GT(slot, 0) << name;
        if (slot <= 0)
            return {};
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(files.GetSize(slot)));
        EXPECT_EQ(files.Read(slot, bytes.data(), static_cast<std::int32_t>(bytes.size())), 0) << name;
        files.Close(slot);
        return bytes;
    }

    static inline TempDir* folder_ = nullptr;
    static inline tools::DemoReport report_;
    static inline bool written_ = false;
    static inline std::string error_;
    QuietLink link_;
    std::filesystem::path previous_;
};

TEST_F(DemoDataTest, EveryPackedResourceOpensThroughTheFileSystem)
{
    ASSERT_TRUE(written_) << error_;
    cKestruneFileSystem files;
    ASSERT_EQ(files.ready, 1);
    EXPECT_EQ(files.count, static_cast<std::int32_t>(report_.packed.size()));
    for (const std::string& name : report_.packed) {
        EXPECT_EQ(files.Exists(name.c_str()), 1) << name;
        EXPECT_FALSE(ReadEntry(files, name.c_str()).empty()) << name;
    }
    EXPECT_EQ(link_.errors, 0);
    for (const char* sound : {"launcher.mus", "launcher.sn1", "launcher.sn2"})
        EXPECT_GT(std::filesystem::file_size(folder_->path() / sound), 44u) << sound;
}

TEST_F(DemoDataTest, ProjectHoldsHeaderScriptAndEveryCursorTheEngineUses)
{
    ASSERT_TRUE(written_) << error_;
    cKestruneFileSystem files;
    const std::vector<std::uint8_t> project = ReadEntry(files, "project");
    ASSERT_GT(project.size(), kProjectHeaderSize);
    EXPECT_STREQ(reinterpret_cast<const char*>(project.data()), "Veilstrand Demo");
    // Up to cursor 13, the exit's: the menu's 10 and the dialogue's 12 among them.
    constexpr std::size_t kCursors = 14;
    ASSERT_EQ(project[128], kCursors);

    ScriptStream script;
    const std::uint8_t* rest = project.data() + kProjectHeaderSize;
    const std::size_t restSize = project.size() - kProjectHeaderSize;
    ASSERT_TRUE(ParseScriptStream(rest, restSize, script));
    ASSERT_FALSE(script.functions.empty());
    const std::size_t scriptSize = EncodeScriptStream(script).size();
    ASSERT_LE(scriptSize + kImageHeaderSize, restSize);

    KestruneImageHeader cursor;
    ParseImageHeader(rest + scriptSize, cursor);
    EXPECT_EQ(cursor.width, 16u);
    EXPECT_EQ(cursor.height, 16u);
    EXPECT_EQ(cursor.frameCount, 1u);
    // The cursors are the last thing in the file: 4 bytes a pixel with alpha.
    EXPECT_EQ(restSize - scriptSize, kCursors * (kImageHeaderSize + 16u * 16u * 4u));
}

TEST_F(DemoDataTest, ModelsLoadThroughTheModelLibrary)
{
    ASSERT_TRUE(written_) << error_;
    cKestruneFileSystem files;
    struct Expectation {
        const char* name;
        bool model;
        bool animation;
    };
    for (const Expectation& e : {Expectation{"figure.gr2", true, true}, Expectation{"figure_walk.gr2", false, true},
                                 Expectation{"figure_idle.gr2", false, true}, Expectation{"lantern.gr2", true, false}}) {
        const std::vector<std::uint8_t> bytes = ReadEntry(files, e.name);
        granny_file* file = GrannyReadEntireFileFromMemory(static_cast<granny_int32>(bytes.size()), bytes.data());
        ASSERT_NE(file, nullptr) << e.name;
        const granny_file_info* info = GrannyGetFileInfo(file);
        ASSERT_NE(info, nullptr) << e.name;
        if (e.model) {
            EXPECT_GE(info->ModelCount, 1) << e.name;
        }
        if (e.animation) {
            EXPECT_GE(info->AnimationCount, 1) << e.name;
        }
        GrannyFreeFile(file);
    }
}

TEST_F(DemoDataTest, MenuAreasComeFromUiInfoAndFitTheirPictures)
{
    ASSERT_TRUE(written_) << error_;
    cKestruneFileSystem files;
    const std::vector<std::uint8_t> info = ReadEntry(files, "ui_info");
    const std::string text(info.begin(), info.end());
    const char* const keys[] = {"MENU_MAIN_NEWGAME",    "MENU_MAIN_QUIT",       "MENU_OPT_VOLMM",
                                "MENU_OPT_VOLCS",       "MENU_SAVEGAME_WINDOW", "MENU_SAVEGAME_RARROW",
                                "MENU_SAVEGAME_MOOFS",  "MENU_SAVEGAME_EDITFIELD"};
    for (const char* key : keys) {
        const std::size_t at = text.find(std::string("\n") + key + " ");
        ASSERT_NE(at, std::string::npos) << key;
        int left = -1, top = -1, right = -1, bottom = -1;
        ASSERT_EQ(std::sscanf(text.c_str() + at + std::strlen(key) + 2, "%d,%d,%d,%d", &left, &top, &right, &bottom), 4)
            << key;
        EXPECT_LT(left, right) << key;
        EXPECT_LT(top, bottom) << key;
        EXPECT_LE(right, 512) << key;
        EXPECT_LE(bottom, 512) << key;
    }
    EXPECT_NE(text.find("MENU_SAVEGAME_ALLOWEDKEYS "), std::string::npos);
    for (const char* picture : {"menu_main.image", "menu_confirm.image", "menu_options_slider.image",
                                "menu_interference.image", "generic_ui_close_menu.wav"})
        EXPECT_EQ(files.Exists(picture), 1) << picture;
}

TEST(DemoScriptText, UnusedIntResultsAreTakenOffTheStack)
{
    const std::string source = "callsite a cX__A 1 int\ncallsite b cX__B 0 object\nfunc f\n native - a\n native pc a\n"
                               " native - b\n assign\n ret\n";
    EXPECT_EQ(tools::DropIntResults(source),
              "callsite a cX__A 1 int\ncallsite b cX__B 0 object\nfunc f\n native - a\n popreg\n native pc a\n"
              " popreg\n native - b\n assign\n ret\n");
}

TEST(DemoFloor, TheDepthMapAndTheFloorPointsComeFromOneCamera)
{
    const tools::DemoFloorCamera camera(2.0f, 3.0f, 220.0f);
    tools::ViewDescription view;
    camera.FillDepthMap(view);
    ASSERT_EQ(view.mapWidth, 1024u);
    ASSERT_EQ(view.mapHeight, 512u);
    tools::FloorPoint floor{};
    EXPECT_FALSE(camera.Unproject({512, 219}, floor)) << "above the horizon there is no floor";
    EXPECT_EQ(view.depths[219 * 1024 + 512], -1.0f);
    float previous = 1e9f;
    for (const float row : {240.0f, 300.0f, 400.0f, 511.0f}) {
        ASSERT_TRUE(camera.Unproject({512, row}, floor));
        EXPECT_NEAR(floor.x, 2.0f, 1e-4f) << "the middle column looks straight ahead";
        EXPECT_LT(floor.z, previous) << "lower rows are nearer";
        previous = floor.z;
        // Looking down, a floor point's distance along the view is a little
        // more than its z.
        const float depth = view.depths[static_cast<std::size_t>(row) * 1024 + 512];
        EXPECT_GT(depth, floor.z);
        EXPECT_LT(depth, floor.z * 1.1f);
        EXPECT_EQ(depth, view.depths[static_cast<std::size_t>(row) * 1024]) << "one distance a row";
    }
    tools::FloorPoint left{}, right{};
    ASSERT_TRUE(camera.Unproject({0, 400}, left));
    ASSERT_TRUE(camera.Unproject({1023, 400}, right));
    EXPECT_LT(left.x, 2.0f);
    EXPECT_GT(right.x, 2.0f);

    // Projecting goes back to the pixel a floor point was found under, and
    // a point raised over it shows higher up.
    for (const tools::BandPoint pixel : {tools::BandPoint{512, 300}, tools::BandPoint{100, 480}, tools::BandPoint{900, 250}}) {
        ASSERT_TRUE(camera.Unproject(pixel, floor));
        const tools::BandPoint back = camera.Project(floor, 0.0f);
        EXPECT_NEAR(back.x, pixel.x, 0.05f);
        EXPECT_NEAR(back.y, pixel.y, 0.05f);
        const tools::BandPoint raised = camera.Project(floor, 1.0f);
        EXPECT_LT(raised.y, pixel.y - 5.0f) << pixel.x << "," << pixel.y;
    }
    for (const float z : {5.0f, 50.0f})
        EXPECT_NEAR(camera.Project({-4.0f, z}, 3.0f).y, 220.0f, 0.05f) << "a point at eye height lies on the horizon";
}

}  // namespace
}  // namespace vls::test
