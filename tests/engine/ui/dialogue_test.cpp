// The dialogue player: option levels and their display, the hooks in
// order, lines suspending and resuming their scripts on the injected clock,
// and the "DLG" block.

#include "engine/natives/engine_natives.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/ui/kestrune_dialogue.h"
#include "tests/engine/ui/ui_fixture.h"
#include "tests/support/reused_script.h"

namespace vls::test {
namespace {

// onenter offers 1 and 2; do1 offers 3 and a way back up (9); setup1 offers
// 1 and 2 again; every hook marks its name.
const char* const kTree = R"(
callsite mark test__Mark 1 int
callsite add cInput__AddDialogueOption 2 int
callsite up cInput__SetDialogueGoUp 2 int
func onenter
 push string "onenter"
 native - mark
 push int 1
 push string "  first"
 native - add
 push int 2
 push string "second"
 native - add
 ret
func eval1
 push string "eval1"
 native - mark
 ret
func do1
 push string "do1"
 native - mark
 push int 3
 push string "deeper"
 native - add
 push int 9
 push string "back"
 native - up
 ret
func setup1
 push string "setup1"
 native - mark
 push int 1
 push string "first"
 native - add
 push int 2
 push string "second"
 native - add
 ret
func do0
 push string "do0"
 native - mark
 ret
end
)";

class Dialogue : public UiWorld {
protected:
    Dialogue()
    {
        RegisterInputNatives();
        StartGame();
        gameplay->dialogue = &dialogue;
    }
    ~Dialogue() override { gameplay->dialogue = nullptr; }

    void PlayTree(const char* name = "tree")
    {
        const std::vector<uint8_t> bytes = tools::WriteDialogueResource(3, Script(kTree));
        ASSERT_EQ(dialogue.PlayFromMemory(bytes.data(), bytes.size(), name), 0);
        dialogue.Start();
    }

    std::vector<std::string> Captions() const
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < dialogue.EntryCount(); ++i)
            out.push_back(dialogue.Entry(i).caption.GetText());
        return out;
    }

    // Hovers the entry at index and clicks it.
    void Choose(int32_t index)
    {
        gameplay->mouseY = dialogue.Entry(index).y - 5;
        gameplay->leftEvent = 1;
        dialogue.Update();
    }

    DWORD ColourOf(int32_t index) const
    {
        const auto* text = ResolveObjectAs<cKestruneText>(dialogue.Entry(index).text, ObjectKind::Text);
        return text && text->quadCount > 0 ? text->vertices[0].colour & 0xFFF0F0F0 : 0;
    }

    // A script whose function "after" marks "resumed", suspended at its start.
    std::unique_ptr<cKestruneScript> Waiter(const char* mark = "resumed")
    {
        auto script = LoadScript(WaiterSource(mark));
        script->pc = script->functions.data[0].offset;
        return script;
    }

    static std::string WaiterSource(const char* mark)
    {
        return std::string("callsite mark test__Mark 1 int\n func after\n push string \"") + mark +
               "\"\n native - mark\n ret\n end\n";
    }

    cKestruneDialogue dialogue;
};

TEST_F(Dialogue, LevelsOfferTheirOptionsAndTheHooksRunInOrder)
{
    gameplay->leftEvent = 1;
    PlayTree();
    EXPECT_EQ(Marks(), (std::vector<std::string>{"onenter", "eval1"}));
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kChoosing);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"  first", "second", "exit"}));
    EXPECT_EQ(gameplay->leftEvent, 0) << "the click that led here does not choose";
    // Laid out below the band, a line height apart, leading blanks gone.
    EXPECT_EQ(dialogue.Entry(0).y, 660);
    EXPECT_EQ(dialogue.Entry(2).y, 700);
    const auto* first = ResolveObjectAs<cKestruneText>(dialogue.Entry(0).text, ObjectKind::Text);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->quadCount, 5);
    EXPECT_EQ(first->x, cKestruneDialogue::kOptionX);

    // Hovering highlights the entry and sets the panel behind it once a frame.
    gameplay->mouseY = 670;
    dialogue.Update();
    EXPECT_EQ(dialogue.hovered, 1);
    EXPECT_EQ(ColourOf(1), static_cast<DWORD>(cKestruneDialogue::kHighlight) & 0xFFF0F0F0);
    const KestruneScreenVertex* panel = dialogue.TakeHighlight();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel[0].y, 660.0f);
    EXPECT_EQ(panel[2].y, 680.0f);
    EXPECT_EQ(panel[0].colour, 0x60F0FFFFu);
    EXPECT_EQ(dialogue.TakeHighlight(), nullptr);

    Marks().clear();
    Choose(0);
    EXPECT_EQ(Marks(), (std::vector<std::string>{"do1"}));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"deeper", "back", "exit"}));
    EXPECT_EQ(dialogue.levels.count, 2);
    EXPECT_EQ(dialogue.currentLevel, 1);
    EXPECT_EQ(dialogue.OptionShade(-1), cKestruneDialogue::kDim);

    Marks().clear();
    Choose(1); // back up
    EXPECT_EQ(Marks(), (std::vector<std::string>{"setup1", "eval1"}));
    EXPECT_EQ(dialogue.levels.count, 1);
    EXPECT_EQ(dialogue.OptionShade(1), cKestruneDialogue::kDim) << "chosen before";
    EXPECT_EQ(dialogue.OptionShade(2), cKestruneDialogue::kBright);
    EXPECT_EQ(dialogue.OptionShade(4), cKestruneDialogue::kDim) << "past the option count";
    EXPECT_EQ(ColourOf(0), static_cast<DWORD>(cKestruneDialogue::kDim) & 0xFFF0F0F0);

    // The same dialogue played again keeps its choices.
    PlayTree();
    EXPECT_EQ(dialogue.OptionShade(1), cKestruneDialogue::kDim);
    EXPECT_EQ(dialogue.records.size(), 1u);
    PlayTree("other");
    EXPECT_EQ(dialogue.OptionShade(1), cKestruneDialogue::kBright);
}

TEST_F(Dialogue, GoingUpFromTheTopEndsWithNoOptions)
{
    PlayTree();
    dialogue.MarkLastGoUp(); // the exit entry, here, goes up
    Choose(2);
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kIdle);
    EXPECT_EQ(dialogue.EntryCount(), 0);
}

TEST_F(Dialogue, ALeftDialogueStaysLeftWhenALaterLineEnds)
{
    PlayTree();
    Choose(0);
    ASSERT_EQ(dialogue.levels.count, 2);
    dialogue.ClearLines();
    EXPECT_EQ(dialogue.levels.count, 0);

    Marks().clear();
    auto script = Waiter();
    dialogue.Say("later", "", script.get(), kNoObject);
    ui.now += 3000;
    dialogue.Update();
    EXPECT_EQ(Marks(), std::vector<std::string>{"resumed"}) << "no setup hook of the left dialogue";
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kIdle);
    EXPECT_EQ(dialogue.EntryCount(), 0);
}

TEST_F(Dialogue, ATextLineWaitsThreeSecondsALineThenResumesItsScript)
{
    auto script = Waiter();
    std::string words;
    for (int i = 0; i < 20; ++i)
        words += "aaaa ";
    dialogue.Say(words.c_str(), "", script.get(), kNoObject);
    EXPECT_EQ(script->suspendCount, 1);
    EXPECT_TRUE(gameplay->gameState & cKestruneGameplay::kInputLocked);
    const auto* line = ResolveObjectAs<cKestruneText>(dialogue.lineText, ObjectKind::Text);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->lineCount, 2);
    ui.now += 5999;
    dialogue.Update();
    EXPECT_TRUE(Marks().empty());
    ui.now += 1;
    dialogue.Update();
    EXPECT_EQ(Marks(), std::vector<std::string>{"resumed"});
    EXPECT_EQ(script->suspendCount, 0);
    EXPECT_FALSE(gameplay->gameState & cKestruneGameplay::kInputLocked);
    EXPECT_EQ(ResolveObject(dialogue.lineText, ObjectKind::Text), nullptr);

    // A click ends a locked line early.
    auto second = Waiter("clicked");
    dialogue.Say("short", "", second.get(), kNoObject);
    gameplay->rightEvent = 2;
    dialogue.Update();
    EXPECT_EQ(Marks().back(), "clicked");
}

TEST_F(Dialogue, ASpokenLineWithoutSubtitlesShowsNoTextAndEndsWithItsSpeech)
{
    ui.speechExists = true;
    ui.subtitle = 0;
    auto script = Waiter();
    dialogue.Say("hello", "hello_speech", script.get(), 77);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"speech hello_speech by character", "lips hello_speech"}));
    EXPECT_EQ(dialogue.lineText, kNoObject);
    ui.now += 60000;
    dialogue.Update();
    EXPECT_TRUE(Marks().empty()) << "speech, not time, ends it";
    ui.speaking = false;
    dialogue.Update();
    EXPECT_EQ(Marks(), std::vector<std::string>{"resumed"});
}

TEST_F(Dialogue, ALineThatIsCutOffStillResumesItsScript)
{
    auto first = Waiter("first resumed");
    auto second = Waiter("second resumed");
    dialogue.Say("one", "", first.get(), kNoObject);
    dialogue.Say("two", "", second.get(), kNoObject);
    dialogue.Update();
    EXPECT_EQ(Marks(), std::vector<std::string>{"first resumed"});
    ui.now += 3000;
    dialogue.Update();
    EXPECT_EQ(Marks().back(), "second resumed");
}

// The script a line resumes may be gone by the line's end (a scene change),
// and the next scene's script is often made at its address.
TEST_F(Dialogue, ALineNeverResumesTheScriptMadeWhereItsOwnWasFreed)
{
    ReusedScriptStorage speaker(Script(WaiterSource("resumed")));
    ASSERT_TRUE(speaker.loaded);
    dialogue.SayFree("_free", "", kNoObject, speaker.Current(), "after");
    speaker.Replace();
    ui.now += 3000;
    dialogue.Update();
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kIdle);
    EXPECT_TRUE(Marks().empty()) << "the line's own script";

    ReusedScriptStorage cut(Script(WaiterSource("cut resumed")));
    cut.Current()->pc = cut.Current()->functions.data[0].offset;
    auto second = Waiter("second resumed");
    dialogue.Say("one", "", cut.Current(), kNoObject);
    dialogue.Say("two", "", second.get(), kNoObject);
    cut.Replace();
    dialogue.Update();
    EXPECT_TRUE(Marks().empty()) << "the script of a line cut off by another";
    ui.now += 3000;
    dialogue.Update();
    EXPECT_EQ(Marks(), std::vector<std::string>{"second resumed"});
}

TEST_F(Dialogue, PrintedAndFreeLines)
{
    // While options are offered a print shows nothing; its script goes on
    // after three seconds through a timer.
    PlayTree();
    auto script = Waiter();
    dialogue.Print("_note", script.get());
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kChoosing);
    ASSERT_EQ(ui.timers.size(), 1u);
    EXPECT_EQ(ui.timers[0].script, script.get());
    EXPECT_EQ(ui.timers[0].function[0], '#');
    EXPECT_EQ(ui.timers[0].seconds, 3.0f);
    EXPECT_EQ(script->suspendCount, 1);

    // Idle, it plays as a line with its marker stripped, and the end of the
    // line offers no options.
    dialogue.ClearLines();
    dialogue.Print("_note", nullptr);
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kLine);
    EXPECT_EQ(dialogue.printed, 1);
    EXPECT_EQ(StripLineMarker("_"), "_");
    ui.now += 3000;
    dialogue.Update();
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kIdle);

    // A free line keeps input open, ignores clicks and calls its function.
    auto caller = Waiter();
    dialogue.SayFree("_free", "", kNoObject, caller.get(), "after");
    EXPECT_FALSE(gameplay->gameState & cKestruneGameplay::kInputLocked);
    gameplay->leftEvent = 1;
    dialogue.Update();
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kLine);
    ui.now += 3000;
    dialogue.Update();
    EXPECT_EQ(Marks().back(), "resumed");
    EXPECT_EQ(caller->suspendCount, 0) << "a free line does not suspend";
}

TEST_F(Dialogue, ASceneChangeThatReleasesTheTextsIsNoticed)
{
    PlayTree();
    dialogue.Say("line", "", nullptr, kNoObject);
    fonts->ReleaseAllTexts();
    EXPECT_EQ(ResolveObject(dialogue.lineText, ObjectKind::Text), nullptr);
    ui.now += 3000;
    dialogue.Update();
    EXPECT_EQ(dialogue.state, cKestruneDialogue::kChoosing);
}

TEST_F(Dialogue, TheBlockKeepsMoreThan128Records)
{
    for (int i = 0; i < 130; ++i) {
        const std::vector<uint8_t> bytes = tools::WriteDialogueResource(i % 4, Script("end\n"));
        dialogue.PlayFromMemory(bytes.data(), bytes.size(), ('d' + std::to_string(i)).c_str());
        dialogue.records.back().flags[i % 4] = 1;
    }
    SavegameBlockHeader header;
    const int file = SaveAndReopen([&](int f) { dialogue.SaveBlock(f); }, header);
    dialogue.records.clear();
    dialogue.LoadBlock(header, file);
    _close(file);
    EXPECT_EQ(std::string(header.tag), "END");
    ASSERT_EQ(dialogue.records.size(), 130u);
    EXPECT_EQ(std::string(dialogue.records[129].name.GetText()), "d129");
    EXPECT_EQ(dialogue.records[129].flags, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(dialogue.records[3].flags, (std::vector<uint32_t>{0, 0, 0, 1}));
    EXPECT_EQ(dialogue.chosenRecord, 129);
}

TEST_F(Dialogue, DamagedDataIsRefusedCleanly)
{
    // A flag count past the payload ends the block; a damaged ".dialogue"
    // leaves the playing dialogue as it is.
    std::vector<uint8_t> payload(1 + 68, 0);
    payload[0] = 3;
    payload[1] = 'x';
    payload[65] = 0xFF;
    payload[66] = 0xFF;
    dialogue.ReadPayload(payload.data(), payload.size());
    EXPECT_TRUE(dialogue.records.empty());
    dialogue.ReadPayload(payload.data(), 10);
    EXPECT_TRUE(dialogue.records.empty());

    PlayTree();
    const std::vector<uint8_t> good = tools::WriteDialogueResource(3, Script(kTree));
    for (size_t cut : {size_t{0}, size_t{3}, size_t{20}, good.size() - 1}) {
        EXPECT_EQ(dialogue.PlayFromMemory(good.data(), cut, "broken"), -1) << cut;
        EXPECT_EQ(std::string(dialogue.name.GetText()), "tree");
    }
    EXPECT_NE(dialogue.script, nullptr);
}

} // namespace
} // namespace vls::test
