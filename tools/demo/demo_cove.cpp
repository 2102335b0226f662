#include "tools/demo/demo_cove.h"

#include "engine/render/kestrune_graphics.h"
#include "tools/demo/demo_hints.h"
#include "tools/demo/demo_script_text.h"
#include "tools/gr2_figure.h"
#include "tools/image_writer.h"
#include "tools/scene_writer.h"
#include "tools/script_assembler.h"
#include "tools/sound_writer.h"

#include <cmath>

namespace vls::tools {
namespace {

constexpr std::uint32_t kBandWidth = cKestruneGraphics::kScreenWidth;
constexpr std::uint32_t kBandHeight = cKestruneGraphics::kBandBottom - cKestruneGraphics::kBandTop;
constexpr std::uint32_t kWaterAlpha = 170;

std::uint32_t Blend(std::uint32_t a, std::uint32_t b, float t)
{
    std::uint32_t out = 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        const float from = static_cast<float>((a >> shift) & 0xFF), to = static_cast<float>((b >> shift) & 0xFF);
        out |= (static_cast<std::uint32_t>(from + (to - from) * t) & 0xFF) << shift;
    }
    return out;
}

enum class CoveGround { Sky, Water, Sand };

// What the cove's picture shows at a band pixel: sky above the horizon, a
// sandy beach in the lower left, open water elsewhere.
CoveGround GroundAt(std::uint32_t x, std::uint32_t y)
{
    if (y < static_cast<std::uint32_t>(kSeaHorizonRow))
        return CoveGround::Sky;
    const float beachEdge = 360.0f + 0.25f * x + (x > 400 ? (x - 400) * 0.8f : 0.0f);
    return x < 600 && y > beachEdge ? CoveGround::Sand : CoveGround::Water;
}

Picture CovePicture()
{
    Picture picture(kBandWidth, kBandHeight);
    const float horizon = kSeaHorizonRow;
    for (std::uint32_t y = 0; y < kBandHeight; ++y)
        for (std::uint32_t x = 0; x < kBandWidth; ++x) {
            switch (GroundAt(x, y)) {
            case CoveGround::Sky: picture.At(x, y) = Blend(0xFF30508C, 0xFFB0C8E0, y / horizon); break;
            case CoveGround::Water:
                picture.At(x, y) = Blend(0xFF4A7A9A, 0xFF1C4060, (y - horizon) / (kBandHeight - horizon));
                break;
            case CoveGround::Sand: picture.At(x, y) = cove::kSand; break;
            }
        }
    return picture;
}

// The layer laid over the reflections of what floats and swims: the whole
// picture again, the water a little see-through so the reflections show
// dimmed in it, everything else opaque so they show nowhere else.
Picture WaterSurface(const Picture& cove)
{
    Picture surface = cove;
    for (std::uint32_t y = 0; y < surface.height; ++y)
        for (std::uint32_t x = 0; x < surface.width; ++x)
            if (GroundAt(x, y) == CoveGround::Water)
                surface.At(x, y) = (surface.At(x, y) & 0xFFFFFF) | kWaterAlpha << 24;
    return surface;
}

Gr2Texture Plain(const std::string& name, std::array<std::uint8_t, 3> rgb)
{
    Gr2Texture texture{name, 4, 4, {}};
    for (int i = 0; i < 16; ++i)
        texture.rgba.insert(texture.rgba.end(), {rgb[0], rgb[1], rgb[2], 255});
    return texture;
}

// A model of rigid boxes on one bone, front along +x, with a still
// one-second animation of that bone as its own.
Gr2Scene BoxModel(const std::string& bone, const std::vector<std::pair<std::array<std::uint8_t, 3>, std::array<std::array<float, 3>, 2>>>& boxes)
{
    Gr2Scene scene;
    Gr2Model model;
    model.bones.push_back({bone, -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}});
    Gr2Mesh mesh;
    mesh.name = bone + "Body";
    const std::array<int, 4> none = {0, 0, 0, 0};
    const std::array<float, 4> full = {1, 0, 0, 0};
    for (const auto& [colour, corners] : boxes) {
        const int index = static_cast<int>(scene.textures.size());
        scene.textures.push_back(Plain(bone + std::to_string(index), colour));
        scene.materials.push_back({bone + "Paint" + std::to_string(index), index});
        Gr2Group group;
        group.material = index;
        AddBox(mesh, group, corners[0], corners[1], none, full, none, full);
        mesh.groups.push_back(group);
    }
    model.meshes.push_back(mesh);
    scene.models.push_back(model);
    Gr2Animation still;
    still.name = bone + "Still";
    still.duration = 1.0f;
    Gr2Track track;
    track.bone = bone;
    track.positionTimes = {0.0f};
    track.positions = {{0, 0, 0}};
    track.rotationTimes = {0.0f};
    track.rotations = {{0, 0, 0, 1}};
    still.tracks.push_back(track);
    scene.animations.push_back(still);
    return scene;
}

// A motor boat: red hull, white cabin aft of the bow.
Gr2Scene BoatScene()
{
    return BoxModel("Boat", {{{170, 40, 36}, {{{-1.4f, 0.0f, -0.6f}, {1.4f, 0.5f, 0.6f}}}},
                             {{236, 236, 228}, {{{-0.8f, 0.5f, -0.4f}, {0.2f, 1.1f, 0.4f}}}}});
}

// A robot hovering over the sand: a grey body with a red eye in front.
Gr2Scene RobotScene()
{
    return BoxModel("Robot", {{{150, 156, 170}, {{{-0.3f, 0.7f, -0.3f}, {0.3f, 1.3f, 0.3f}}}},
                              {{230, 40, 30}, {{{0.3f, 1.05f, -0.15f}, {0.34f, 1.15f, 0.15f}}}},
                              {{90, 96, 110}, {{{-0.03f, 1.3f, -0.03f}, {0.03f, 1.6f, 0.03f}}}}});
}

std::vector<std::uint8_t> Particle(std::uint32_t colour)
{
    Picture spot(16, 16, 0);
    for (std::uint32_t y = 0; y < 16; ++y)
        for (std::uint32_t x = 0; x < 16; ++x) {
            const float r = std::hypot(x + 0.5f - 8.0f, y + 0.5f - 8.0f) / 8.0f;
            if (r < 1.0f)
                spot.At(x, y) = (static_cast<std::uint32_t>(255 * (1.0f - r)) << 24) | (colour & 0xFFFFFF);
        }
    KestruneImageHeader header;
    header.alpha = 1;
    return WriteImage(header, {spot});
}

// A low hum with a beat, looped by the boat's engine.
std::vector<std::uint8_t> Motor()
{
    PcmClip clip = MakeSine(22050, 1, 70.0, 0.5, 5000.0);
    for (std::size_t i = 0; i < clip.samples.size(); ++i)
        clip.samples[i] = static_cast<std::int16_t>(clip.samples[i] * (0.7 + 0.3 * std::sin(i * 0.005)));
    return WriteWav(clip);
}

std::string MakeCharacter(const std::string& variable, const char* name, const char* model)
{
    return " push ref " + variable + "\n push string \"" + name + "\"\n push int 0\n push string \"" + model
        + "\"\n push float 4.0\n push float 8.0\n native - make\n assign\n push bool true\n native " + variable + " visible\n";
}

std::string CoveScript(const DemoFloorCamera& camera)
{
    using namespace cove;
    std::string s = R"(; The cove's scene script. Entering sets up the motor's sounds, the way back
; up, the player on the beach, and the three machines: the boat steers for
; the middle of the cove, the diver swims across and the robot hovers; the
; water mirrors them under its surface.
var pc object class cCharacter global ___playercharacter
var boat object class cCharacter
var diver object class cCharacter
var robot object class cCharacter
var back object class cObject
callsite make cSystem__CreateCharacter 5 object
callsite visible cCharacter__PutVisible 1 int
callsite place cCharacter__Place 3 int
callsite moveto cCharacter__MoveTo 3 int
callsite zodiac cCharacter__SetupZodiacControl 3 int
callsite swim cCharacter__SetupDiverControl 1 int
callsite hover cCharacter__SetupInfoBotControl 0 int
callsite object cSystem__CreateObject 3 object
callsite enable cObject__PutEnabled 1 int
callsite dest cObject__SetPathfinderDest 3 int
callsite goto cSystem__GoTo 1 int
callsite sound cOutput__SetupSound 3 int
callsite ambient cOutput__SetAmbientLight 3 int
callsite floor cSystem__SetEnvironmentLayerEnable 2 int
callsite project cSystem__RunScript 2 int
callsite mirrorlayer cOutput__SetMirrorLayer 2 int
callsite floormirror cOutput__CreateFloorMirror 1 int
)" + HintCallSite() + "func on_enter\n";
    s += SceneEntryStatements(0.9f, 0.9f, 0.95f);
    // The water mirrors what floats and swims on it, under its surface layer.
    s += " push int 0\n push int 0\n native - mirrorlayer\n push int 0\n native - floormirror\n";
    s += " push int 0\n push string \"motor\"\n push int 0\n native - sound\n";
    s += " push int 1\n push string \"motor\"\n push int 0\n native - sound\n";
    s += " push ref back\n push string \"Up to the harbour\"\n push int 0\n push int 0\n native - object\n assign\n"
         " push bool true\n native back enable\n";
    s += FloorSpotArguments(camera, kSteps, 0) + " native back dest\n";
    s += FloorSpotArguments(camera, kArrival, 0) + " native pc place\n";
    s += MakeCharacter("boat", "Boat", "boat") + " push string \"\"\n push string \"\"\n push string \"Boat\"\n native boat zodiac\n"
        + FloorSpotArguments(camera, kBoatStart, 180) + " native boat place\n" + FloorSpotArguments(camera, kBoatTarget, 180)
        + " native boat moveto\n";
    s += MakeCharacter("diver", "Diver", "figure") + " push string \"figure_walk\"\n native diver swim\n"
        + FloorSpotArguments(camera, kDiverStart, 0) + " native diver place\n" + FloorSpotArguments(camera, kDiverTarget, 0)
        + " native diver moveto\n";
    s += MakeCharacter("robot", "Robot", "robot") + " native robot hover\n" + FloorSpotArguments(camera, kRobot, 140)
        + " native robot place\n";
    s += " ret\nfunc on_leave\n ret\nfunc on_use\n push string \"harbour\"\n native - goto\n ret\n";
    s += HintFunction({{0, {60, 380}, HintKind::Exit, 7}});
    return DropIntResults(s);
}

} // namespace

std::vector<DemoResource> MakeCoveResources()
{
    const DemoFloorCamera camera(cove::kEyeX, kDemoEyeHeight, kSeaHorizonRow);
    SceneDescription scene;
    scene.name = "cove";
    scene.viewNames = {"cove_water"};
    // One floor for all: the beach and the water the boat and the diver cross.
    scene.layers.push_back(FloorLayer("walkmap_cove", camera, {{0, 250}, {1024, 250}, {1024, 512}, {0, 512}}));
    // The steps back up, at the beach's left edge.
    scene.hotspots.push_back(QuadHotspot({{0, 330}, {50, 330}, {50, 512}, {0, 512}}, 0));
    scene.script = AssembleScriptBytes(CoveScript(camera));
    const Picture picture = CovePicture();
    ViewDescription view = HarbourView("cove_water", picture, camera);
    KestruneImageHeader surface;
    surface.alpha = 1;
    view.images.push_back(WriteImage(surface, {WaterSurface(picture)}));
    return {
        {"cove.scene", WriteSceneResource(scene)},
        {"cove_water.view", WriteViewResource(view)},
        {"boat.gr2", WriteGr2(BoatScene())},
        {"robot.gr2", WriteGr2(RobotScene())},
        {"particle_zodiac.image", Particle(0xFFFFFFFF)},
        {"particle_diver.image", Particle(0xFFD0F0FF)},
        {"motor.wav", Motor()},
    };
}

} // namespace vls::tools
