#include "tools/demo/demo_harbour_script.h"

#include "tools/demo/demo_hints.h"
#include "tools/demo/demo_script_text.h"
#include "tools/demo/demo_voices.h"

namespace vls::tools {
namespace {

// Jumps to `label` when the hotspot acted on holds `variable`'s object.
std::string WhenActedOn(const std::string& variable, const std::string& label)
{
    return " native - acted\n pushvar ref " + variable + "\n eq\n jnz " + label + "\n";
}

std::string Say(const std::string& speaker, const std::string& speech) { return SayStatements(speaker, speech, "say"); }

// Makes a clickable object of hotspot `index` with its walk point.
std::string MakeObject(const std::string& variable, const char* name, int index, const std::string& walkPoint)
{
    return " push ref " + variable + "\n push string \"" + name + "\"\n push int " + std::to_string(index)
        + "\n push int 0\n native - object\n assign\n push bool true\n native " + variable + " enable\n" + walkPoint
        + " native " + variable + " dest\n";
}

// The fisherman faces left along the quay, towards -x: the close-up shows
// his model turned as he stands, from its camera on that side, so it sees
// his face square on.
constexpr float kFisherFacing = 180.0f;

} // namespace

std::string HarbourSceneScript(const DemoFloorCamera& quay)
{
    using namespace harbour;
    std::string s = R"(; The harbour's scene script. Entering starts the harbour's music and makes the clickable things (the
; boat, the far end of the quay that leads out to the lighthouse, the steps
; down to the cove, the coil of rope while it lies there, the lighthouse out
; at sea) and the fisherman on the
; quay, puts the player at the start, or at the quay's end when he comes back
; from the lighthouse, and after a while a gull cries (a room timer).
var pc object class cCharacter global ___playercharacter
var ropetaken int global g_demo_rope_taken
var tied int global g_demo_boat_tied
var boat object class cObject
var way object class cObject
var rope object class cObject
var fisher object class cCharacter
var tower object class cObject
var steps object class cObject
var gull int global g_demo_gull_cries
callsite object cSystem__CreateObject 3 object
callsite enable cObject__PutEnabled 1 int
callsite dest cObject__SetPathfinderDest 3 int
callsite make cSystem__CreateCharacter 5 object
callsite place cCharacter__Place 3 int
callsite talkable cCharacter__PutEnabled 1 int
callsite visible cCharacter__PutVisible 1 int
callsite meet cCharacter__SetPathfinderDest 3 int
callsite colour cCharacter__SetSpeechColor 3 int
callsite idle cCharacter__AddIdleAnimation 2 int
callsite say cCharacter__Say 2 int
callsite previous cSystem__GetPreviousRoom 0 string
callsite goto cSystem__GoTo 1 int
callsite give cInput__AddInventoryItem 1 int
callsite take cInput__RemoveInventoryItem 1 int
callsite held cInput__GetInvObject 0 string
callsite acted cInput__GetObject 0 object
callsite talk cInput__PlayDialogue 2 int
callsite sound cOutput__PlaySound 5 int
callsite overlay cOutput__LoadOverlayIntoView 2 int
callsite show cOutput__SetOverlayMode 2 int
callsite music cOutput__PlayMusic 3 int
callsite ambient cOutput__SetAmbientLight 3 int
callsite floor cSystem__SetEnvironmentLayerEnable 2 int
callsite project cSystem__RunScript 2 int
callsite timer cSystem__AddRoomTimer 2 int
callsite closer cSystem__GoToDetailView 1 int
callsite back cSystem__LeaveDetailView 0 int
callsite chat cInput__SetupChatControl 3 int
)" + HintCallSite() + "func on_enter\n";
    s += SceneEntryStatements(0.95f, 0.8f, 0.7f);
    s += R"( push string "harbour_theme"
 push string ""
 push int 4
 native - music
)";
    s += MakeObject("boat", "Boat", 0, FloorSpotArguments(quay, kBoatSide, 0));
    s += MakeObject("way", "To the lighthouse", 1, FloorSpotArguments(quay, kQuayEnd, 90));
    s += MakeObject("rope", "Rope", 2, FloorSpotArguments(quay, kRopeSide, 180));
    s += MakeObject("tower", "Lighthouse", 3, FloorSpotArguments(quay, kBoatSide, 0));
    s += MakeObject("steps", "Steps down to the cove", 4, FloorSpotArguments(quay, kCoveSteps, 270));
    s += " push float " + std::to_string(kGullSeconds) + "\n push string \"gull\"\n native - timer\n";
    s += R"( push int 0
 push string "rope"
 native - overlay
 push int 0
 push string "chatframe"
 native - overlay
 pushvar ref ropetaken
 jnz ropegone
 push string "rope"
 push int 1
 native - show
 jmp ropedone
ropegone:
 push bool false
 native rope enable
ropedone:
 push ref fisher
 push string "Fisherman"
 push int 0
 push string "figure"
 push float 4.0
 push float 8.0
 native - make
 assign
)";
    s += FloorSpotArguments(quay, kFisher, kFisherFacing) + " native fisher place\n";
    s += " push bool true\n native fisher visible\n push bool true\n native fisher talkable\n";
    s += FloorSpotArguments(quay, kFisherMeet, 0) + " native fisher meet\n";
    s += " push float 0.55\n push float 0.8\n push float 1.0\n native fisher colour\n";
    s += " push string \"figure_idle\"\n push int 1\n native fisher idle\n";
    s += " native - previous\n push string \"lighthouse\"\n eq\n jnz fromrock\n";
    s += FloorSpotArguments(quay, kStart, 0) + " native pc place\n ret\nfromrock:\n";
    s += FloorSpotArguments(quay, kQuayEnd, 270) + " native pc place\n ret\n";
    s += "func on_leave\n ret\n";
    s += "func gull\n inc ref gull\n push int 1\n push float 1.0\n push float 0.0\n push string \"\"\n push int 0\n native - sound\n ret\n";
    // The spyglass: the lighthouse seen closer, left through the frame.
    s += "func on_leavedetail\n native - back\n ret\n";
    s += HintFunction({{0, kQuayEnd, HintKind::Exit, 1},
                       {0, kRope, HintKind::Use, 0},
                       {0, {600, 300}, HintKind::Use, 0},
                       {0, kTower, HintKind::Use, 0},
                       {0, {18, 400}, HintKind::Exit, 7},
                       {0, {438, 430}, HintKind::Talk, 0}});

    // Right clicks: the player says what he sees.
    s += "func on_look\n" + WhenActedOn("boat", "look_boat") + WhenActedOn("rope", "look_rope")
        + WhenActedOn("way", "look_way");
    s += Say("pc", "say_fisher_look") + " ret\nlook_boat:\n" + Say("pc", "say_boat_look") + " ret\nlook_rope:\n"
        + Say("pc", "say_rope_look") + " ret\nlook_way:\n" + Say("pc", "say_way_look") + " ret\n";

    // Left clicks: the quay's end leads out, the rope is taken, the boat is
    // not for taking.
    s += "func on_use\n" + WhenActedOn("way", "use_way") + WhenActedOn("rope", "use_rope")
        + WhenActedOn("boat", "use_boat") + WhenActedOn("tower", "use_tower") + WhenActedOn("steps", "use_steps");
    s += " ret\nuse_way:\n push string \"lighthouse\"\n native - goto\n ret\n";
    s += "use_rope:\n inc ref ropetaken\n push bool false\n native rope enable\n push string \"rope\"\n push int 0\n native - show\n";
    s += " push int 1\n push float 1.0\n push float 0.0\n push string \"\"\n push int 0\n native - sound\n";
    s += " push string \"rope\"\n native - give\n" + Say("pc", "say_rope_take") + " ret\n";
    s += "use_steps:\n push string \"cove\"\n native - goto\n ret\n";
    s += "use_tower:\n push string \"" + std::string(kTowerView) + "\"\n native - closer\n ret\n";
    s += "use_boat:\n pushvar ref tied\n jnz use_boat_tied\n" + Say("pc", "say_boat_use") + " ret\nuse_boat_tied:\n"
        + Say("pc", "say_boat_done") + " ret\n";

    // An item used on a thing: the rope ties the boat up.
    s += "func on_useinv\n" + WhenActedOn("boat", "item_boat") + Say("pc", "say_no_use") + " ret\n";
    s += "item_boat:\n native - held\n push string \"rope\"\n eq\n jz item_none\n push string \"rope\"\n native - take\n";
    s += " inc ref tied\n push int 1\n push float 1.0\n push float 0.0\n push string \"\"\n push int 0\n native - sound\n";
    s += Say("pc", "say_boat_tied") + " ret\nitem_none:\n" + Say("pc", "say_no_use") + " ret\n";

    // The fisherman: talking shows his head close in its frame and starts
    // the greeting, in which he answers. The close-up moves his own model to
    // its camera, so he is put back on the quay when it closes.
    s += "func on_talk\n push string \"chatframe\"\n push object fisher\n push string \"chat_over\"\n native - chat\n";
    s += " push string \"greeting\"\n push object fisher\n native - talk\n ret\n";
    s += "func chat_over\n" + FloorSpotArguments(quay, kFisher, kFisherFacing) + " native fisher place\n ret\n";
    s += "func on_talkinv\n" + Say("pc", "say_fisher_item") + " ret\n";
    return DropIntResults(s);
}

} // namespace vls::tools
