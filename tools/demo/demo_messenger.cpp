#include "tools/demo/demo_messenger.h"

#include "tools/demo/demo_figure.h"
#include "tools/demo/demo_script_text.h"
#include "tools/demo/demo_voices.h"
#include "tools/gr2_figure.h"
#include "tools/gr2_writer.h"
#include "tools/image_writer.h"
#include "tools/script_assembler.h"
#include "tools/video_writer.h"
#include "engine/render/image_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace vls::tools {
namespace {

using namespace messenger;

constexpr std::uint32_t kScreenWidth = 114;
constexpr std::uint32_t kScreenHeight = 99;
constexpr std::uint32_t kDeviceSide = 240;
constexpr std::uint32_t kButtonSide = 34;
constexpr std::uint32_t kPadWidth = 31;
constexpr std::uint32_t kPadHeight = 29;

constexpr std::uint32_t kGlow = 0xFF40E0C0;    // the screen's lit colour
constexpr std::uint32_t kDark = 0xFF08201C;    // the screen switched on, empty
constexpr std::uint32_t kBody = 0xFF2A3440;

// The keeper's lines and the player's answer; the keeper speaks low.
const DemoLine kCallLines[] = {
    {"say_keeper_hello", "Keeper here. The light burns bright tonight.", 100.0},
    {"say_pc_keeper", "Good. I am on my way out to you.", 180.0},
    {"say_keeper_bye", "Then mind the gap at the end of the quay.", 100.0},
};

void Fill(Picture& p, int left, int top, int right, int bottom, std::uint32_t colour)
{
    for (int y = std::max(top, 0); y < std::min(bottom, static_cast<int>(p.height)); ++y)
        for (int x = std::max(left, 0); x < std::min(right, static_cast<int>(p.width)); ++x)
            p.At(x, y) = colour;
}

void Disc(Picture& p, float cx, float cy, float radius, std::uint32_t colour)
{
    for (std::uint32_t y = 0; y < p.height; ++y)
        for (std::uint32_t x = 0; x < p.width; ++x)
            if (std::hypot(x + 0.5f - cx, y + 0.5f - cy) <= radius)
                p.At(x, y) = colour;
}

// A triangle pointing up (or down) filling the box.
void Arrow(Picture& p, int left, int top, int width, int height, bool up, std::uint32_t colour)
{
    for (int row = 0; row < height; ++row) {
        const int fromTip = up ? row : height - 1 - row;
        const int half = fromTip * width / (2 * height);
        Fill(p, left + width / 2 - half, top + row, left + width / 2 + half + 1, top + row + 1, colour);
    }
}

std::uint32_t Scale(std::uint32_t colour, float f)
{
    auto channel = [&](int shift) {
        const float v = static_cast<float>((colour >> shift) & 0xFF) * f;
        return static_cast<std::uint32_t>(std::clamp(v, 0.0f, 255.0f)) << shift;
    };
    return (colour & 0xFF000000) | channel(16) | channel(8) | channel(0);
}

std::vector<std::uint8_t> Image(const Picture& picture, int x, int y, bool alpha)
{
    KestruneImageHeader header;
    header.x = x;
    header.y = y;
    header.alpha = alpha ? 1 : 0;
    return WriteImage(header, {picture});
}

// The device's animations are video images: the messenger follows its
// states by the end of a clip played once, which only a video reports.
// Empty with `error` set when the clip cannot be encoded.
std::vector<std::uint8_t> Animation(const std::vector<Picture>& frames, int x, int y, int rate, std::string& error)
{
    VideoClipOptions options;
    options.pixels = VideoClipOptions::Pixels::Bgr;
    options.width = static_cast<int>(kScreenWidth);
    options.height = static_cast<int>(kScreenHeight);
    options.frames = static_cast<int>(frames.size());
    options.rate = rate;
    options.paint = [&frames](int frame, int px, int py) {
        return frames[static_cast<std::size_t>(frame)].argb[static_cast<std::size_t>(py) * kScreenWidth + px];
    };
    const std::vector<std::uint8_t> clip = WriteVideoClip(options, error);
    if (clip.empty())
        return {};
    KestruneImageHeader header;
    header.width = kScreenWidth;
    header.height = kScreenHeight;
    header.x = x;
    header.y = y;
    header.frameRate = static_cast<std::uint8_t>(rate);
    header.pixelType = kImagePixelsBink;
    std::vector<std::uint8_t> bytes(kImageHeaderSize);
    WriteImageHeader(header, bytes.data());
    bytes.insert(bytes.end(), clip.begin(), clip.end());
    return bytes;
}

// The device: a dark body with rounded corners, the screen's bezel, the
// rocker (up pages back, down pages on) and the green call and red hang-up
// buttons, with a speaker grille below.
Picture DevicePicture()
{
    Picture device(kDeviceSide, kDeviceSide, 0x00000000);
    const float radius = 18.0f;
    for (std::uint32_t y = 0; y < kDeviceSide; ++y)
        for (std::uint32_t x = 0; x < kDeviceSide; ++x) {
            const float dx = std::max({radius - x, x + 1.0f - (kDeviceSide - radius), 0.0f});
            const float dy = std::max({radius - y, y + 1.0f - (kDeviceSide - radius), 0.0f});
            const float d = std::hypot(dx, dy);
            if (d > radius)
                continue;
            device.At(x, y) = d > radius - 3 ? 0xFF5A6878 : kBody;
        }
    const int sx = kScreenX - kDeviceX, sy = kScreenY - kDeviceY;
    Fill(device, sx - 5, sy - 5, sx + kScreenWidth + 5, sy + kScreenHeight + 5, 0xFF101418);
    Fill(device, sx, sy, sx + kScreenWidth, sy + kScreenHeight, 0xFF061010);
    Fill(device, 86, 148, 130, 212, 0xFF3C4652);
    Arrow(device, 94, 154, 23, 22, true, 0xFFB0B8C0);
    Arrow(device, 99, 184, 23, 22, false, 0xFFB0B8C0);
    const float half = kButtonSide / 2.0f;
    Disc(device, kConnectX - kDeviceX + half, kButtonY - kDeviceY + half, half - 1, 0xFF207030);
    Disc(device, kDisconnectX - kDeviceX + half, kButtonY - kDeviceY + half, half - 1, 0xFF802020);
    for (int slot = 0; slot < 4; ++slot)
        Fill(device, 92, 208 + slot * 6 + 6, 148, 208 + slot * 6 + 8, 0xFF181E26);
    return device;
}

Picture ButtonPicture(std::uint32_t colour)
{
    Picture button(kButtonSide, kButtonSide, 0x00000000);
    const float half = kButtonSide / 2.0f;
    Disc(button, half, half, half - 1, Scale(colour, 0.6f));
    Disc(button, half, half, half - 4, colour);
    return button;
}

Picture PadPicture(bool up)
{
    Picture pad(kPadWidth, kPadHeight, 0x00000000);
    Arrow(pad, 4, 3, 23, 22, up, 0xFFFFFFFF);
    return pad;
}

// The screen's lit frames: `draw` paints frame f of n onto a dark screen.
template <typename Draw>
std::vector<Picture> ScreenFrames(int count, Draw draw)
{
    std::vector<Picture> frames;
    for (int f = 0; f < count; ++f) {
        Picture screen(kScreenWidth, kScreenHeight, kDark);
        draw(screen, f, count);
        frames.push_back(std::move(screen));
    }
    return frames;
}

// Switching on: a line opens from the middle into the lit screen.
std::vector<Picture> StartFrames()
{
    return ScreenFrames(6, [](Picture& s, int f, int n) {
        s = Picture(kScreenWidth, kScreenHeight, 0xFF000000);
        const int half = 1 + static_cast<int>(kScreenHeight / 2) * f / (n - 1);
        Fill(s, 0, kScreenHeight / 2 - half, kScreenWidth, kScreenHeight / 2 + half, Scale(kGlow, 0.3f + 0.7f * f / n));
        if (f == n - 1)
            Fill(s, 0, 0, kScreenWidth, kScreenHeight, kDark);
    });
}

// Waiting: the contact list's lines with a blinking marker.
std::vector<Picture> ReadyFrames()
{
    return ScreenFrames(4, [](Picture& s, int f, int) {
        for (int line = 0; line < 4; ++line)
            Fill(s, 14, 18 + line * 18, 14 + 70 - line * 12, 24 + line * 18, Scale(kGlow, 0.6f));
        if (f % 2 == 0)
            Fill(s, 94, 72, 102, 80, kGlow);
    });
}

// Calling: three dots light one after the other, twice, under growing rings.
std::vector<Picture> ConnectFrames()
{
    return ScreenFrames(8, [](Picture& s, int f, int) {
        for (int dot = 0; dot < 3; ++dot)
            Disc(s, 37.0f + dot * 20, 70, 5, dot <= f % 4 - 1 || f % 4 == 3 ? kGlow : Scale(kGlow, 0.3f));
        const float ring = 8.0f + 4.0f * f;
        for (std::uint32_t y = 0; y < 55; ++y)
            for (std::uint32_t x = 0; x < kScreenWidth; ++x)
                if (std::fabs(std::hypot(x - 57.0f, y - 40.0f) - ring) < 1.5f)
                    s.At(x, y) = Scale(kGlow, 0.8f);
    });
}

// Hanging up: the picture breaks into snow that fades out.
std::vector<Picture> DisconnectFrames()
{
    return ScreenFrames(6, [](Picture& s, int f, int n) {
        std::uint32_t seed = 2024u + static_cast<std::uint32_t>(f);
        for (std::uint32_t y = 0; y < kScreenHeight; ++y)
            for (std::uint32_t x = 0; x < kScreenWidth; ++x) {
                seed = seed * 1103515245u + 12345u;
                const float grain = static_cast<float>((seed >> 16) & 0xFF) / 255.0f;
                s.At(x, y) = Scale(0xFFC0D0D0, grain * (1.0f - static_cast<float>(f) / n));
            }
    });
}

// Switching off: the screen shrinks to a line, then to a dot, then is dark.
std::vector<Picture> GoodbyeFrames()
{
    return ScreenFrames(6, [](Picture& s, int f, int n) {
        s = Picture(kScreenWidth, kScreenHeight, 0xFF000000);
        const int cx = kScreenWidth / 2, cy = kScreenHeight / 2;
        const int halfHeight = std::max(1, static_cast<int>(kScreenHeight / 2) * (n - 3 - f) / (n - 3));
        const int halfWidth = f < n - 3 ? cx : cx * (n - 1 - f) / 3;
        if (f < n - 1)
            Fill(s, cx - halfWidth, cy - halfHeight, cx + halfWidth + 1, cy + halfHeight + 1, kGlow);
    });
}

// Laid over the head during a call: a lit rim with corner marks and faint
// scan lines, see-through inside.
Picture OverlayPicture()
{
    Picture overlay(kScreenWidth, kScreenHeight, 0x00000000);
    for (std::uint32_t y = 0; y < kScreenHeight; y += 3)
        Fill(overlay, 0, y, kScreenWidth, y + 1, 0x30000000);
    Fill(overlay, 0, 0, kScreenWidth, 2, kGlow);
    Fill(overlay, 0, kScreenHeight - 2, kScreenWidth, kScreenHeight, kGlow);
    Fill(overlay, 0, 0, 2, kScreenHeight, kGlow);
    Fill(overlay, kScreenWidth - 2, 0, kScreenWidth, kScreenHeight, kGlow);
    for (int cx : {6, static_cast<int>(kScreenWidth) - 16})
        for (int cy : {6, static_cast<int>(kScreenHeight) - 8}) {
            Fill(overlay, cx, cy, cx + 10, cy + 2, kGlow);
        }
    Disc(overlay, kScreenWidth - 10.0f, 12.0f, 3.0f, 0xFFFF4040);
    return overlay;
}

// The keeper's picture in the contact list: a bearded face under a navy cap,
// with a name bar below.
Picture KeeperPicture()
{
    Picture p(kScreenWidth, kScreenHeight, 0xFF102838);
    Disc(p, 57, 46, 28, 0xFFD8A880);
    Fill(p, 27, 12, 88, 28, 0xFF1C2848);
    Fill(p, 22, 26, 94, 30, 0xFF141C34);
    Disc(p, 47, 42, 3, 0xFF202020);
    Disc(p, 67, 42, 3, 0xFF202020);
    for (std::uint32_t y = 52; y < 80; ++y)
        for (std::uint32_t x = 33; x < 82; ++x)
            if (std::hypot(x - 57.0f, (y - 52.0f) * 1.3f) < 26.0f && !(y > 56 && y < 60 && x > 49 && x < 65))
                p.At(x, y) = 0xFFB0B0B0;
    Fill(p, 0, 84, kScreenWidth, kScreenHeight, Scale(kGlow, 0.5f));
    Fill(p, 8, 89, 60, 94, kDark);
    return p;
}

// The pocket device as an item: a small handset with a lit screen.
Picture ItemPicture(std::uint32_t side)
{
    Picture item(side, side, 0x00000000);
    const int u = static_cast<int>(side / 16);
    Fill(item, 4 * u, 1 * u, 12 * u, 15 * u, kBody);
    Fill(item, 5 * u, 2 * u, 11 * u, 8 * u, kGlow);
    Fill(item, 7 * u, 9 * u, 9 * u, 13 * u, 0xFFB0B8C0);
    Fill(item, 5 * u, 10 * u, 6 * u + 1, 11 * u + 1, 0xFF40B050);
    Fill(item, 10 * u - 1, 10 * u, 11 * u, 11 * u + 1, 0xFFC04040);
    return item;
}

Gr2Texture Solid(const std::string& name, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    Gr2Texture texture{name, 4, 4, {}};
    for (int i = 0; i < 16; ++i)
        texture.rgba.insert(texture.rgba.end(), {r, g, b, 255});
    return texture;
}

// The keeper's head and shoulders on the figure's skeleton, his face to -x,
// where the messenger's camera looks from: the brow bone sits on the face,
// so the camera centres on it, and the beard hangs on the jaw bone, so it
// moves as he speaks.
Gr2Scene KeeperHeadScene()
{
    constexpr int kSpine = 2, kHead = 3, kJaw = 5;
    Gr2Scene scene;
    // Brows, eyes and a nose on weathered skin; his mouth is under the beard.
    scene.textures = {FaceTexture("keeper_face", {{200, 150, 115}, {90, 90, 90}, {30, 40, 60}, {170, 115, 90}, {200, 150, 115}}),
                      Solid("keeper_cap", 28, 40, 72), Solid("keeper_beard", 176, 176, 176),
                      Solid("keeper_coat", 20, 30, 52), Solid("keeper_skin", 200, 150, 115)};
    scene.materials = {{"Face", 0}, {"Cap", 1}, {"Beard", 2}, {"Coat", 3}, {"Skin", 4}};
    Gr2Model model = MakeFigureSkeleton();
    for (Gr2Bone& bone : model.bones) {
        if (bone.name == "bip_brows")
            bone.position = {-0.1f, 0.14f, 0.0f};
        else if (bone.name == "bip_mandible")
            bone.position = {-0.06f, 0.02f, 0.0f};
        else if (bone.name == "bip_smile_left")
            bone.position = {-0.09f, 0.05f, -0.04f};
        else if (bone.name == "bip_smile_right")
            bone.position = {-0.09f, 0.05f, 0.04f};
    }
    Gr2Mesh head;
    head.name = "KeeperHead";
    head.skinned = true;
    for (int b = 0; b < static_cast<int>(model.bones.size()); ++b)
        head.joints.push_back(b);
    const std::array<float, 4> full = {1, 0, 0, 0};
    auto box = [&](int material, int bone, std::array<float, 3> low, std::array<float, 3> high) {
        Gr2Group group;
        group.material = material;
        const std::array<int, 4> joints = {bone, 0, 0, 0};
        AddBox(head, group, low, high, joints, full, joints, full);
        head.groups.push_back(group);
    };
    box(4, kHead, {-0.1f, 1.55f, -0.1f}, {0.1f, 1.8f, 0.1f});
    box(0, kHead, {-0.102f, 1.55f, -0.1f}, {-0.1f, 1.8f, 0.1f});
    box(1, kHead, {-0.11f, 1.78f, -0.11f}, {0.11f, 1.86f, 0.11f});
    box(1, kHead, {-0.16f, 1.78f, -0.11f}, {-0.1f, 1.795f, 0.11f});
    box(2, kJaw, {-0.12f, 1.47f, -0.09f}, {-0.02f, 1.6f, 0.09f});
    box(3, kSpine, {-0.12f, 1.2f, -0.2f}, {0.12f, 1.5f, 0.2f});
    model.meshes.push_back(head);
    scene.models.push_back(model);
    scene.animations = MakeIdleScene().animations;
    return scene;
}

std::string Say(const std::string& speaker, const DemoLine& line)
{
    return " push string \"" + std::string(line.text) + "\"\n push string \"" + line.speech + "\"\n native " + speaker
        + " say\n";
}

// The call: the keeper (c2, the messenger's contact) greets, the player
// (c1) answers, the keeper warns him, and the keeper hangs up. The calls
// that ran to their end are counted in a game-wide global.
std::string CallDialogueScript()
{
    return "var c1 object class cCharacter\n"
           "var c2 object class cCharacter\n"
           "var calls int global g_demo_keeper_calls\n"
           "callsite leave cInput__LeaveDialogue 0 int\n"
           "callsite say cCharacter__Say 2 int\n"
           "callsite hangup cSystem__CloseMessengerConnection 0 int\n"
           "func onenter\n"
        + Say("c2", kCallLines[0]) + Say("c1", kCallLines[1]) + Say("c2", kCallLines[2])
        + " native - leave\n native - hangup\n inc ref calls\n ret\nend\n";
}

const char* const kItemScript = R"(
callsite print cOutput__Print 2 int
func inv_look
 push string "My pocket messenger. M opens it."
 push string ""
 native - print
 ret
func inv_useinv
 push string "That will not work."
 push string ""
 native - print
 ret
end
)";

// The project's functions the messenger runs; like the project's own they
// end on its one return ("finish"). The keeper's speech colour is given with
// blue in the high byte (0x00BBGGRR): a pale blue, 0x80C0FF as red, green,
// blue.
const char* const kProjectScript = R"(
var messenger_contacts int global g_demo_messenger_contacts
callsite messenger_show cSystem__OpenMessenger 0 int
callsite messenger_hide cSystem__CloseMessenger 0 int
callsite messenger_add cSystem__AddMessengerItem 5 int
callsite messenger_talk cInput__PlayDialogue 2 int

; The keeper joins the contacts the first time the device opens; a savegame
; keeps them from then on.
func messenger_open
 pushvar ref messenger_contacts
 jnz messenger_has_contacts
 inc ref messenger_contacts
 push string "keeper"
 push string "messenger_keeper"
 push string ""
 push string "keeper_head"
 push int 16761024
 native - messenger_add
messenger_has_contacts:
 native - messenger_show
 jmp finish

func messenger_close
 native - messenger_hide
 jmp finish

; The keeper answers: the call is a dialogue in which he is the second
; speaker, which the messenger's head stands in for.
func messenger__keeper
 push string "keeper_call"
 push object pc
 native - messenger_talk
 jmp finish
)";

} // namespace

InventoryItemDescription MakeMessengerItem()
{
    InventoryItemDescription item;
    item.name = "Messenger";
    item.icon = Image(ItemPicture(64), 0, 0, true);
    item.cursor = Image(ItemPicture(32), 0, 0, true);
    item.script = AssembleScriptBytes(DropIntResults(kItemScript));
    return item;
}

std::vector<DemoResource> MakeMessengerResources(std::string& error)
{
    constexpr int kRate = 8;
    const struct {
        const char* name;
        std::vector<Picture> frames;
        int rate;
    } animations[] = {
        {"messenger_start.image", StartFrames(), kRate},   {"messenger_ready.image", ReadyFrames(), 2},
        {"messenger_goodbye.image", GoodbyeFrames(), kRate}, {"messenger_connect.image", ConnectFrames(), kRate},
        {"messenger_disconnect.image", DisconnectFrames(), kRate},
    };
    std::vector<DemoResource> resources = {{"messenger_main.image", Image(DevicePicture(), kDeviceX, kDeviceY, true)}};
    for (const auto& animation : animations) {
        std::vector<std::uint8_t> bytes = Animation(animation.frames, kScreenX, kScreenY, animation.rate, error);
        if (bytes.empty())
            return {};
        resources.push_back({animation.name, std::move(bytes)});
    }
    const std::vector<DemoResource> stills = {
        {"messenger_overlay.image", Image(OverlayPicture(), kScreenX, kScreenY, true)},
        {"messenger_btnpadl.image", Image(PadPicture(true), kDeviceX + 90, kDeviceY + 151, true)},
        {"messenger_btnpadr.image", Image(PadPicture(false), kDeviceX + 95, kDeviceY + 181, true)},
        {"messenger_btnconnect.image", Image(ButtonPicture(0xFF50F070), kConnectX, kButtonY, true)},
        {"messenger_btndisconnect.image", Image(ButtonPicture(0xFFFF6060), kDisconnectX, kButtonY, true)},
        {"messenger_keeper.image", Image(KeeperPicture(), kScreenX, kScreenY, false)},
        {"keeper_head.gr2", WriteGr2(KeeperHeadScene())},
        {"keeper_call.dialogue", WriteDialogueResource(1, AssembleScriptBytes(DropIntResults(CallDialogueScript())))},
    };
    resources.insert(resources.end(), stills.begin(), stills.end());
    for (const DemoLine& line : kCallLines) {
        resources.push_back({std::string(line.speech) + ".ogg", Murmur(line)});
        resources.push_back({std::string(line.speech) + ".sync", LipSync(line)});
    }
    return resources;
}

std::string MessengerProjectScript() { return DropIntResults(kProjectScript); }

} // namespace vls::tools
