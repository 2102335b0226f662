#include <gtest/gtest.h>

#include <memory>

#include "skin/skins/sk_skin_object.h"

using namespace skin;

namespace {

TSkSkinObject* Child(TSkSkinObject* parent, const char* name, TSkAlign align, int w, int h)
{
    auto* c = new TSkSkinObject(parent);
    c->SetName(name);
    c->SetAlign(align);
    c->SetWidth(w);
    c->SetHeight(h);
    return c;
}

}  // namespace

TEST(SkSkinObject, AlignmentPasses)
{
    TSkSkinObject root(nullptr);
    TSkSkinObject* client = Child(&root, "Client", saClient, 0, 0);
    TSkSkinObject* top = Child(&root, "Top", saTop, 0, 22);
    TSkSkinObject* edge = Child(&root, "Edge", saMostLeft, 4, 0);
    TSkSkinObject* bottom = Child(&root, "Bottom", saBottom, 0, 10);
    TSkSkinObject* center = Child(&root, "Center", saCenter, 10, 10);
    root.SetBounds(RECT{10, 20, 110, 120});
    // Most-left first takes the whole height, then the top edge, bottom edge.
    EXPECT_EQ(edge->GetBounds().left, 10);
    EXPECT_EQ(edge->GetBounds().bottom, 120);
    EXPECT_EQ(top->GetBounds().left, 14);
    EXPECT_EQ(top->GetBounds().bottom, 42);
    EXPECT_EQ(bottom->GetBounds().top, 110);
    const RECT c = client->GetBounds();
    EXPECT_EQ(c.left, 14);
    EXPECT_EQ(c.top, 42);
    EXPECT_EQ(c.right, 110);
    EXPECT_EQ(c.bottom, 110);
    EXPECT_EQ(center->Left(), 14 + (96 - 10) / 2);
    EXPECT_EQ(center->Top(), 42 + (68 - 10) / 2);
}

TEST(SkSkinObject, CornerAnchorsMoveBySizeChange)
{
    TSkSkinObject root(nullptr);
    TSkSkinObject* topRight = Child(&root, "TR", saTopRight, 10, 10);
    TSkSkinObject* bottomRight = Child(&root, "BR", saBottomRight, 10, 10);
    topRight->SetLeft(278);
    bottomRight->SetLeft(278);
    bottomRight->SetTop(90);
    // The first layout grows from width 0 and leaves the right anchors.
    root.SetBounds(RECT{0, 0, 300, 100});
    EXPECT_EQ(topRight->Left(), 278);
    EXPECT_EQ(bottomRight->Top(), 190);
    root.SetWidth(400);
    EXPECT_EQ(topRight->Left(), 378);
    EXPECT_EQ(bottomRight->Left(), 378);
    root.SetHeight(150);
    EXPECT_EQ(bottomRight->Top(), 240);
    // Setting a size to its current value lays nothing out again.
    topRight->SetLeft(0);
    root.SetWidth(400);
    EXPECT_EQ(topRight->Left(), 0);
}

TEST(SkSkinObject, FindAndHitTest)
{
    TSkSkinObject root(nullptr);
    root.SetName("Root");
    TSkSkinObject* a = Child(&root, "A", saNone, 50, 50);
    TSkSkinObject* text = Child(a, "Text", saNone, 5, 5);
    TSkSkinObject* b = Child(&root, "B", saNone, 50, 50);
    Child(b, "Text2", saNone, 5, 5)->SetKind(skCaption);
    TSkSkinObject* later = Child(&root, "Later", saNone, 20, 20);
    root.SetBounds(RECT{0, 0, 100, 100});

    EXPECT_EQ(root.FindObject("TEXT"), text);
    EXPECT_EQ(root.FindObject("root"), &root);
    EXPECT_EQ(root.FindObject("none"), nullptr);
    EXPECT_EQ(root.FindObjectByKind(skCaption)->Name(), "Text2");

    // Overlapping children: the later one is hit.
    EXPECT_EQ(root.ObjectAtPoint(POINT{10, 10}), later);
    EXPECT_EQ(root.ObjectAtPoint(POINT{30, 30}), b);
    EXPECT_EQ(root.ObjectAtPoint(POINT{99, 99}), &root);
    EXPECT_EQ(root.ObjectAtPoint(POINT{100, 0}), nullptr);
    later->SetKind(skTranparent);
    EXPECT_EQ(root.ObjectAtPoint(POINT{10, 10}), b);
    b->Visible = false;
    EXPECT_EQ(root.ObjectAtPoint(POINT{10, 10}), text->GetBounds().right > 10 ? text : a);
}

TEST(SkSkinObject, CloneCopiesTheSubtreeAndItsLook)
{
    TSkActiveObject source(nullptr);
    source.SetName("Button");
    source.SetActiveColor(vcl::clYellow);
    source.Font()->SetColor(vcl::clRed);
    TSkSkinObject* face = Child(&source, "Face", saClient, 0, 0);
    face->SetMarginLeft(3);
    source.SetBounds(RECT{1, 2, 81, 26});
    std::unique_ptr<TSkSkinObject> clone(CloneSkinObject(&source, nullptr));
    ASSERT_TRUE(clone);
    auto* active = dynamic_cast<TSkActiveObject*>(clone.get());
    ASSERT_TRUE(active);
    EXPECT_EQ(active->ActiveColor(), vcl::clYellow);
    EXPECT_EQ(clone->Font()->Color(), vcl::clRed);
    EXPECT_EQ(clone->GetBounds().right, 81);
    ASSERT_EQ(clone->GetCount(), 1);
    EXPECT_EQ(clone->GetObject(0)->MarginLeft(), 3);
    EXPECT_EQ(clone->GetObject(0)->GetBounds().right, 81);
}

TEST(SkSkinObject, StateSwapsFonts)
{
    TSkTextObject text(nullptr);
    text.FontHot()->SetColor(vcl::clRed);
    text.FontDisabled()->SetColor(vcl::clGray);
    EXPECT_EQ(text.GetFont(), text.Font());
    text.SetState(kStateHot);
    EXPECT_EQ(text.GetFont()->Color(), vcl::clRed);
    text.SetState(kStateDisabled);
    EXPECT_EQ(text.GetFont()->Color(), vcl::clGray);

    TSkSkinObject root(nullptr);
    TSkSkinObject* child = Child(&root, "C", saNone, 1, 1);
    root.SetActive(true);
    root.SetState(kStatePressed);
    EXPECT_TRUE(child->Active);
    EXPECT_EQ(child->State, kStatePressed);
}

TEST(SkSkinObject, HueChangesAreTakenFromTheOriginalColours)
{
    TSkSkinObject o(nullptr);
    o.SetColor(vcl::clRed);
    o.Font()->SetColor(vcl::clNone);
    o.ChangeHue(85);
    EXPECT_EQ(o.Color(), vcl::clLime);
    EXPECT_EQ(o.Font()->Color(), vcl::clNone);
    o.ChangeHue(-85);
    EXPECT_EQ(o.Color(), vcl::clRed);
    // Many small steps land where one step of their sum lands.
    TSkSkinObject steps(nullptr);
    steps.SetColor(0x00336699);
    TSkSkinObject once(nullptr);
    once.SetColor(0x00336699);
    for (int i = 0; i < 30; ++i)
        steps.ChangeHue(3);
    once.ChangeHue(90);
    EXPECT_EQ(steps.Color(), once.Color());
}

TEST(SkSkinObject, PaintFillsChildrenOverParentsAndDrawsSeparators)
{
    TSkBitmap surface;
    surface.SetSize(20, 10);
    surface.Fill(0xFF000000);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());

    TSkSkinObject root(nullptr);
    root.SetColor(vcl::clRed);
    TSkSkinObject* left = Child(&root, "Left", saLeft, 5, 0);
    left->SetColor(vcl::clBlue);
    TSkSkinObject* rest = Child(&root, "Rest", saClient, 0, 0);
    rest->SetColor(vcl::clNone);
    rest->Text.assign(1, u'-');
    rest->Font()->SetColor(vcl::clLime);
    root.SetBounds(RECT{0, 0, 20, 10});
    root.Paint(&canvas);
    canvas.SetHandle(nullptr);

    // The parent has children and no DrawIfOwner: it fills nothing itself.
    EXPECT_EQ(surface.GetPixel(2, 2) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(surface.GetPixel(10, 0) & 0xFFFFFF, 0u);
    // The separator: one line at Top + Height div 2 - 1, inset by 3.
    EXPECT_EQ(surface.GetPixel(8, 4) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(surface.GetPixel(7, 4) & 0xFFFFFF, 0u);
    EXPECT_EQ(surface.GetPixel(16, 4) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(surface.GetPixel(17, 4) & 0xFFFFFF, 0u);
    EXPECT_EQ(surface.GetPixel(10, 5) & 0xFFFFFF, 0u);
}

namespace {

int changedMessages = 0;
LPARAM changedObject = 0;

class TChangeTarget : public vcl::TGraphicControl {
    VCL_DECLARE_CLASS(TChangeTarget, vcl::TGraphicControl)
public:
    explicit TChangeTarget(vcl::TComponent* owner) : vcl::TGraphicControl(owner) {}
};
VCL_IMPLEMENT_CLASS(TChangeTarget, vcl::TGraphicControl, [](auto& b) {
    b.Component();
    b.Message(SKM_OBJECTCHANGED, [](TChangeTarget*, vcl::TMessage& m) {
        ++changedMessages;
        changedObject = m.LParam;
    });
})

}  // namespace

TEST(SkSkinObject, ChangedTellsThePaintingControl)
{
    TChangeTarget control(nullptr);
    TSkSkinObject root(nullptr);
    TSkSkinObject* face = Child(&root, "Face", saClient, 0, 0);
    face->Changed();
    EXPECT_EQ(changedMessages, 0);
    root.SetControl(&control);
    EXPECT_EQ(face->Control, &control);
    face->Changed();
    EXPECT_EQ(changedMessages, 1);
    EXPECT_EQ(changedObject, reinterpret_cast<LPARAM>(face));
    face->Visible = false;
    face->Changed();
    EXPECT_EQ(changedMessages, 1);
    EXPECT_EQ(root.GetForm(), nullptr);
}
