#include "tools/demo/demo_harbour.h"

#include "engine/render/kestrune_graphics.h"
#include "tools/demo/demo_floor.h"
#include "tools/demo/demo_harbour_script.h"
#include "tools/image_writer.h"
#include "tools/scene_writer.h"
#include "tools/script_assembler.h"

#include <algorithm>
#include <cmath>

namespace vls::tools {
namespace {

constexpr std::uint32_t kBandWidth = cKestruneGraphics::kScreenWidth;
constexpr std::uint32_t kBandHeight = cKestruneGraphics::kBandBottom - cKestruneGraphics::kBandTop;
constexpr float kBackgroundDepth = 190.0f;
constexpr std::uint32_t kHorizon = static_cast<std::uint32_t>(kSeaHorizonRow);
constexpr std::uint32_t kSpyglassRim = 0xFFB08840;
// Where the chat control draws a talking head on the screen.
constexpr int kChatViewLeft = 298, kChatViewTop = 216, kChatViewWidth = 340, kChatViewHeight = 290;

struct Point {
    float x;
    float y;
};

std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return 0xFF000000 | (r << 16) | (g << 8) | b; }

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, float t)
{
    const auto channel = [&](int shift) {
        const float from = static_cast<float>((a >> shift) & 0xFF);
        const float to = static_cast<float>((b >> shift) & 0xFF);
        return static_cast<std::uint32_t>(from + (to - from) * t) & 0xFF;
    };
    return Rgb(channel(16), channel(8), channel(0));
}

// Drawing on a band-sized picture; everything is clipped to the picture.
class Canvas {
public:
    Canvas() : picture(kBandWidth, kBandHeight) {}

    void Sky()
    {
        for (std::uint32_t y = 0; y < kHorizon; ++y) {
            const std::uint32_t colour = Mix(Rgb(24, 40, 96), Rgb(236, 150, 90), static_cast<float>(y) / kHorizon);
            Row(y, 0, kBandWidth, colour);
        }
    }

    // Dark water with lighter wave lines that thin out towards the horizon.
    void Sea()
    {
        for (std::uint32_t y = kHorizon; y < kBandHeight; ++y) {
            const float depth = static_cast<float>(y - kHorizon) / (kBandHeight - kHorizon);
            const std::uint32_t base = Mix(Rgb(70, 90, 130), Rgb(16, 40, 70), depth);
            for (std::uint32_t x = 0; x < kBandWidth; ++x) {
                const float wave = std::sin(x * (0.05f - 0.03f * depth) + y * 1.7f);
                picture.At(x, y) = wave > 0.92f ? Mix(base, Rgb(200, 210, 230), 0.5f) : base;
            }
        }
    }

    void Disc(float cx, float cy, float radius, std::uint32_t colour)
    {
        for (int y = static_cast<int>(cy - radius); y <= static_cast<int>(cy + radius); ++y)
            for (int x = static_cast<int>(cx - radius); x <= static_cast<int>(cx + radius); ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
                    Put(x, y, colour);
    }

    // Even-odd fill, sampled at pixel centres.
    void Polygon(const std::vector<Point>& points, std::uint32_t colour)
    {
        float top = points[0].y, bottom = points[0].y;
        for (const Point& p : points) {
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
        for (int y = std::max(0, static_cast<int>(top)); y <= std::min<int>(kBandHeight - 1, static_cast<int>(bottom)); ++y) {
            const float sy = y + 0.5f;
            std::vector<float> crossings;
            for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                const Point& a = points[i];
                const Point& b = points[j];
                if ((a.y > sy) != (b.y > sy))
                    crossings.push_back(a.x + (sy - a.y) * (b.x - a.x) / (b.y - a.y));
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t k = 0; k + 1 < crossings.size(); k += 2)
                for (int x = static_cast<int>(std::ceil(crossings[k] - 0.5f)); x < static_cast<int>(std::ceil(crossings[k + 1] - 0.5f)); ++x)
                    Put(x, y, colour);
        }
    }

    void Rect(int left, int top, int right, int bottom, std::uint32_t colour)
    {
        Polygon({{float(left), float(top)}, {float(right), float(top)}, {float(right), float(bottom)}, {float(left), float(bottom)}},
                colour);
    }

    // Stone courses: light mortar lines every rows pixels, offset every other course.
    void Stones(int left, int top, int right, int bottom, int rows)
    {
        Rect(left, top, right, bottom, Rgb(120, 114, 104));
        for (int y = top; y < bottom; y += rows) {
            Rect(left, y, right, y + 2, Rgb(168, 160, 146));
            const int offset = ((y - top) / rows) % 2 ? 24 : 0;
            for (int x = left + offset; x < right; x += 48)
                Rect(x, y, x + 2, std::min(y + rows, bottom), Rgb(168, 160, 146));
        }
    }

    // A lighthouse on its rock: white tower with red bands and a lit lamp.
    void Lighthouse(float x, float base, float height)
    {
        Polygon({{x - 70, base + 6}, {x - 40, base - 20}, {x + 45, base - 24}, {x + 80, base + 6}}, Rgb(60, 52, 48));
        const float top = base - height;
        Polygon({{x - 22, base - 18}, {x - 13, top}, {x + 13, top}, {x + 22, base - 18}}, Rgb(236, 232, 222));
        for (int band = 1; band <= 3; band += 2) {
            const float y1 = base - 18 - (height - 18) * band / 5.0f;
            const float y2 = base - 18 - (height - 18) * (band + 1) / 5.0f;
            Polygon({{x - 22, y1}, {x - 13, y2}, {x + 13, y2}, {x + 22, y1}}, Rgb(190, 40, 36));
        }
        Rect(static_cast<int>(x - 12), static_cast<int>(top - 18), static_cast<int>(x + 12), static_cast<int>(top), Rgb(255, 236, 140));
        Polygon({{x - 16, top - 18}, {x, top - 32}, {x + 16, top - 18}}, Rgb(40, 40, 44));
    }

    // A fishing boat: hull, cabin, mast and a sail.
    void Boat(float x, float waterline, float scale)
    {
        Polygon({{x - 90 * scale, waterline - 30 * scale}, {x + 100 * scale, waterline - 30 * scale},
                 {x + 75 * scale, waterline + 8 * scale}, {x - 70 * scale, waterline + 8 * scale}},
                Rgb(110, 62, 36));
        Rect(static_cast<int>(x - 90 * scale), static_cast<int>(waterline - 34 * scale), static_cast<int>(x + 100 * scale),
             static_cast<int>(waterline - 28 * scale), Rgb(230, 220, 196));
        Rect(static_cast<int>(x + 20 * scale), static_cast<int>(waterline - 62 * scale), static_cast<int>(x + 64 * scale),
             static_cast<int>(waterline - 30 * scale), Rgb(210, 200, 180));
        Rect(static_cast<int>(x - 22 * scale), static_cast<int>(waterline - 170 * scale), static_cast<int>(x - 16 * scale),
             static_cast<int>(waterline - 30 * scale), Rgb(60, 40, 28));
        Polygon({{x - 14 * scale, waterline - 165 * scale}, {x + 10 * scale, waterline - 40 * scale},
                 {x - 14 * scale, waterline - 40 * scale}},
                Rgb(240, 232, 210));
        Polygon({{x - 24 * scale, waterline - 160 * scale}, {x - 24 * scale, waterline - 44 * scale},
                 {x - 86 * scale, waterline - 44 * scale}},
                Rgb(226, 206, 170));
    }

    Picture picture;

private:
    void Put(int x, int y, std::uint32_t colour)
    {
        if (x >= 0 && y >= 0 && x < static_cast<int>(kBandWidth) && y < static_cast<int>(kBandHeight))
            picture.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) = colour;
    }
    void Row(std::uint32_t y, std::uint32_t from, std::uint32_t to, std::uint32_t colour)
    {
        for (std::uint32_t x = from; x < to; ++x)
            picture.At(x, y) = colour;
    }
};

// What both views see: the evening sky with its sun, the sea, the lighthouse
// on its rock (at its foot) and the boat (at its waterline).
struct Seascape {
    Point sun;
    float sunRadius;
    Point lighthouse;
    float towerHeight;
    Point boat;
    float boatScale;
};

void DrawSeascape(Canvas& canvas, const Seascape& scape)
{
    canvas.Sky();
    canvas.Disc(scape.sun.x, scape.sun.y, scape.sunRadius, Rgb(255, 214, 120));
    canvas.Sea();
    canvas.Lighthouse(scape.lighthouse.x, scape.lighthouse.y, scape.towerHeight);
    canvas.Boat(scape.boat.x, scape.boat.y, scape.boatScale);
}

// From the quay: the stone quay on the left, the boat moored off it and the
// lighthouse out at sea under the evening sun.
Picture QuayPicture()
{
    Canvas canvas;
    DrawSeascape(canvas, {{700, 190}, 44, {880, 250}, 150, {600, 360}, 1.0f});
    canvas.Polygon({{0, 300}, {430, 300}, {520, 512}, {0, 512}}, Rgb(150, 142, 128));
    canvas.Stones(0, 300, 430, 512, 26);
    canvas.Polygon({{430, 300}, {520, 512}, {460, 512}, {400, 330}}, Rgb(92, 86, 78));
    for (int post = 0; post < 3; ++post)
        canvas.Rect(60 + post * 140, 266, 76 + post * 140, 302, Rgb(70, 60, 52));
    return canvas.picture;
}

// The pier's row at t (0 at its far end, 1 at the bottom of the band): its
// height on the picture and its half width, narrowing with the distance.
std::pair<float, float> PierRow(float t)
{
    const float far = kHorizon + 40.0f;
    const float y = far + (kBandHeight - far) * t * t;
    return {y, 40 + (388 - 40) * (y - far) / (kBandHeight - far)};
}

// Out on the pier: planks running to the horizon between their posts, the
// lighthouse ahead and the boat to the right.
Picture PierPicture()
{
    Canvas canvas;
    DrawSeascape(canvas, {{300, 160}, 36, {512, 228}, 110, {840, 330}, 0.8f});
    canvas.Polygon({{472, kHorizon + 40.0f}, {552, kHorizon + 40.0f}, {900, 512}, {124, 512}}, Rgb(140, 100, 62));
    for (int plank = 0; plank < 14; ++plank) {
        const float t = static_cast<float>(plank) / 14;
        const auto [y, half] = PierRow(t);
        canvas.Rect(static_cast<int>(512 - half), static_cast<int>(y), static_cast<int>(512 + half), static_cast<int>(y + 1 + 3 * t),
                    Rgb(96, 66, 40));
    }
    for (int side = -1; side <= 1; side += 2)
        for (int post = 0; post < 4; ++post) {
            const float t = (post + 1) / 4.0f;
            const auto [y, half] = PierRow(t);
            const float x = 512 + side * half;
            const float width = 4 + 14 * t;
            canvas.Rect(static_cast<int>(x - width / 2), static_cast<int>(y - 90 * t), static_cast<int>(x + width / 2),
                        static_cast<int>(y), Rgb(66, 46, 30));
        }
    return canvas.picture;
}

// The lighthouse through the spyglass: a close-up inside a round eyepiece,
// black around it.
Picture TowerPicture()
{
    Canvas canvas;
    DrawSeascape(canvas, {{180, 110}, 30, {512, 470}, 420, {880, 420}, 0.5f});
    const float cx = kBandWidth / 2.0f, cy = kBandHeight / 2.0f, radius = kBandHeight / 2.0f - 8;
    for (std::uint32_t y = 0; y < kBandHeight; ++y)
        for (std::uint32_t x = 0; x < kBandWidth; ++x) {
            const float r = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            if (r > radius)
                canvas.picture.At(x, y) = Rgb(0, 0, 0);
            else if (r > radius - 6)
                canvas.picture.At(x, y) = kSpyglassRim;
        }
    return canvas.picture;
}

// The coil of rope on the quay: brown rings, seen at a slant, on a
// transparent ground; placed so its centre is the script's rope spot.
constexpr std::uint32_t kRopeWidth = 96;
constexpr std::uint32_t kRopeHeight = 44;

std::vector<std::uint8_t> RopePicture(const DemoFloorCamera& quay)
{
    Picture coil(kRopeWidth, kRopeHeight, 0x00000000);
    const float cx = kRopeWidth / 2.0f, cy = kRopeHeight / 2.0f;
    for (std::uint32_t y = 0; y < kRopeHeight; ++y)
        for (std::uint32_t x = 0; x < kRopeWidth; ++x) {
            const float dx = (x + 0.5f - cx) / (kRopeWidth / 2.0f);
            const float dy = (y + 0.5f - cy) / (kRopeHeight / 2.0f);
            const float r = std::sqrt(dx * dx + dy * dy);
            if (r > 1.0f || r < 0.25f)
                continue;
            // Four turns of rope, each lit on its upper side.
            const float turn = std::fmod(r * 5.0f, 1.0f);
            const std::uint32_t shade = static_cast<std::uint32_t>(150 + 70 * std::sin(turn * 3.14159f) - 30 * dy);
            coil.At(x, y) = Rgb(std::min<std::uint32_t>(shade, 255), shade * 3 / 4, shade / 2);
        }
    KestruneImageHeader header;
    header.alpha = 1;
    header.x = static_cast<std::int32_t>(harbour::kRope.x - cx);
    header.y = static_cast<std::int32_t>(harbour::kRope.y - cy);
    // Drawn among the characters by its distance: that of its lower edge.
    header.depth = quay.Depth(harbour::kRope.y + cy);
    return WriteImage(header, {coil});
}

// The frame the fisherman's head is shown in while he talks (the chat
// control's overlay, hidden in the view): brass around a clear window over
// the head's viewport.
std::vector<std::uint8_t> ChatFrame()
{
    constexpr int kBorder = 20;
    Picture frame(kChatViewWidth + 2 * kBorder, kChatViewHeight + 2 * kBorder, 0x00000000);
    for (std::uint32_t y = 0; y < frame.height; ++y)
        for (std::uint32_t x = 0; x < frame.width; ++x) {
            const bool inside = x >= kBorder && y >= kBorder && x < frame.width - kBorder && y < frame.height - kBorder;
            if (!inside)
                frame.At(x, y) = harbour::kChatFrameColour;
        }
    KestruneImageHeader header;
    header.alpha = 1;
    header.x = kChatViewLeft - kBorder;
    header.y = kChatViewTop - kBorder - static_cast<int>(cKestruneGraphics::kBandTop);
    return WriteImage(header, {frame});
}

std::vector<HotspotPoint> RopeOutline()
{
    const std::int32_t x = static_cast<std::int32_t>(harbour::kRope.x), y = static_cast<std::int32_t>(harbour::kRope.y);
    const std::int32_t w = kRopeWidth / 2, h = kRopeHeight / 2;
    return {{x - w, y - h}, {x + w, y - h}, {x + w, y + h}, {x - w, y + h}};
}

}  // namespace

ViewDescription HarbourView(const std::string& name, const Picture& picture, const DemoFloorCamera& camera)
{
    ViewDescription view;
    view.header.name = name;
    camera.FillHeader(view.header);
    camera.FillDepthMap(view);
    // The painted scene is behind everything drawn in front of it.
    KestruneImageHeader background;
    background.depth = kBackgroundDepth;
    view.images.push_back(WriteImage(background, {picture}));
    return view;
}

HotspotData QuadHotspot(const std::vector<HotspotPoint>& corners, std::int8_t cursor)
{
    HotspotData hotspot;
    HotspotArea area;
    area.polygonCount = 1;
    area.cursor = cursor;
    hotspot.areas.push_back(area);
    hotspot.polygons.push_back({static_cast<std::uint32_t>(corners.size()), 0, 0});
    hotspot.points = corners;
    return hotspot;
}

std::vector<BandPoint> RockLedgeOnBand(const DemoFloorCamera& camera, const RockLedge& ledge)
{
    std::vector<BandPoint> corners;
    for (const float y : {0.0f, ledge.height})
        for (const float z : {ledge.front.z, ledge.front.z + kRockLedgeDepth})
            for (const float x : {ledge.front.x - kRockLedgeHalfWidth, ledge.front.x + kRockLedgeHalfWidth})
                corners.push_back(camera.Project({x, z}, y));
    return corners;
}

// From the lighthouse's rock: the tower close by on the left, the harbour's
// quay far off across the water and the boat on its way out.
Picture LighthouseRockPicture(const DemoFloorCamera& camera, const RockLedge& ledge)
{
    Canvas canvas;
    DrawSeascape(canvas, {{820, 150}, 30, {300, 470}, 400, {700, 300}, 0.45f});
    canvas.Polygon({{560, kHorizon + 6.0f}, {1024, kHorizon + 2.0f}, {1024, kHorizon + 30.0f}, {600, kHorizon + 24.0f}},
                   Rgb(120, 112, 100));
    canvas.Polygon({{0, 420}, {380, 400}, {620, 470}, {700, 512}, {0, 512}}, Rgb(72, 64, 58));
    // The tower's door and the brass plaque beside the keeper's log.
    canvas.Rect(292, 418, 308, 452, Rgb(70, 44, 28));
    canvas.Rect(291, 330, 309, 346, Rgb(200, 160, 70));
    // The ledge: its sides in shade, its top lit from the sky. Of its two
    // ends the camera sees the one nearer its own x.
    std::vector<Point> band;
    for (const BandPoint& p : RockLedgeOnBand(camera, ledge))
        band.push_back({p.x, p.y});
    const auto face = [&band](std::array<int, 4> corners) {
        return std::vector<Point>{band[corners[0]], band[corners[1]], band[corners[2]], band[corners[3]]};
    };
    const bool rightEnd = camera.EyeX() > ledge.front.x;
    canvas.Polygon(rightEnd ? face({1, 3, 7, 5}) : face({0, 2, 6, 4}), Rgb(64, 57, 52));
    canvas.Polygon(face({0, 1, 5, 4}), Rgb(54, 48, 44));
    canvas.Polygon(face({4, 5, 7, 6}), kRockLedgeTopColour);
    return canvas.picture;
}

std::vector<DemoResource> MakeHarbourResources()
{
    const DemoFloorCamera quay(0.0f, kDemoEyeHeight, kSeaHorizonRow);
    const DemoFloorCamera pier(20.0f, kDemoEyeHeight, kSeaHorizonRow);
    SceneDescription scene;
    scene.name = "harbour";
    scene.viewNames = {"harbour_quay", "harbour_pier"};
    // The quay's paving, short of its edge over the water.
    scene.layers.push_back(FloorLayer("walkmap_quay", quay, {{0, 306}, {424, 306}, {508, 512}, {0, 512}}));

    // The boat, at the far end of the quay the way out to the lighthouse, and
    // the coil of rope lying on the quay.
    scene.hotspots.push_back(QuadHotspot({{510, 200}, {700, 200}, {680, 370}, {530, 370}}, 0));
    scene.hotspots.push_back(QuadHotspot({{330, 290}, {430, 290}, {445, 335}, {330, 335}}, 0));
    scene.hotspots.push_back(QuadHotspot(RopeOutline(), 0));
    // The lighthouse out at sea, looked at closer through the spyglass.
    scene.hotspots.push_back(QuadHotspot({{850, 90}, {910, 90}, {910, 256}, {850, 256}}, 0));
    // The steps down to the cove, at the quay's left end.
    scene.hotspots.push_back(QuadHotspot({{0, 330}, {36, 330}, {36, 512}, {0, 512}}, 0));
    scene.viewNames.push_back(harbour::kTowerView);
    scene.script = AssembleScriptBytes(HarbourSceneScript(quay));

    // The close-up's camera stands far off to the side, so no figure of the
    // quay shows in it.
    ViewDescription tower = HarbourView(harbour::kTowerView, TowerPicture(), DemoFloorCamera(500.0f, kDemoEyeHeight, kSeaHorizonRow));
    tower.header.detail = 1;

    return {
        {"harbour.scene", WriteSceneResource(scene)},
        {"harbour_quay.view", WriteViewResource(HarbourView("harbour_quay", QuayPicture(), quay))},
        {"harbour_pier.view", WriteViewResource(HarbourView("harbour_pier", PierPicture(), pier))},
        {"harbour_quay_rope.image", RopePicture(quay)},
        {"harbour_quay_chatframe.image", ChatFrame()},
        {std::string(harbour::kTowerView) + ".view", WriteViewResource(tower)},
    };
}

}  // namespace vls::tools
