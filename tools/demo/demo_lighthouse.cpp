#include "tools/demo/demo_lighthouse.h"

#include "engine/render/image_format.h"
#include "tools/demo/demo_climb.h"
#include "tools/demo/demo_floor.h"
#include "tools/demo/demo_hints.h"
#include "tools/demo/demo_script_text.h"
#include "tools/demo/demo_voices.h"
#include "tools/image_writer.h"
#include "tools/scene_writer.h"
#include "tools/script_assembler.h"
#include "tools/sound_writer.h"
#include "tools/video_tracks_writer.h"
#include "tools/video_writer.h"
#include "tools/walk_map_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vls::tools {
namespace {

constexpr int kVideoWidth = 800; // the band's size: the video fills the band
constexpr int kVideoHeight = 400;
constexpr int kVideoRate = 20;

// On entering: the way back across the water, the tower's lamp, log and
// door, the player on the rock, snow and the spring, the lighthouse's music,
// and on the first visit the video, which holds the script until it has
// ended and then counts its ending. Using the lamp shows it close, the log
// opens as a book, the door shows the dark stair lit by a lighter, and the
// ledge is climbed in a realtime video that holds the script until it ends.
const char* const kLighthouseScriptHead = R"(
var pc object class cCharacter global ___playercharacter
var seen int global g_demo_intro_seen
var ended int global g_demo_intro_ended
var back object class cObject
var lamp object class cObject
var log object class cObject
var door object class cObject
var ledge object class cObject
var climbed int global g_demo_ledge_climbed
callsite music cOutput__PlayMusic 3 int
callsite video cOutput__PlayVideo 1 int
callsite object cSystem__CreateObject 3 object
callsite enable cObject__PutEnabled 1 int
callsite dest cObject__SetPathfinderDest 3 int
callsite place cCharacter__Place 3 int
callsite say cCharacter__Say 2 int
callsite goto cSystem__GoTo 1 int
callsite ambient cOutput__SetAmbientLight 3 int
callsite floor cSystem__SetEnvironmentLayerEnable 2 int
callsite project cSystem__RunScript 2 int
callsite weather cOutput__CreateWeather 10 int
callsite acted cInput__GetObject 0 object
callsite picture cInput__SetupImageControl 1 int
callsite diary cInput__SetupDiaryControl 2 int
callsite lighter cInput__SetupLighterControl 4 int
callsite realtime cOutput__PlayRealtimeVideo 3 int
callsite fountain cOutput__CreateParticleFountain 7 int
)";

const char* const kLighthouseScriptBody = R"( push ref back
 push string "To the harbour"
 push int 0
 push int 0
 native - object
 assign
 push bool true
 native back enable
 push ref lamp
 push string "The lamp"
 push int 1
 push int 0
 native - object
 assign
 push bool true
 native lamp enable
 push ref log
 push string "The keeper's log"
 push int 2
 push int 0
 native - object
 assign
 push bool true
 native log enable
 push ref door
 push string "The tower's door"
 push int 3
 push int 0
 native - object
 assign
 push bool true
 native door enable
 push ref ledge
 push string "A ledge to climb"
 push int 4
 push int 0
 native - object
 assign
 push bool true
 native ledge enable
)";

const char* const kLighthouseScriptTail = R"( push string "lighthouse_theme"
 push string ""
 push int 4
 native - music
 pushvar ref seen
 jnz done
 inc ref seen
 push string "lighthouse_intro"
 native - video
 inc ref ended
done:
 ret
func on_leave
 ret
func on_use
 native - acted
 pushvar ref lamp
 eq
 jnz use_lamp
 native - acted
 pushvar ref log
 eq
 jnz use_log
 native - acted
 pushvar ref door
 eq
 jnz use_door
 native - acted
 pushvar ref ledge
 eq
 jnz use_ledge
 push string "harbour"
 native - goto
 ret
use_lamp:
 push string "lamp_closeup"
 native - picture
 ret
use_log:
 push string "logbook"
 push int 3
 native - diary
 ret
use_ledge:
 push string "ledge_climb"
 push string "ledge_climb"
 push string "ledge_climb"
 native - realtime
 inc ref climbed
 ret
use_door:
 push string "stair_flame"
 push string "stair_glow"
 push string "stair_mask"
 push string "stair_dark"
 native - lighter
 ret
)";

// The hotspot of the ledge: the box on the band around its block.
std::vector<HotspotPoint> LedgeOutline(const DemoFloorCamera& camera)
{
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (const BandPoint& p : RockLedgeOnBand(camera, RockLedgeSeenBy(camera))) {
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
    }
    const auto l = static_cast<std::int32_t>(left), t = static_cast<std::int32_t>(top);
    const auto r = static_cast<std::int32_t>(std::ceil(right)), b = static_cast<std::int32_t>(std::ceil(bottom));
    return {{l, t}, {r, t}, {r, b}, {l, b}};
}

// Snow falling over the rock and the water, and the spring on the rock that
// jets up and splashes back.
std::string WeatherStatements(const DemoFloorCamera& camera)
{
    FloorPoint spring{};
    camera.Unproject(rock::kFountain, spring);
    char text[512];
    std::snprintf(text, sizeof text,
                  " push int 2\n push float %.3f\n push float 14.0\n push float 14.0\n push float 9.0\n push float 0.0\n"
                  " push float 1.2\n push int 600\n push float 0.0\n push float 0.0\n native - weather\n"
                  " push float %.3f\n push float 0.0\n push float %.3f\n push float 0.6\n push float 0.0\n push float 5.0\n"
                  " push int 300\n native - fountain\n",
                  rock::kEyeX, spring.x, spring.z);
    return text;
}

std::string LighthouseScript(const DemoFloorCamera& camera)
{
    const std::string tower = FloorSpotArguments(camera, rock::kTowerFoot, 0);
    const std::string places = FloorSpotArguments(camera, rock::kShore, 0) + " native back dest\n"
        + FloorSpotArguments(camera, rock::kArrival, 0) + " native pc place\n" + tower + " native lamp dest\n" + tower
        + " native log dest\n" + tower + " native door dest\n" + FloorSpotArguments(camera, rock::kLedgeFoot, 0)
        + " native ledge dest\n";
    return DropIntResults(kLighthouseScriptHead + HintCallSite() + "func on_enter\n" + SceneEntryStatements(0.85f, 0.8f, 0.8f)
                          + kLighthouseScriptBody + places + WeatherStatements(camera) + kLighthouseScriptTail
                          + "func on_look\n" + SayStatements("pc", "say_rock_look", "say") + " ret\n"
                          + HintFunction({{0, rock::kExitMark, HintKind::Exit, 3},
                                        {0, {300, 54}, HintKind::Use, 0},
                                        {0, {300, 338}, HintKind::Use, 0},
                                        {0, {300, 436}, HintKind::Use, 0},
                                        {0, {480, 445}, HintKind::Use, 0}}));
}

// A tune of plain tones, each note `beat` seconds, as Ogg Vorbis.
std::vector<std::uint8_t> Tune(const std::vector<double>& notes, double beat)
{
    PcmClip tune;
    tune.rate = 22050;
    for (const double hz : notes) {
        const PcmClip note = MakeSine(tune.rate, 1, hz, beat, 5000.0);
        const std::size_t count = note.samples.size();
        // A short fall at each note's end keeps the joins from clicking.
        for (std::size_t i = 0; i < count; ++i) {
            const double fall = std::min(1.0, static_cast<double>(count - i) / (tune.rate * 0.02));
            tune.samples.push_back(static_cast<std::int16_t>(note.samples[i] * fall));
        }
    }
    return EncodeOggVorbis(tune, 0.2f);
}

// The lantern's click: a short falling chirp.
std::vector<std::uint8_t> Click()
{
    PcmClip clip = MakeSine(22050, 1, 1200.0, 0.08, 12000.0);
    for (std::size_t i = 0; i < clip.samples.size(); ++i)
        clip.samples[i] = static_cast<std::int16_t>(clip.samples[i] * (1.0 - static_cast<double>(i) / clip.samples.size()));
    return WriteWav(clip);
}

// The lamp turning: a dark band with a beam sweeping left to right.
std::uint32_t IntroPixel(int frame, int x, int y)
{
    const int beam = frame * kVideoWidth / kLighthouseIntroFrames;
    const int distance = std::abs(x - beam);
    const std::uint32_t glow = distance < 160 ? static_cast<std::uint32_t>(200 - distance * 200 / 160) : 0;
    const std::uint32_t sky = static_cast<std::uint32_t>(20 + y * 40 / kVideoHeight);
    const std::uint32_t r = std::min<std::uint32_t>(255, sky + glow);
    const std::uint32_t g = std::min<std::uint32_t>(255, sky + glow * 9 / 10);
    const std::uint32_t b = std::min<std::uint32_t>(255, sky * 2 + glow / 2);
    return 0xFF000000 | (r << 16) | (g << 8) | b;
}

std::vector<std::uint8_t> IntroVideo(std::string& error)
{
    VideoClipOptions options;
    options.codec = VideoClipOptions::Codec::Mpeg4;
    options.pixels = VideoClipOptions::Pixels::Yuv420;
    options.width = kVideoWidth;
    options.height = kVideoHeight;
    options.frames = kLighthouseIntroFrames;
    options.rate = kVideoRate;
    options.keyInterval = 10;
    options.paint = IntroPixel;
    const std::vector<std::uint8_t> clip = WriteVideoClip(options, error);
    if (clip.empty())
        return {};
    KestruneImageHeader header;
    header.width = kVideoWidth;
    header.height = kVideoHeight;
    header.frameRate = kVideoRate;
    header.pixelType = kImagePixelsBink;
    std::vector<std::uint8_t> bytes(kImageHeaderSize);
    WriteImageHeader(header, bytes.data());
    bytes.insert(bytes.end(), clip.begin(), clip.end());
    return bytes;
}

// The ledge's block, wider by the figure's reach, cut out of the floor but
// for a way as wide as the figure's path from its front to just behind the
// climb's start: he can walk in to the climb and nowhere else into the rock.
void CutOutLedge(LayerData& floor, const RockLedge& ledge, FloorPoint climb)
{
    const float left = ledge.front.x - kRockLedgeHalfWidth - rock::kFigureReach;
    const float right = ledge.front.x + kRockLedgeHalfWidth + rock::kFigureReach;
    const float front = ledge.front.z - rock::kFigureReach;
    const float back = ledge.front.z + kRockLedgeDepth + rock::kFigureReach;
    const float wayLeft = climb.x - rock::kClimbWayHalfWidth, wayRight = climb.x + rock::kClimbWayHalfWidth;
    const float wayEnd = climb.z + rock::kClimbWayHalfWidth;
    AddWalkPolygon(floor,
                   {{left, front}, {wayLeft, front}, {wayLeft, wayEnd}, {wayRight, wayEnd}, {wayRight, front},
                    {right, front}, {right, back}, {left, back}},
                   true);
    // Ways round the block go over its corners, and the way in starts
    // straight in front of the climb; a corner past the rock's edge has none.
    const float c = rock::kNodeClearance;
    const std::uint32_t rockTop = 0;
    AddWalkNodeOnFloor(floor, left - c, front - c, rockTop);
    AddWalkNodeOnFloor(floor, climb.x, front - c, rockTop);
    AddWalkNodeOnFloor(floor, right + c, front - c, rockTop);
    AddWalkNodeOnFloor(floor, right + c, back + c, rockTop);
    AddWalkNodeOnFloor(floor, left - c, back + c, rockTop);
    BuildWalkNodeRows(floor);
}

}  // namespace

DemoFloorCamera RockCamera() { return DemoFloorCamera(rock::kEyeX, kDemoEyeHeight, kSeaHorizonRow); }

RockLedge RockLedgeSeenBy(const DemoFloorCamera& camera)
{
    FloorPoint foot{};
    camera.Unproject(rock::kLedgeFoot, foot);
    return {{foot.x, foot.z - rock::kLedgeLip}, climb::kHeight};
}

LayerDescription RockWalkLayer(const DemoFloorCamera& camera)
{
    LayerDescription layer = FloorLayer("walkmap_rock", camera, {{0, 428}, {380, 408}, {620, 470}, {700, 512}, {0, 512}});
    FloorPoint climb{};
    camera.Unproject(rock::kLedgeFoot, climb);
    CutOutLedge(layer.data, RockLedgeSeenBy(camera), climb);
    return layer;
}

std::vector<DemoResource> MakeLighthouseResources(std::string& error)
{
    const std::vector<std::uint8_t> video = IntroVideo(error);
    if (video.empty())
        return {};
    const DemoFloorCamera camera = RockCamera();
    const Picture rockPicture = LighthouseRockPicture(camera, RockLedgeSeenBy(camera));
    std::vector<DemoResource> climb = MakeClimbResources("ledge_climb", rockPicture, rock::kEyeX, rock::kLedgeFoot, error);
    if (climb.empty())
        return {};

    SceneDescription scene;
    scene.name = "lighthouse";
    scene.viewNames = {"lighthouse_rock"};
    scene.layers.push_back(RockWalkLayer(camera));
    // The exit back to the harbour: the quay across the water.
    scene.hotspots.push_back(QuadHotspot({{560, 200}, {1024, 200}, {1024, 260}, {590, 260}}, 0));
    // On the tower: its lamp, the plaque of the keeper's log and its door.
    scene.hotspots.push_back(QuadHotspot({{282, 36}, {318, 36}, {318, 72}, {282, 72}}, 0));
    scene.hotspots.push_back(QuadHotspot({{286, 326}, {314, 326}, {314, 350}, {286, 350}}, 0));
    scene.hotspots.push_back(QuadHotspot({{288, 414}, {312, 414}, {312, 454}, {288, 454}}, 0));
    // The ledge of the rock towards the water, climbed in a realtime video.
    scene.hotspots.push_back(QuadHotspot(LedgeOutline(camera), 0));
    scene.script = AssembleScriptBytes(LighthouseScript(camera));

    const std::string subtitles = WriteSubtitles({
        {1, 18, "The lamp has turned every night for a hundred years."},
        {20, 38, "Tonight it turns for you."},
    });
    std::vector<DemoResource> resources = {
        {"lighthouse.scene", WriteSceneResource(scene)},
        {"lighthouse_rock.view", WriteViewResource(HarbourView("lighthouse_rock", rockPicture, camera))},
        {"harbour_theme.ogg", Tune({392.0, 440.0, 494.0, 440.0, 392.0, 330.0, 294.0, 330.0}, 0.4)},
        {"lighthouse_theme.ogg", Tune({262.0, 330.0, 392.0, 523.0, 392.0, 330.0}, 0.6)},
        {"lantern_click.wav", Click()},
        {"lighthouse_intro.image", video},
        {"lighthouse_intro.subtitle", std::vector<std::uint8_t>(subtitles.begin(), subtitles.end())},
    };
    resources.insert(resources.end(), climb.begin(), climb.end());
    return resources;
}

}  // namespace vls::tools
