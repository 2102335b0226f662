#include "tools/demo/demo_story.h"

#include "tools/image_writer.h"
#include "tools/script_assembler.h"

namespace vls::tools {

namespace {

// Looking at the lantern clicks it (sound 1) and prints a line; using it on itself starts the dialogue.
const char* const kLanternScript = R"(
callsite print cOutput__Print 2 int
callsite talk cInput__PlayDialogue 1 int
callsite sound cOutput__PlaySound 5 int
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
 push string "greeting"
 native - talk
 ret
end
)";

// Two options at the top; the first leads a level down with a way back up,
// the second takes the player out to the lighthouse.
const char* const kGreetingScript = R"(
callsite add cInput__AddDialogueOption 2 int
callsite up cInput__SetDialogueGoUp 2 int
callsite leave cInput__LeaveDialogue 0 int
callsite goto cSystem__GoTo 1 int
func onenter
 push int 1
 push string "Who lit you?"
 native - add
 push int 2
 push string "Show me the way."
 native - add
 ret
func do1
 push int 2
 push string "Show me the way."
 native - add
 push int 9
 push string "Back."
 native - up
 ret
func setup1
 push int 1
 push string "Who lit you?"
 native - add
 push int 2
 push string "Show me the way."
 native - add
 ret
func do2
 native - leave
 push string "lighthouse"
 native - goto
 ret
func do0
 native - leave
 ret
end
)";

std::vector<std::uint8_t> ItemPicture(std::uint32_t side, std::uint32_t argb)
{
    KestruneImageHeader header;
    header.alpha = 1;
    return WriteImage(header, {tools::Picture(side, side, argb)});
}

}  // namespace

DemoStory MakeDemoStory()
{
    DemoStory story;
    InventoryItemDescription lantern;
    lantern.name = "lantern";
    lantern.icon = ItemPicture(64, 0xFFE0B040);
    lantern.cursor = ItemPicture(32, 0xFFE0B040);
    lantern.script = AssembleScriptBytes(kLanternScript);
    story.items.push_back(lantern);
    story.inventory = WriteInventoryResource(story.items);
    story.resources.push_back({"inventory", story.inventory.bytes});
    story.resources.push_back({"greeting.dialogue", WriteDialogueResource(2, AssembleScriptBytes(kGreetingScript))});
    return story;
}

}  // namespace vls::tools
