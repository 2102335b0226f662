// Screen controls: their input logic, cursors and drawing on the recording
// device.

#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_screen_control.h"
#include "engine/world/kestrune_scene.h"
#include "tests/engine/ui/ui_fixture.h"

namespace vls::test {
namespace {

class ScreenControls : public UiWorld {
protected:
    ScreenControls()
    {
        for (const char* name : {"photo", "book01", "book02", "dark", "glow", "flame"})
            data.Add(std::string(name) + ".image", ImageBytes(Solid(64, 64, 0xFF405060)));
        data.Add("mask.image", ImageBytes(Solid(256, 256, 0x80FFFFFF), 100, 50));
        data.Add("blackscreen.image", ImageBytes(Solid(8, 8, 0xFF000000)));
        StartGame();
        graphics->blackScreen = LoadImage("blackscreen.image").release();
        gameplay->dialogue = &dialogue;
        closer = LoadScript("callsite mark test__Mark 1 int\n func closed\n push string \"closed\"\n native - mark\n ret\n end\n");
    }
    ~ScreenControls() override { gameplay->dialogue = nullptr; }

    void ClickAt(cKestruneScreenControl& control, int32_t x, int32_t y, int32_t event = 1)
    {
        gameplay->mouseX = x;
        gameplay->mouseY = y;
        gameplay->leftEvent = event;
        control.Input();
    }

    int Draws() const
    {
        int n = 0;
        for (const auto& call : const_cast<ScreenControls*>(this)->Device().Calls())
            n += call.name == "DrawPrimitive" || call.name == "DrawPrimitiveUP";
        return n;
    }

    cKestruneDialogue dialogue;
    std::unique_ptr<cKestruneScript> closer;
};

TEST_F(ScreenControls, TheImageControlClosesOnAClickOnTheFrame)
{
    cKestruneImageControl control("photo", closer.get(), "closed");
    EXPECT_EQ(ui.log, std::vector<std::string>{"stop walk"});
    ClickAt(control, 500, 400);
    EXPECT_EQ(control.done, 0);
    EXPECT_EQ(graphics->cursorIndex, cKestruneScreenControl::kCursorNormal);
    EXPECT_EQ(gameplay->leftEvent, 0) << "the click was taken";
    // While a line plays with input locked the click waits.
    dialogue.Say("line", "", nullptr, kNoObject);
    ClickAt(control, 50, 50);
    EXPECT_EQ(control.done, 0);
    dialogue.EndLine();
    ClickAt(control, 50, 50, 2);
    EXPECT_EQ(control.done, 1);
    EXPECT_EQ(Marks(), std::vector<std::string>{"closed"});
    EXPECT_EQ(graphics->cursorIndex, cKestruneScreenControl::kCursorExit);
    Device().ClearRecord();
    control.Render();
    EXPECT_EQ(Draws(), 2) << "the backdrop and the picture";

    cKestruneImageControl missing("nothing", nullptr, "");
    EXPECT_EQ(missing.image, nullptr);
    ClickAt(missing, 10, 10);
    EXPECT_EQ(missing.done, 1);
}

TEST_F(ScreenControls, DiaryPagesTurnWithinTheirCount)
{
    cKestruneDiaryControl single("book", 1, nullptr, "");
    ASSERT_NE(single.page, nullptr);
    for (int32_t x : {200, 760}) {
        ClickAt(single, x, 300);
        EXPECT_EQ(single.currentPage, 1);
        EXPECT_EQ(graphics->cursorIndex, cKestruneScreenControl::kCursorNormal) << "never the page cursor";
    }

    cKestruneDiaryControl book("book", 3, nullptr, "");
    cKestruneImage* const first = book.page;
    gameplay->mouseX = 760;
    gameplay->mouseY = 300;
    book.Input();
    EXPECT_EQ(graphics->cursorIndex, cKestruneScreenControl::kCursorPage);
    ClickAt(book, 760, 300);
    EXPECT_EQ(book.currentPage, 2);
    EXPECT_NE(book.page, first);
    cKestruneImage* const second = book.page;
    ClickAt(book, 760, 300);
    EXPECT_EQ(book.currentPage, 3);
    EXPECT_EQ(book.page, second) << "book03 is missing: page 2 stays shown";
    ClickAt(book, 200, 300);
    EXPECT_EQ(book.currentPage, 2);
    EXPECT_EQ(book.done, 0);
}

TEST_F(ScreenControls, TheLighterFollowsTheMouseAndResumesItsScript)
{
    auto script = LoadScript("callsite mark test__Mark 1 int\n push string \"resumed\"\n native - mark\n end\n");
    cKestruneLighterControl lighter("dark", "mask", "glow", "nothing", script.get(), "#0");
    EXPECT_EQ(lighter.flame, nullptr);
    ASSERT_NE(lighter.mask, nullptr);
    gameplay->mouseX = 400;
    gameplay->mouseY = 300;
    lighter.Input();
    EXPECT_EQ(graphics->cursorIndex, cKestruneScreenControl::kCursorNone);
    BYTE* bits = nullptr;
    ASSERT_EQ(lighter.mask->vertexBuffer->Lock(0, 0, &bits, 0), D3D_OK);
    float corner[9];
    std::memcpy(corner, bits, sizeof corner);
    lighter.mask->vertexBuffer->Unlock();
    const float cu = 2.0f * (1024 - 100 - 400 - 138) / 256.0f, cv = 2.0f * (640 - 50 - 300 - 92) / 256.0f;
    EXPECT_FLOAT_EQ(corner[7], cu - 1);
    EXPECT_FLOAT_EQ(corner[8], cv + 1);

    // Without a flame the background and the mask still draw.
    Device().ClearRecord();
    lighter.Render();
    EXPECT_GE(Draws(), 3);

    ClickAt(lighter, 500, 400);
    EXPECT_EQ(lighter.done, 0);
    ClickAt(lighter, 20, 20, 2);
    EXPECT_EQ(lighter.done, 0) << "double clicks do not close the lighter";
    gameplay->leftEvent = 0;
    ClickAt(lighter, 20, 20);
    EXPECT_EQ(lighter.done, 1);
    EXPECT_EQ(Marks(), std::vector<std::string>{"resumed"});
    EXPECT_EQ(script->suspendCount, 0) << "never below zero";
}

TEST_F(ScreenControls, TheChatFadesInWithItsDialogueAndOutWithoutOne)
{
    {
        cKestruneChatControl chat("face", 9, closer.get(), "closed");
        EXPECT_EQ(ui.log.back(), "brows");
        chat.Input();
        EXPECT_EQ(chat.closing, 1) << "no dialogue runs";
        EXPECT_EQ(chat.done, 1);
        chat.Input();
        EXPECT_EQ(Marks(), std::vector<std::string>{"closed"}) << "its function runs once";
    }
    dialogue.Say("line", "", nullptr, kNoObject);
    cKestruneChatControl chat("face", 9, nullptr, "");
    ui.delta = 0.3f;
    for (int i = 0; i < 3; ++i)
        chat.Input();
    EXPECT_EQ(chat.opening, 1);
    chat.Input();
    EXPECT_EQ(chat.opening, 0);
    EXPECT_FLOAT_EQ(chat.fade, 1.0f);
    ui.log.clear();
    chat.Render();
    EXPECT_EQ(ui.log, std::vector<std::string>{"close-up"});
    chat.enabled = 0;
    ui.log.clear();
    chat.Render();
    EXPECT_TRUE(ui.log.empty());
}

// A scene change ends a chat: a script waiting for it is called back once.
TEST_F(ScreenControls, AChatEndedByASceneChangeStillCallsItsScriptBack)
{
    dialogue.Say("line", "", nullptr, kNoObject);
    cKestruneScene left;
    cKestruneChatControl chat("face", 9, closer.get(), "closed");
    chat.scene = &left; // made in the scene that was left
    chat.Input();
    EXPECT_EQ(chat.done, 1);
    EXPECT_EQ(Marks(), std::vector<std::string>{"closed"});
    chat.Input();
    EXPECT_EQ(Marks().size(), 1u) << "once only";
}

} // namespace
} // namespace vls::test
