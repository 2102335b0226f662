#include <gtest/gtest.h>

#include "control_fixture.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/streams.h"
#include "skin/controls/sk_panel.h"

using namespace skin;

namespace {

// Keeps every height the panel is given.
class TRecordingPanel : public TSkCustomPanel {
public:
    explicit TRecordingPanel(vcl::TComponent* owner) : TSkCustomPanel(owner) {}
    void SetBounds(int left, int top, int width, int height) override
    {
        heights.push_back(height);
        TSkCustomPanel::SetBounds(left, top, width, height);
    }
    std::vector<int> heights;
};

class SkPanel : public sktest::ControlTest {
protected:
    TRecordingPanel* Make()
    {
        auto* p = new TRecordingPanel(form);
        p->SetParent(form);
        p->SetBounds(10, 10, 100, 90);
        p->SetCaption(u"Settings");
        return p;
    }
};

TEST_F(SkPanel, GeometryOfTitleButtonAndClient)
{
    TRecordingPanel* p = Make();
    RECT title{};
    p->GetTitleRect(title);
    EXPECT_TRUE(RectEquals(title, RECT{1, 1, 99, 21}));
    EXPECT_TRUE(RectEquals(p->GetButtonRect(), RECT{81, 3, 97, 19}));
    EXPECT_TRUE(RectEquals(p->ClientRect(), RECT{4, 24, 96, 86}));
    p->SetShowCaption(false);
    EXPECT_TRUE(RectEquals(p->GetButtonRect(), RECT{0, 0, 0, 0}));
    EXPECT_TRUE(RectEquals(p->ClientRect(), RECT{4, 4, 96, 86}));
    // No button without a caption: a click there does nothing.
    int clicks = 0;
    p->OnButtonClick = [&](vcl::TObject*) { ++clicks; };
    ClickAt(p, 88, 10);
    EXPECT_EQ(clicks, 0);
}

TEST_F(SkPanel, AnimatedRollSetsEveryFourthHeight)
{
    TRecordingPanel* p = Make();
    p->SetAnimateRoll(true);
    p->heights.clear();
    int before = 0, after = 0;
    p->OnBeforeRoll = [&](vcl::TObject*) { ++before; };
    p->OnRollup = [&](vcl::TObject*) { ++after; };
    p->SetRolled(true);
    std::vector<int> expected;
    for (int h = 88; h >= 24; h -= 4)
        expected.push_back(h);
    expected.push_back(22);
    EXPECT_EQ(p->heights, expected);
    EXPECT_EQ(p->Height(), 22);
    EXPECT_EQ(p->NormalHeight(), 90);
    // A rolled panel keeps its height.
    p->SetHeight(60);
    EXPECT_EQ(p->Height(), 22);
    p->SetAnimateRoll(false);
    p->SetRolled(false);
    EXPECT_EQ(p->Height(), 90);
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 2);
}

TEST_F(SkPanel, TitleButtonRollsOrHides)
{
    TRecordingPanel* p = Make();
    std::vector<std::string> events;
    p->OnHide = [&](vcl::TObject*) { events.push_back("hide"); };
    p->OnButtonClick = [&](vcl::TObject*) { events.push_back("click"); };
    ClickAt(p, 88, 10);
    EXPECT_TRUE(p->Rolled());
    ClickAt(p, 88, 10);
    EXPECT_FALSE(p->Rolled());
    // Released away from the button: no click.
    PressAndRelease(p, POINT{88, 10}, POINT{40, 50});
    EXPECT_FALSE(p->Rolled());
    EXPECT_FALSE(p->ButtonPressed());
    p->SetButtonKind(pbkHide);
    ClickAt(p, 88, 10);
    EXPECT_FALSE(p->Visible());
    EXPECT_EQ(events, (std::vector<std::string>{"click", "click", "hide", "click"}));
}

TEST_F(SkPanel, ParentFollowsTheRoll)
{
    auto* host = new TSkCustomPanel(form);
    host->SetParent(form);
    host->SetBounds(150, 10, 120, 150);
    auto* p = new TSkCustomPanel(form);
    p->SetParent(host);
    p->SetBounds(0, 0, 100, 90);
    p->SetParentRoll(true);
    p->SetRolled(true);
    EXPECT_EQ(host->Height(), 22);
    p->SetRolled(false);
    EXPECT_EQ(host->Height(), 90);
}

TEST_F(SkPanel, NormalHeightTravelsAfterRolledInTheStream)
{
    vcl::RegisterClass(TSkCustomPanel::StaticClass());
    auto* original = new TSkCustomPanel(form);
    original->SetBounds(0, 0, 100, 90);
    original->SetRolled(true);
    vcl::TMemoryStream stream;
    stream.WriteComponent(original);
    stream.SetPosition(0);
    vcl::TMemoryStream text;
    vcl::ObjectBinaryToText(&stream, &text);
    const std::string asText(reinterpret_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
    EXPECT_NE(asText.find("NormalHeight = {\r\n    5A000000}"), std::string::npos) << asText;

    stream.SetPosition(0);
    auto* copy = new TSkCustomPanel(form);
    stream.ReadComponent(copy);
    EXPECT_TRUE(copy->Rolled());
    EXPECT_EQ(copy->Height(), 22);
    EXPECT_EQ(copy->NormalHeight(), 90);
}

// A stored height to come back to that no window can have is cut to the
// largest one, so rolling down ends.
TEST_F(SkPanel, AStoredNormalHeightOutOfRangeIsBounded)
{
    vcl::RegisterClass(TSkCustomPanel::StaticClass());
    auto* original = new TSkCustomPanel(form);
    original->SetBounds(0, 0, 100, 90);
    original->SetAnimateRoll(true);
    original->SetRolled(true);
    struct Case {
        const char* bytes;
        int normalHeight;
    };
    for (const Case& c : {Case{"FFFFFF7F", 32767}, Case{"00000080", 0}, Case{"5A000000", 90}}) {
        vcl::TMemoryStream stream;
        stream.WriteComponent(original);
        stream.SetPosition(0);
        vcl::TMemoryStream text;
        vcl::ObjectBinaryToText(&stream, &text);
        std::string asText(reinterpret_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
        const size_t at = asText.find("5A000000");
        ASSERT_NE(at, std::string::npos) << asText;
        asText.replace(at, 8, c.bytes);
        vcl::TMemoryStream edited;
        edited.WriteBuffer(asText.data(), static_cast<std::int32_t>(asText.size()));
        edited.SetPosition(0);
        vcl::TMemoryStream binary;
        vcl::ObjectTextToBinary(&edited, &binary);
        binary.SetPosition(0);
        auto* copy = new TSkCustomPanel(form);
        binary.ReadComponent(copy);
        EXPECT_EQ(copy->NormalHeight(), c.normalHeight) << c.bytes;
        copy->SetRolled(false);
        EXPECT_FALSE(copy->Rolled());
        delete copy;
    }
}

// Over the title the panel answers with its caption's and its button's
// hints and cursors; elsewhere with its own.
TEST_F(SkPanel, TitleAndButtonHaveTheirOwnHintsAndCursors)
{
    TRecordingPanel* p = Make();
    p->SetHint("Body");
    p->SetCaptionHint("Title");
    p->SetButtonHint("Button");
    p->SetCursor(vcl::crHandPoint);
    struct Case {
        POINT at;
        const char* hint;
        HCURSOR cursor;
    };
    const HCURSOR arrow = vcl::Screen->Cursors(vcl::crDefault);
    const Case cases[] = {{{40, 10}, "Title", arrow},
                          {{88, 10}, "Button", arrow},
                          {{40, 50}, "Body", vcl::Screen->Cursors(vcl::crHandPoint)}};
    for (const Case& c : cases) {
        Move(p, c.at.x, c.at.y);
        EXPECT_EQ(vcl::Application->Hint(), c.hint) << c.hint;
        p->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(p->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), c.cursor) << c.hint;
    }
    p->SetCaptionCursor(vcl::crHelp);
    Move(p, 40, 10);
    p->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(p->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), vcl::Screen->Cursors(vcl::crHelp));
}

TEST_F(SkPanel, ClassicLook)
{
    TRecordingPanel* p = Make();
    p->SetColor(static_cast<vcl::TColor>(RGB(0, 128, 0)));
    Snapshot();
    EXPECT_EQ(Rgb(10, 10), Px(vcl::clBtnShadow));       // the etched frame's outer line
    EXPECT_EQ(Rgb(11, 11), Px(vcl::clBtnHighlight));    // the title's raised frame
    EXPECT_EQ(Rgb(50, 60), 0x008000u);                  // the face in Color
    EXPECT_EQ(Rgb(85, 15), Px(vcl::clBtnFace));         // the title bar
}

}  // namespace
