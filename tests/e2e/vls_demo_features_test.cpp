// What the player sees of the hints, the chat close-up, the water mirror and
// the climb's camera and height tracks, played on the demo from outside. Two
// plays share the checks: one in the harbour and the cove, one on the
// lighthouse's rock.
#include "tests/e2e/demo_run.h"
#include "tests/e2e/screenshot_view.h"
#include "tests/e2e/vls_savegame_view.h"
#include "tools/demo/demo_climb.h"
#include "tools/demo/demo_harbour.h"
#include "tools/demo/demo_harbour_script.h"
#include "tools/demo/demo_hints.h"
#include "tools/demo/demo_lighthouse.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::ExpectOrderlyRun;
using vls::e2e::kSaveAndClose;
using vls::e2e::ReadScreenshot;
using vls::e2e::Screenshot;
using vls::tools::BandPoint;

constexpr int kBandTop = 128;

Screenshot Shot(const DrivenProgram& program, const char* name)
{
    Screenshot picture = ReadScreenshot(program.work / name);
    EXPECT_EQ(picture.error, "") << name;
    return picture;
}

int CountWhere(const Screenshot& shot, int left, int top, int right, int bottom,
               const std::function<bool(std::uint32_t)>& wanted)
{
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, shot.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, shot.width); ++x)
            count += wanted(shot.At(x, y)) ? 1 : 0;
    return count;
}

// A hint mark is a disc of its kind's colour centred on its band point: the
// 16 x 16 square in its middle is all that colour.
int MarkPixels(const Screenshot& shot, BandPoint mark, std::uint32_t colour)
{
    const int x = static_cast<int>(mark.x), y = static_cast<int>(mark.y) + kBandTop;
    return shot.CountNear(x - 8, y - 8, x + 8, y + 8, colour & 0xFFFFFF, 6);
}
constexpr int kWholeMark = 16 * 16;

struct Mark {
    BandPoint spot;
    std::uint32_t colour;
};

// The harbour's marks: the two ways out first, then the things to use and
// the fisherman to talk to.
const std::array<Mark, 2> kHarbourExits = {{
    {vls::tools::harbour::kQuayEnd, vls::tools::kHintExitColour},
    {{18, 400}, vls::tools::kHintExitColour},
}};
const std::array<Mark, 4> kHarbourThings = {{
    {vls::tools::harbour::kRope, vls::tools::kHintUseColour},
    {{600, 300}, vls::tools::kHintUseColour},
    {vls::tools::harbour::kTower, vls::tools::kHintUseColour},
    {{438, 430}, vls::tools::kHintTalkColour},
}};

// The figure's cloth: browns that neither the painted skies, seas and rocks
// nor the hint marks hold.
bool Cloth(std::uint32_t p)
{
    const int r = vls::e2e::Red(p), g = vls::e2e::Green(p), b = vls::e2e::Blue(p);
    return r > g && g > b && r - g >= 0x15 && r - g <= 0x30 && g - b >= 0x0C && g - b <= 0x18 && r >= 0x48 && r < 0xB0;
}

// Left edge of the 20-pixel column strip of the band's lower part that holds
// the most cloth: where the standing player is drawn.
int FigureColumn(const Screenshot& shot)
{
    int best = -1, most = 0;
    for (int left = 0; left < shot.width; left += 20) {
        const int cloth = CountWhere(shot, left, 300, left + 20, 640, Cloth);
        if (cloth > most) {
            most = cloth;
            best = left;
        }
    }
    return most > 600 ? best : -1;
}

// The lowest band row with cloth in the strip around `column`: the figure's
// feet.
int FigureFeet(const Screenshot& shot, int column)
{
    for (int y = 639; y >= kBandTop; --y)
        if (CountWhere(shot, column - 20, y, column + 40, y + 1, Cloth) > 2)
            return y;
    return -1;
}

} // namespace

namespace {

// Harbour: 'H' held shows the exits, then the things; the fisherman's talk
// shows his head in its frame; the cove's water mirrors the boat, and its
// way up is marked too.
constexpr const char* kHarbourAndCove =
    "step 500\n"
    "keydown H\nstep 1000\nscreenshot exits.bmp\nstep 2000\nscreenshot all.bmp\nkeyup H\nstep 1000\n"
    "screenshot released.bmp\n"
    "click 435 520\nstep 3000\nscreenshot chat.bmp\n"
    "click 200 675\nstep 6000\nclick 200 717\nstep 1500\nmove 500 400\nstep 2500\nscreenshot talked.bmp\n"
    "click 18 528\nstep 12000\nmove 600 200\nstep 100\nscreenshot cove.bmp\n"
    "keydown H\nstep 1000\nscreenshot cove_hints.bmp\nkeyup H\nstep 100\n";

class VlsDemoFeatures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        harbour_ = new DrivenProgram(VLS_PROGRAM_PATH);
        harbourRun_ = new DemoRun(vls::e2e::PlayDemo(*harbour_, std::string(kHarbourAndCove) + kSaveAndClose));
    }
    static void TearDownTestSuite()
    {
        delete harbourRun_;
        delete harbour_;
    }
    static DrivenProgram* harbour_;
    static DemoRun* harbourRun_;
};
DrivenProgram* VlsDemoFeatures::harbour_ = nullptr;
DemoRun* VlsDemoFeatures::harbourRun_ = nullptr;

TEST_F(VlsDemoFeatures, HoldingHShowsTheHarboursExitsFirstThenItsThings)
{
    ExpectOrderlyRun(*harbourRun_);
    const Screenshot exits = Shot(*harbour_, "exits.bmp");
    const Screenshot all = Shot(*harbour_, "all.bmp");
    const Screenshot released = Shot(*harbour_, "released.bmp");
    for (const Mark& mark : kHarbourExits) {
        EXPECT_EQ(MarkPixels(exits, mark.spot, mark.colour), kWholeMark) << mark.spot.x << "," << mark.spot.y;
        EXPECT_EQ(MarkPixels(all, mark.spot, mark.colour), kWholeMark) << mark.spot.x << "," << mark.spot.y;
        EXPECT_EQ(MarkPixels(released, mark.spot, mark.colour), 0) << mark.spot.x << "," << mark.spot.y;
    }
    for (const Mark& mark : kHarbourThings) {
        EXPECT_EQ(MarkPixels(exits, mark.spot, mark.colour), 0) << "not yet: " << mark.spot.x << "," << mark.spot.y;
        EXPECT_EQ(MarkPixels(all, mark.spot, mark.colour), kWholeMark) << mark.spot.x << "," << mark.spot.y;
        EXPECT_EQ(MarkPixels(released, mark.spot, mark.colour), 0) << mark.spot.x << "," << mark.spot.y;
    }
    // The way out at the quay's end points up: its arrow's white wedge sits
    // just above the mark.
    const BandPoint end = vls::tools::harbour::kQuayEnd;
    const int x = static_cast<int>(end.x), y = static_cast<int>(end.y) + kBandTop;
    EXPECT_GT(exits.CountNear(x - 6, y - 31, x + 6, y - 18, 0xF8F8F8, 8), 40);
    EXPECT_EQ(released.CountNear(x - 6, y - 31, x + 6, y - 18, 0xF8F8F8, 8), 0);
}

// The chat control: while the fisherman talks his face fills the close-up's
// picture inside the overlay's wooden frame; after the talk the quay shows
// there again, and the fisherman stands where he stood.
TEST_F(VlsDemoFeatures, TheFishermansTalkShowsHisHeadInItsFrame)
{
    ExpectOrderlyRun(*harbourRun_);
    const Screenshot chat = Shot(*harbour_, "chat.bmp");
    const Screenshot talked = Shot(*harbour_, "talked.bmp");
    const std::uint32_t frame = vls::tools::harbour::kChatFrameColour & 0xFFFFFF;
    // The frame's top and left bars, around the close-up's 340 x 290 picture
    // at (298, 216).
    const int bars = 340 * 16 + 16 * 290;
    EXPECT_GT(chat.CountNear(298, 198, 638, 214, frame, 14) + chat.CountNear(280, 216, 296, 506, frame, 14), bars * 9 / 10);
    EXPECT_EQ(talked.CountNear(298, 198, 638, 214, frame, 14) + talked.CountNear(280, 216, 296, 506, frame, 14), 0);
    // The head: the close-up's picture differs from the quay behind it
    // nearly everywhere.
    int covered = 0;
    for (int y = 216; y < 506; ++y)
        for (int x = 298; x < 638; ++x)
            covered += chat.At(x, y) != talked.At(x, y) ? 1 : 0;
    EXPECT_GT(covered, 340 * 290 * 9 / 10);
    // His face, not the back of his head: his blue eyes show in the upper
    // part, where neither his skin nor the evening sky behind him holds more
    // blue than red.
    const auto bluish = [](std::uint32_t p) { return vls::e2e::Blue(p) > vls::e2e::Red(p); };
    EXPECT_GT(CountWhere(chat, 298, 216, 638, 340, bluish), 400);
    EXPECT_EQ(CountWhere(talked, 298, 216, 638, 340, bluish), 0);
    // The close-up is drawn over the scene and its head tested against the
    // scene's depths: the player, who talks to him from the quay's left,
    // stands clear of the frame, so none of him shows through the head.
    EXPECT_EQ(CountWhere(chat, 278, 526, 658, 640, Cloth), 0) << "nobody under the frame";
    EXPECT_GT(CountWhere(chat, 0, 526, 278, 640, Cloth), 300) << "the player, left of it";
    // The close-up borrowed his model; he stands on the quay again.
    const int fisherX = static_cast<int>(vls::tools::harbour::kFisher.x);
    EXPECT_GT(CountWhere(talked, fisherX - 20, 450, fisherX + 22, 640, Cloth), 300);
}

// The cove's water is a mirror: under the boat's red hull its reflection
// shows through the water, reddish where the painted water is blue; the
// open water beside it holds no red at all.
TEST_F(VlsDemoFeatures, TheCovesWaterMirrorsTheBoat)
{
    ExpectOrderlyRun(*harbourRun_);
    const Screenshot cove = Shot(*harbour_, "cove.bmp");
    const auto hull = [](std::uint32_t p) { return vls::e2e::Red(p) > 0x80 && vls::e2e::Green(p) < 0x40 && vls::e2e::Blue(p) < 0x40; };
    // The hull is the columns of many red pixels (the robot's red eye is a
    // few).
    int left = cove.width, right = 0, bottom = 0;
    for (int x = 200; x < 1000; ++x) {
        int red = 0, lowest = 0;
        for (int y = 380; y < 520; ++y)
            if (hull(cove.At(x, y))) {
                ++red;
                lowest = y + 1;
            }
        if (red >= 12) {
            left = std::min(left, x);
            right = std::max(right, x + 1);
            bottom = std::max(bottom, lowest);
        }
    }
    ASSERT_GT(right - left, 60) << "the boat's hull is on the water";
    const auto reddish = [](std::uint32_t p) { return vls::e2e::Red(p) > vls::e2e::Green(p) + 4; };
    const int width = right - left;
    EXPECT_GT(CountWhere(cove, left, bottom, right, bottom + 10, reddish), width * 10 * 3 / 4) << "the hull's reflection";
    const int open = right + 60 < 1000 ? right + 60 : left - 60 - width;
    EXPECT_EQ(CountWhere(cove, open, bottom, open + width, bottom + 10, reddish), 0) << "water without reflection";
}

TEST_F(VlsDemoFeatures, HoldingHInTheCoveMarksItsWayUp)
{
    ExpectOrderlyRun(*harbourRun_);
    const Screenshot cove = Shot(*harbour_, "cove.bmp");
    const Screenshot marked = Shot(*harbour_, "cove_hints.bmp");
    EXPECT_EQ(MarkPixels(cove, {60, 380}, vls::tools::kHintExitColour), 0);
    EXPECT_EQ(MarkPixels(marked, {60, 380}, vls::tools::kHintExitColour), kWholeMark);
}

} // namespace

namespace {

// The rock: 'H' held marks the way back and the tower's lamp, log, door and
// the ledge; the ledge's climb plays behind the scene, its camera track
// moving the camera and its height track lifting the player. From where he
// arrives, the way to the climb goes round the front corner of the ledge's
// block and in from its front: he stands at the climb's start about three
// seconds after the click, and the climb's video lasts two.
constexpr const char* kRockAndClimb = "step 500\nclick 380 440\nstep 10000\n"
                                      "keydown H\nstep 3000\nscreenshot rock_hints.bmp\nkeyup H\nstep 1000\n"
                                      "click 480 570\nstep 3000\nscreenshot climb_start.bmp\n"
                                      "step 1850\nscreenshot climb_end.bmp\nstep 1500\nscreenshot climbed.bmp\n";

TEST(VlsDemoClimb, TheRocksHintsAndTheLedgesClimbFollowTheirTracks)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const DemoRun run = vls::e2e::PlayDemo(program, std::string(kRockAndClimb) + kSaveAndClose);
    ExpectOrderlyRun(run);

    const Screenshot hints = Shot(program, "rock_hints.bmp");
    EXPECT_EQ(MarkPixels(hints, {790, 230}, vls::tools::kHintExitColour), kWholeMark);
    for (const BandPoint thing : {BandPoint{300, 54}, BandPoint{300, 338}, BandPoint{300, 436}, BandPoint{480, 445}})
        EXPECT_EQ(MarkPixels(hints, thing, vls::tools::kHintUseColour), kWholeMark) << thing.x << "," << thing.y;

    // The player stands still at the ledge's foot through the climb: the
    // camera moving right draws him further left frame by frame, and once
    // the video is over he stands where he was, lifted by the height track.
    const Screenshot start = Shot(program, "climb_start.bmp");
    const Screenshot end = Shot(program, "climb_end.bmp");
    const Screenshot climbed = Shot(program, "climbed.bmp");
    const int before = FigureColumn(start), during = FigureColumn(end), after = FigureColumn(climbed);
    ASSERT_GE(before, 0);
    ASSERT_GE(during, 0);
    ASSERT_GE(after, 0);
    EXPECT_LT(during, before - 150) << "the camera's track moved it";
    EXPECT_NEAR(after, before, 40);
    EXPECT_LT(FigureFeet(climbed, after), FigureFeet(start, before) - 40) << "lifted";

    // He ends on the ledge's top, and the video behind him slides with the
    // camera: late in the climb the ledge's top is round his feet too.
    const auto ledgeRoundFeet = [](const Screenshot& shot, int column) {
        const int feet = FigureFeet(shot, column);
        return shot.CountNear(column - 30, feet - 4, column + 50, feet, vls::tools::kRockLedgeTopColour & 0xFFFFFF, 10);
    };
    EXPECT_GT(ledgeRoundFeet(climbed, after), 80 * 4 / 3) << "on the painted ledge";
    EXPECT_EQ(ledgeRoundFeet(start, before), 0) << "at its foot before the climb";
    EXPECT_GT(ledgeRoundFeet(end, during), 80 * 4 / 3) << "the video's ledge round his feet";

    EXPECT_EQ(vls::e2e::GlobalInteger(run.lastgame, "g_demo_ledge_climbed"), 1) << "the script went on after the video";
    const auto height = vls::e2e::PlayerHeight(run.lastgame);
    ASSERT_TRUE(height.has_value());
    EXPECT_NEAR(*height, vls::tools::climb::kHeight, 0.01f) << "the height track's last record, over the rock at 0";
}

} // namespace

namespace {

// Across the rock from where he arrives to the floor right of the ledge: the
// straight way runs through the ledge's block, the walk goes in front of it.
constexpr BandPoint kRightOfLedge{600, 490};
constexpr int kWalkShots = 10;

std::string WalkPastTheLedge()
{
    std::string script = "step 500\nclick 380 440\nstep 10000\nclick "
        + std::to_string(static_cast<int>(kRightOfLedge.x)) + " "
        + std::to_string(static_cast<int>(kRightOfLedge.y) + kBandTop) + "\n";
    for (int i = 0; i < kWalkShots; ++i)
        script += "step 300\nscreenshot walk" + std::to_string(i) + ".bmp\n";
    return script + "step 2000\n";
}

TEST(VlsDemoClimb, WalkingPastTheLedgeGoesInFrontOfItsBlock)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const DemoRun run = vls::e2e::PlayDemo(program, WalkPastTheLedge() + kSaveAndClose);
    ExpectOrderlyRun(run);

    // Where the block stands on the band, and the row of the floor as far in
    // front of it as the figure reaches: feet seen over the block's columns
    // must be lower on the screen than that.
    const vls::tools::DemoFloorCamera camera = vls::tools::RockCamera();
    const vls::tools::RockLedge ledge = vls::tools::RockLedgeSeenBy(camera);
    float left = 1e9f, right = -1e9f;
    for (const BandPoint& p : vls::tools::RockLedgeOnBand(camera, ledge)) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
    }
    const float clear = camera.Project({ledge.front.x, ledge.front.z - vls::tools::rock::kFigureReach}, 0.0f).y + kBandTop;
    int overTheBlock = 0;
    for (int i = 0; i < kWalkShots; ++i) {
        const Screenshot shot = Shot(program, ("walk" + std::to_string(i) + ".bmp").c_str());
        const int column = FigureColumn(shot);
        ASSERT_GE(column, 0) << i;
        const int middle = column + 10;
        if (middle < left || middle > right)
            continue;
        ++overTheBlock;
        EXPECT_GT(FigureFeet(shot, column), clear) << "shot " << i << " at column " << column;
    }
    EXPECT_GE(overTheBlock, 2) << "he passed the block";

    vls::tools::FloorPoint target{};
    camera.Unproject(kRightOfLedge, target);
    const auto place = vls::e2e::PlayerPlace(run.lastgame);
    ASSERT_TRUE(place.has_value());
    EXPECT_NEAR(place->first, target.x, 0.05f) << "he got where he was sent";
    EXPECT_NEAR(place->second, target.z, 0.05f);
}

} // namespace
