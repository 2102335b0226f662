#include <gtest/gtest.h>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "tests/support/temp_dir.h"

using namespace vcl;

namespace {

// A control whose content asks for a size that follows its font: twice the
// font's size wide, the font's size high.
class TFontSized : public TControl {
public:
    explicit TFontSized(TComponent* owner) : TControl(owner) {}
    int asked = 0;

protected:
    bool CanAutoSize(int& newWidth, int& newHeight) override
    {
        ++asked;
        newWidth = 2 * Font()->Size();
        newHeight = Font()->Size();
        return true;
    }
};

class ResizePath : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 300);
    }
    void TearDown() override { delete form; }
    vls::test::ScopedConfig config;
    TForm* form = nullptr;
};

TEST_F(ResizePath, CanResizeMayChangeOrRefuseTheSizeAndTheMoveStillHappens)
{
    auto* plain = new TControl(form);
    plain->SetParent(form);
    auto* windowed = new TWinControl(form);
    windowed->SetParent(form);
    windowed->HandleNeeded();
    for (TControl* c : {plain, static_cast<TControl*>(windowed)}) {
        c->SetBounds(0, 0, 50, 50);
        int asked = 0;
        c->OnCanResize = [&](TObject* sender, int& w, int& h, bool& resize) {
            EXPECT_EQ(sender, c);
            ++asked;
            if (w > 100)
                resize = false;
            h = std::min(h, 60);  // a handler may trim the size it is given
        };
        c->SetBounds(5, 6, 80, 90);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(c->Width(), 80);
        EXPECT_EQ(c->Height(), 60);
        c->SetBounds(7, 8, 120, 40);  // refused: the size stays, the control still moves
        EXPECT_EQ(c->Width(), 80);
        EXPECT_EQ(c->Height(), 60);
        EXPECT_EQ(c->Left(), 7);
        EXPECT_EQ(c->Top(), 8);
    }
    if (windowed->HandleAllocated()) {
        RECT r{};
        GetWindowRect(windowed->Handle(), &r);
        EXPECT_EQ(r.right - r.left, 80);
    }
}

TEST_F(ResizePath, ConstrainedResizeSeesTheLimitsAndMayChangeThem)
{
    auto* c = new TWinControl(form);
    c->SetParent(form);
    c->Constraints()->SetMinWidth(30);
    c->Constraints()->SetMaxHeight(70);
    int seenMinWidth = -1, seenMaxHeight = -1, seenMaxWidth = -1;
    c->OnConstrainedResize = [&](TObject*, int& minW, int&, int& maxW, int& maxH) {
        seenMinWidth = minW;
        seenMaxWidth = maxW;
        seenMaxHeight = maxH;
        maxW = 150;  // a limit of the handler's own
    };
    c->SetBounds(0, 0, 10, 200);
    EXPECT_EQ(seenMinWidth, 30);
    EXPECT_EQ(seenMaxWidth, 0);
    EXPECT_EQ(seenMaxHeight, 70);
    EXPECT_EQ(c->Width(), 30);
    EXPECT_EQ(c->Height(), 70);
    c->SetBounds(0, 0, 500, 20);
    EXPECT_EQ(c->Width(), 150);
    EXPECT_EQ(c->Constraints()->MaxWidth(), 0);  // the handler's limit is not stored
    EXPECT_NE(TControl::StaticClass()->FindProperty("OnConstrainedResize"), nullptr);
    EXPECT_NE(TControl::StaticClass()->FindProperty("OnCanResize"), nullptr);
}

TEST_F(ResizePath, AutoSizeKeepsTheContentSizeOnTheFreeSides)
{
    auto* c = new TFontSized(form);
    c->SetParent(form);
    c->Font()->SetSize(10);
    c->SetBounds(0, 0, 50, 50);
    EXPECT_EQ(c->Width(), 50);  // off: any size goes

    c->SetAutoSize(true);
    EXPECT_EQ(c->Width(), 20);
    EXPECT_EQ(c->Height(), 10);
    c->SetBounds(3, 4, 300, 300);
    EXPECT_EQ(c->Width(), 20);
    EXPECT_EQ(c->Left(), 3);

    c->Font()->SetSize(12);  // a new font sizes the control again
    EXPECT_EQ(c->Width(), 24);
    EXPECT_EQ(c->Height(), 12);

    // Aligned to the top, the width is the parent's and only the height follows.
    c->SetAlign(alTop);
    EXPECT_EQ(c->Width(), form->ClientWidth());
    EXPECT_EQ(c->Height(), 12);
    c->SetAlign(alLeft);
    EXPECT_EQ(c->Width(), 24);
    EXPECT_EQ(c->Height(), form->ClientHeight());
    c->SetAlign(alClient);
    EXPECT_EQ(c->Width(), form->ClientWidth());
    EXPECT_EQ(c->Height(), form->ClientHeight());

    c->SetAlign(alNone);
    c->SetAutoSize(false);
    c->SetBounds(0, 0, 77, 33);
    EXPECT_EQ(c->Width(), 77);
    EXPECT_EQ(c->Height(), 33);
}

TEST_F(ResizePath, AnAutoSizeThatCanResizeRefusesLeavesTheSize)
{
    auto* c = new TFontSized(form);
    c->SetParent(form);
    c->Font()->SetSize(10);
    c->SetBounds(0, 0, 50, 50);
    c->OnCanResize = [](TObject*, int& w, int&, bool& resize) { resize = w >= 40; };
    c->SetAutoSize(true);  // the content wants 20 x 10, which the handler refuses
    EXPECT_EQ(c->Width(), 50);
    EXPECT_EQ(c->Height(), 50);
}

TEST_F(ResizePath, AnAutoSizedContainerFitsItsVisibleChildren)
{
    auto* box = new TWinControl(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 200, 200);
    box->HandleNeeded();
    auto* a = new TControl(form);
    a->SetParent(box);
    a->SetBounds(10, 10, 50, 20);
    auto* b = new TControl(form);
    b->SetParent(box);
    b->SetBounds(0, 40, 30, 30);

    box->SetAutoSize(true);
    EXPECT_EQ(box->Width(), 60);
    EXPECT_EQ(box->Height(), 70);

    b->SetBounds(0, 40, 100, 30);  // a child that grows takes its parent along
    EXPECT_EQ(box->Width(), 100);
    b->Hide();  // a hidden child takes no room
    EXPECT_EQ(box->Width(), 60);
    EXPECT_EQ(box->Height(), 30);

    // A child aligned along the top spans the width: it sets the height only.
    auto* top = new TControl(form);
    top->SetBounds(0, 0, 10, 15);
    top->SetAlign(alTop);
    top->SetParent(box);
    EXPECT_EQ(box->Width(), 60);
    EXPECT_EQ(top->Width(), 60);
    EXPECT_GE(box->Height(), 30);

    delete a;  // removing a child sizes the container again
    EXPECT_EQ(box->Height(), 15);
}

}  // namespace
