#include "tools/demo/demo_story.h"

#include "tools/demo/demo_messenger.h"
#include "tools/demo/demo_script_text.h"
#include "tools/demo/demo_voices.h"
#include "tools/image_writer.h"
#include "tools/script_assembler.h"

#include <cmath>
#include <string>

namespace vls::tools {

namespace {

// Looking at the lantern clicks it (sound 1) and prints a line; the rope
// used on it is tied to its ring, any other item does nothing. The printed
// line holds the script until it is read, and the tie is counted after it:
// a script that waits takes the globals up afresh when it goes on.
const char* const kLanternScript = R"(
var roped int global g_demo_lantern_roped
callsite print cOutput__Print 2 int
callsite sound cOutput__PlaySound 5 int
callsite held cInput__GetInvObject 0 string
func inv_look
 push int 1
 push float 1.0
 push float 0.0
 push string ""
 push int 0
 native - sound
 push string "An old lantern, still warm."
 push string ""
 native - print
 ret
func inv_useinv
 native - held
 push string "rope"
 eq
 jz refuse
 push string "You tie the rope to the lantern's ring."
 push string ""
 native - print
 inc ref roped
 ret
refuse:
 push string "That will not work."
 push string ""
 native - print
 ret
end
)";

// The rope is looked at by the player, who says what it is.
std::string RopeScript()
{
    return "var pc object class cCharacter global ___playercharacter\n"
           "callsite say cCharacter__Say 2 int\n"
           "callsite print cOutput__Print 2 int\n"
           "func inv_look\n"
        + SayStatements("pc", "say_rope_look", "say")
        + " ret\n"
          "func inv_useinv\n push string \"That will not work.\"\n push string \"\"\n native - print\n ret\n";
}

// The fisherman's greeting, played with the player as c1 and the fisherman
// as c2: three questions at the top, each asked aloud and answered aloud;
// after an answer the questions come back, but after the way out the talk
// ends.
constexpr const char* kTopOptions[] = {"Who keeps the light?", "Your boat is drifting loose.",
                                       "Can I get out to the lighthouse?"};
constexpr const char* kQuestions[] = {"say_pc_who", "say_pc_boat", "say_pc_way"};
constexpr const char* kAnswers[] = {"say_fisher_who", "say_fisher_boat", "say_fisher_way"};

std::string TopOptions()
{
    std::string s;
    for (int i = 0; i < 3; ++i)
        s += " push int " + std::to_string(i + 1) + "\n push string \"" + kTopOptions[i] + "\"\n native - add\n";
    return s;
}

std::string GreetingScript()
{
    std::string s = "var c1 object class cCharacter\n"
                    "var c2 object class cCharacter\n"
                    "callsite add cInput__AddDialogueOption 2 int\n"
                    "callsite bye cInput__SetDialogueGoodBye 2 int\n"
                    "callsite leave cInput__LeaveDialogue 0 int\n"
                    "callsite say cCharacter__Say 2 int\n"
                    "func onenter\n push int 0\n push string \"Goodbye.\"\n native - bye\n"
        + TopOptions() + " ret\n";
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i + 1);
        s += "func do" + n + "\n" + SayStatements("c1", kQuestions[i], "say") + SayStatements("c2", kAnswers[i], "say") + " ret\n";
        s += "func setup" + n + "\n" + (i == 2 ? std::string(" native - leave\n") : TopOptions()) + " ret\n";
    }
    s += "func do0\n native - leave\n ret\nend\n";
    return s;
}

// A picture of the item with its transparency; as a cursor it hangs from
// the mouse by its top left corner, as the glow behind it does.
std::vector<std::uint8_t> ItemImage(const tools::Picture& picture)
{
    KestruneImageHeader header;
    header.alpha = 1;
    return WriteImage(header, {picture});
}

// The lantern: a brass body with a lit glass and a ring on top.
tools::Picture LanternPicture(std::uint32_t side)
{
    tools::Picture lantern(side, side, 0x00000000);
    const std::uint32_t u = side / 16;
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x) {
            const bool ring = y >= u && y < 3 * u && (x == 7 * u || x == 9 * u - 1 || y == u);
            const bool cap = y >= 3 * u && y < 5 * u && x >= 4 * u && x < 12 * u;
            const bool glass = y >= 5 * u && y < 12 * u && x >= 5 * u && x < 11 * u;
            const bool frame = y >= 5 * u && y < 12 * u && (x == 4 * u || x == 11 * u);
            const bool base = y >= 12 * u && y < 14 * u && x >= 3 * u && x < 13 * u;
            if (glass)
                lantern.At(x, y) = 0xFFFFE080;
            else if (ring || cap || frame || base)
                lantern.At(x, y) = 0xFFA07830;
        }
    return lantern;
}

// A coil of rope seen from above: brown rings on a transparent ground.
tools::Picture RopePicture(std::uint32_t side)
{
    tools::Picture coil(side, side, 0x00000000);
    const float centre = side / 2.0f;
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x) {
            const float r = std::hypot(x + 0.5f - centre, y + 0.5f - centre) / centre;
            if (r > 0.95f || r < 0.3f)
                continue;
            const float turn = std::fmod(r * 6.0f, 1.0f);
            const auto shade = static_cast<std::uint32_t>(120 + 100 * std::sin(turn * 3.14159f));
            coil.At(x, y) = 0xFF000000 | (shade << 16) | ((shade * 3 / 4) << 8) | (shade / 2);
        }
    return coil;
}

}  // namespace

DemoStory MakeDemoStory()
{
    DemoStory story;
    InventoryItemDescription lantern;
    lantern.name = "lantern";
    lantern.icon = ItemImage(LanternPicture(64));
    lantern.cursor = ItemImage(LanternPicture(32));
    lantern.script = AssembleScriptBytes(DropIntResults(kLanternScript));
    story.items.push_back(lantern);
    InventoryItemDescription rope;
    rope.name = "rope";
    rope.icon = ItemImage(RopePicture(64));
    rope.cursor = ItemImage(RopePicture(32));
    rope.script = AssembleScriptBytes(DropIntResults(RopeScript()));
    story.items.push_back(rope);
    story.items.push_back(MakeMessengerItem());
    story.inventory = WriteInventoryResource(story.items);
    story.resources.push_back({"inventory", story.inventory.bytes});
    story.resources.push_back({"greeting.dialogue", WriteDialogueResource(3, AssembleScriptBytes(DropIntResults(GreetingScript())))});
    return story;
}

}  // namespace vls::tools
