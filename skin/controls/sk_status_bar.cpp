#include "skin/controls/sk_status_bar.h"

#include <algorithm>
#include <vector>

#include "platform/vcl/forms.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

constexpr int kStatusPart = 0, kPanePart = 1, kGripPanePart = 2, kGripperPart = 3;
constexpr int kFullPriority = 100;

class ThemeScope {
public:
    explicit ThemeScope(const char16_t* classList) : theme_(ThemeApi().OpenThemeData(nullptr, classList)) {}
    ~ThemeScope()
    {
        if (theme_)
            ThemeApi().CloseThemeData(theme_);
    }
    ThemeScope(const ThemeScope&) = delete;
    ThemeScope& operator=(const ThemeScope&) = delete;
    void Draw(HDC dc, int part, const RECT& r) const
    {
        if (theme_)
            ThemeApi().DrawThemeBackground(theme_, dc, part, 0, &r, nullptr);
    }

private:
    HTHEME theme_;
};

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomStatusBar, TSkCustomControl, [](auto& b) {
    b.Component();
    b.Object("Panels", &TSkCustomStatusBar::Panels, &TSkCustomStatusBar::SetPanels);
    b.Object("Images", &TSkCustomStatusBar::Images, &TSkCustomStatusBar::SetImages);
    b.Bool("SizeGrip", &TSkCustomStatusBar::SizeGrip, &TSkCustomStatusBar::SetSizeGrip, true);
    PublishBevels(b, kbvSpace, kbvRaised, 0, 2);
    b.Event("OnPanelClick", &TSkCustomStatusBar::OnPanelClick);
    b.Event("OnPanelDblClick", &TSkCustomStatusBar::OnPanelDblClick);
    b.Event("OnDrawPanel", &TSkCustomStatusBar::OnDrawPanel);
    b.Event("OnCreatePanelClass", &TSkCustomStatusBar::OnCreatePanelClass);
    b.Message(vcl::CM_CONTROLCHANGE, &TSkCustomStatusBar::CMControlChange);
    b.Message(vcl::CM_FONTCHANGED, &TSkCustomStatusBar::CMFontChanged);
    b.Message(vcl::CM_SYSCOLORCHANGE, &TSkCustomStatusBar::CMSysColorChange);
})

TSkCustomStatusBar::TSkCustomStatusBar(vcl::TComponent* owner)
    : TSkCustomControl(owner), panels_(new TSkStatusPanels(this))
{
    SetBevelSides(kAllBevelSides);
    SetBevelInner(kbvSpace);
    SetBevelOuter(kbvRaised);
    SetBevelWidth(0);
    SetBorderWidth(2);
    SetHeight(22);
    controlStyle_ = vcl::TControlStyle{vcl::csAcceptsControls, vcl::csCaptureMouse, vcl::csClickEvents,
                                       vcl::csDoubleClicks};
}

TSkCustomStatusBar::~TSkCustomStatusBar()
{
    TSkStatusPanels* panels = panels_;
    panels_ = nullptr;
    delete panels;
}

bool TSkCustomStatusBar::Themed() const { return ThemesActive(); }

void TSkCustomStatusBar::SetImages(vcl::TCustomImageList* v)
{
    if (v == images_)
        return;
    images_ = v;
    if (v)
        v->FreeNotification(this);
    Invalidate();
}

void TSkCustomStatusBar::SetSizeGrip(bool v)
{
    if (v == sizeGrip_)
        return;
    sizeGrip_ = v;
    Invalidate();
}

TSkStatusPanel* TSkCustomStatusBar::CreatePanel()
{
    TSkStatusPanelClass cls = TSkStatusPanel::StaticClass();
    OnCreatePanelClass(this, cls);
    if (!cls || !cls->InheritsFrom(TSkStatusPanel::StaticClass()) || !cls->create)
        cls = TSkStatusPanel::StaticClass();
    auto* panel = static_cast<TSkStatusPanel*>(cls->create(nullptr));
    panel->SetCollection(panels_);
    return panel;
}

// ----------------------------------------------------------------- layout

void TSkCustomStatusBar::LayoutPanels()
{
    if (!panels_)
        return;
    const RECT paint = PaintRect();
    const int avail = RectWidth(paint);
    const int count = panels_->Count();
    std::vector<TSkStatusPanel*> work;
    long long sum = 0;
    for (int i = 0; i < count; ++i) {
        TSkStatusPanel* p = panels_->Items(i);
        p->shown_ = p->viewPriority_ > 0;
        if (!p->shown_)
            continue;
        p->currentWidth_ = p->width_;
        work.push_back(p);
        sum += p->currentWidth_;
    }
    std::stable_sort(work.begin(), work.end(),
                     [](TSkStatusPanel* a, TSkStatusPanel* b) { return a->viewPriority_ > b->viewPriority_; });
    while (sum > avail && work.size() >= 2 && work.back()->viewPriority_ < kFullPriority) {
        work.back()->shown_ = false;
        sum -= work.back()->EffectiveWidth();
        work.pop_back();
    }
    long long extra = avail - sum;
    if (extra > 0) {
        std::erase_if(work, [](TSkStatusPanel* p) { return p->stretchPriority_ == 0; });
        while (!work.empty() && extra > 0) {
            std::stable_sort(work.begin(), work.end(), [](TSkStatusPanel* a, TSkStatusPanel* b) {
                return a->stretchPriority_ < b->stretchPriority_;
            });
            TSkStatusPanel* p = work.back();
            p->currentWidth_ = static_cast<int>(std::min<long long>(p->currentWidth_ + extra, 0x3FFFFFFF));
            extra = p->currentWidth_ - p->EffectiveWidth();
            work.pop_back();
        }
    }
    // A hidden panel keeps its slot, so the panels after it stay where they
    // would be with it shown.
    int x = 0;
    for (int i = 0; i < count; ++i) {
        TSkStatusPanel* p = panels_->Items(i);
        if (x >= avail)
            p->shown_ = false;
        p->left_ = paint.left + x;
        p->right_ = p->shown_ ? p->left_ + p->EffectiveWidth() : p->left_;
        x += p->EffectiveWidth();
        // Only a shown panel stretches to the end: a hidden one draws nothing.
        if (p->stretchPriority_ > 0 && p->shown_ && (i == count - 1 || x >= avail))
            p->right_ = paint.right;
        if (p->control_) {
            p->control_->SetBoundsRect(GetControlRect(p));
            p->control_->SetVisible(p->shown_);
        }
    }
}

void TSkCustomStatusBar::LayoutChanged()
{
    bool pressedIsPanel = false;
    for (int i = 0; i < panels_->Count(); ++i)
        pressedIsPanel |= panels_->Items(i) == pressedPanel_;
    if (!pressedIsPanel)
        pressedPanel_ = nullptr;
    LayoutPanels();
    Invalidate();
}

void TSkCustomStatusBar::PanelChanged(int index)
{
    if (!panels_ || index < 0 || index >= panels_->Count())
        return;
    const RECT panel = GetPanelRect(index);
    InvalidateArea(panel);
    RECT grip = GetSizeGripRect(), both{};
    if (IntersectRect(&both, &panel, &grip))
        InvalidateArea(grip);
}

// --------------------------------------------------------------- geometry

RECT TSkCustomStatusBar::GetPanelRect(int index)
{
    const RECT paint = PaintRect();
    TSkStatusPanel* p = panels_->Items(index);
    return RECT{p->left_, paint.top, p->right_, paint.bottom};
}

RECT TSkCustomStatusBar::GetControlRect(TSkStatusPanel* panel)
{
    RECT r = GetPanelRect(panel->Index());
    if (panel->Framed()) {
        InflateRect(&r, -1, -1);
        r.right -= 2;
    }
    return r;
}

bool TSkCustomStatusBar::ImageShown(TSkStatusPanel* panel) const
{
    return panel->ShowImage() && images_ && panel->ImageIndex() >= 0 && panel->ImageIndex() < images_->Count();
}

SIZE TSkCustomStatusBar::GetImageSize(TSkStatusPanel* panel)
{
    if (images_ && panel->ImageIndex() >= 0 && panel->ImageIndex() < images_->Count())
        return SIZE{images_->Width(), images_->Height()};
    return SIZE{0, 0};
}

SIZE TSkCustomStatusBar::GetTextSize(TSkStatusPanel* panel)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    const vcl::AnsiString text = vcl::WideToAnsi(panel->Text());
    SIZE size{}, line{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    GetTextExtentPoint32A(dc, "Pq", 2, &line);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int room = panel->EffectiveWidth() - 2 * panel->Margin();
    if (ImageShown(panel))
        room -= GetImageSize(panel).cx + panel->Spacing();
    return SIZE{std::min<LONG>(size.cx, room), text.empty() ? 0 : line.cy};
}

RECT TSkCustomStatusBar::GetImageRect(TSkStatusPanel* panel)
{
    const RECT control = GetControlRect(panel);
    const int w = RectWidth(control), h = RectHeight(control);
    const SIZE image = GetImageSize(panel), text = GetTextSize(panel);
    const int iw = image.cx, tw = text.cx, margin = panel->Margin(), spacing = panel->Spacing();
    const bool centre = panel->Alignment() == vcl::taCenter;
    int left;
    if (panel->Layout() == sglGlyphLeft)
        left = centre ? (w - iw - spacing - tw) / 2 : margin;
    else
        left = centre ? w - (w - iw - spacing - tw) / 2 - iw : w - margin - iw;
    const int top = (h - image.cy) / 2;
    return RECT{left, top, left + iw, top + image.cy};
}

RECT TSkCustomStatusBar::GetTextRect(TSkStatusPanel* panel)
{
    const RECT control = GetControlRect(panel);
    const int w = RectWidth(control), h = RectHeight(control);
    const SIZE text = GetTextSize(panel);
    const bool withImage = ImageShown(panel);
    const int iw = GetImageSize(panel).cx, tw = text.cx, margin = panel->Margin(), spacing = panel->Spacing();
    const bool centre = panel->Alignment() == vcl::taCenter;
    int left, right;
    if (panel->Layout() == sglGlyphLeft) {
        if (centre) {
            left = withImage ? iw + spacing + (w - iw - spacing - tw) / 2 : (w - tw) / 2;
            right = left + tw + 10;
        } else {
            left = withImage ? margin + iw + spacing : margin;
            right = w - margin;
        }
    } else if (centre) {
        left = withImage ? (w - iw - spacing - tw) / 2 : (w - tw) / 2;
        right = left + tw;
    } else {
        left = margin;
        right = withImage ? w - margin - iw - spacing : w - margin;
    }
    const int top = (h - text.cy) / 2;
    return RECT{left, top, right, top + text.cy};
}

RECT TSkCustomStatusBar::GetSizeGripRect()
{
    RECT r = PaintRect();
    if (panels_->Count() > 0 && panels_->Items(panels_->Count() - 1)->Framed())
        InflateRect(&r, -1, -1);
    r.left = r.right - GetSystemMetrics(SM_CXVSCROLL);
    r.top = r.bottom - GetSystemMetrics(SM_CYVSCROLL);
    return r;
}

bool TSkCustomStatusBar::SizeGripActive()
{
    vcl::TCustomForm* form = ParentForm();
    if (!sizeGrip_ || !form || form->WindowState() != vcl::wsNormal)
        return false;
    const POINT corner = ClientToScreen(POINT{Width(), Height()});
    const POINT formCorner = form->ClientToScreen(POINT{form->ClientWidth(), form->ClientHeight()});
    if (corner.x != formCorner.x || corner.y != formCorner.y)
        return false;
    vcl::TComponent* frame = GetSkForm(this);
    if (!frame)
        return true;
    const vcl::TPropInfo* dragging = frame->ClassType()->FindProperty("Dragging");
    const vcl::TPropInfo* state = frame->ClassType()->FindProperty("WindowState");
    auto* rules = dragging && dragging->getObject ? dynamic_cast<TSkDragging*>(dragging->getObject(frame)) : nullptr;
    return rules && rules->Sizeable() && state && state->getOrd && state->getOrd(frame) == 0;
}

TSkStatusPanel* TSkCustomStatusBar::PanelAt(int x, int y)
{
    const RECT paint = PaintRect();
    if (y < paint.top || y >= paint.bottom || x < paint.left)
        return nullptr;
    for (int i = 0; i < panels_->Count(); ++i) {
        TSkStatusPanel* p = panels_->Items(i);
        if (p->shown_ && x >= p->left_ && x < p->right_)
            return p;
    }
    return nullptr;
}

// --------------------------------------------------------------- painting

void TSkCustomStatusBar::PaintClient()
{
    DrawBackground();
    for (int i = 0; i < panels_->Count(); ++i)
        PaintPanel(i);
    if (SizeGripActive())
        DrawSizeGrip();
}

void TSkCustomStatusBar::PaintBorder()
{
    if (!Themed())
        TSkCustomControl::PaintBorder();
}

void TSkCustomStatusBar::DrawBackground()
{
    HDC dc = Canvas()->Handle();
    const int saved = SaveDC(dc);
    if (panels_->Count() > 0) {
        const RECT paint = PaintRect();
        ExcludeClipRect(dc, panels_->Items(0)->left_, paint.top, panels_->Items(panels_->Count() - 1)->right_,
                        paint.bottom);
    }
    if (Themed())
        ThemeScope(u"Status").Draw(dc, kStatusPart, RECT{0, 0, Width(), Height()});
    else
        TSkCustomControl::PaintClient();
    RestoreDC(dc, saved);
}

void TSkCustomStatusBar::PaintPanel(int index)
{
    if (index < 0 || index >= panels_->Count())
        return;
    const RECT r = GetPanelRect(index);
    if (RectIsEmpty(r))
        return;
    HDC dc = Canvas()->Handle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    DrawPanel(panels_->Items(index), r, index == panels_->Count() - 1);
    RestoreDC(dc, saved);
}

void TSkCustomStatusBar::DrawPanel(TSkStatusPanel* panel, const RECT& rect, bool isLast)
{
    vcl::TCanvas* canvas = Canvas();
    HDC dc = canvas->Handle();
    if (vcl::TControl* c = panel->Control())
        ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    if (Themed()) {
        ThemeScope theme(u"Status");
        theme.Draw(dc, kStatusPart, RECT{0, 0, Width(), Height()});
        theme.Draw(dc, isLast ? kGripPanePart : kPanePart, rect);
    } else {
        FillRectColor(canvas, rect, Color());
        if (panel->Framed())
            DrawEdgeLines(canvas, rect, vcl::clBtnShadow, vcl::clBtnHighlight);
    }
    if (panel->Style() == psOwnerDraw) {
        DrawPanelEvent(panel, rect);
        return;
    }
    DrawPanelText(panel, rect);
    if (panel->ShowImage())
        DrawPanelImage(panel, rect);
}

void TSkCustomStatusBar::DrawPanelText(TSkStatusPanel* panel, const RECT& rect)
{
    RECT r = GetTextRect(panel);
    OffsetRect(&r, rect.left, rect.top);
    IntersectRect(&r, &r, &rect);
    vcl::TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetStyle(vcl::bsClear);
    canvas->RequiredState({vcl::csHandleValid, vcl::csFontValid, vcl::csBrushValid});
    vcl::WideString text;
    EllipsisText(canvas->Handle(), panel->Text(), RectWidth(r) - 4, text);
    static constexpr UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    SkDrawText(canvas, text, r, DrawTextBiDiModeFlags(kAlignments[panel->Alignment()]));
}

void TSkCustomStatusBar::DrawPanelImage(TSkStatusPanel* panel, const RECT& rect)
{
    if (!ImageShown(panel))
        return;
    const RECT r = GetImageRect(panel);
    images_->Draw(Canvas(), rect.left + r.left, rect.top + r.top, panel->ImageIndex(), true);
}

void TSkCustomStatusBar::DrawSizeGrip()
{
    RECT grip = GetSizeGripRect();
    if (Themed()) {
        ThemeScope(u"Status").Draw(Canvas()->Handle(), kGripperPart, grip);
        return;
    }
    Canvas()->Brush()->SetStyle(vcl::bsClear);
    DrawFrameControl(Canvas()->Handle(), &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
}

// ------------------------------------------------------------------ input

void TSkCustomStatusBar::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseDown(button, shift, x, y);
    if (button != vcl::mbLeft || !Enabled())
        return;
    pressedPanel_ = PanelAt(x, y);
    const RECT grip = GetSizeGripRect();
    const POINT p{x, y};
    if (!SizeGripActive() || !PtInRect(&grip, p))
        return;
    vcl::TCustomForm* form = ParentForm();
    if (form && GetSkForm(this) && form->HandleAllocated()) {
        const POINT screen = ClientToScreen(p);
        SendMessageA(form->Handle(), WM_NCLBUTTONDOWN, 0,
                     MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
    }
}

void TSkCustomStatusBar::MouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseMove(shift, x, y);
    if (!SizeGripActive())
        return;
    const RECT grip = GetSizeGripRect();
    SetCursor(PtInRect(&grip, POINT{x, y}) ? vcl::crSizeNWSE : vcl::crDefault);
}

void TSkCustomStatusBar::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseUp(button, shift, x, y);
    // Only the release of the press that chose the panel clicks it, once.
    TSkStatusPanel* pressed = pressedPanel_;
    pressedPanel_ = nullptr;
    if (button == vcl::mbLeft && pressed && PanelAt(x, y) == pressed)
        PanelClick(pressed);
}

void TSkCustomStatusBar::DblClick()
{
    POINT p{};
    GetCursorPos(&p);
    p = ScreenToClient(p);
    if (TSkStatusPanel* panel = PanelAt(p.x, p.y))
        PanelDblClick(panel);
    TSkCustomControl::DblClick();
}

// ------------------------------------------------------ class library

void TSkCustomStatusBar::Loaded()
{
    TSkCustomControl::Loaded();
    LayoutPanels();
    BringToFront();
}

void TSkCustomStatusBar::Resize()
{
    TSkCustomControl::Resize();
    LayoutPanels();
    Invalidate();
}

void TSkCustomStatusBar::AlignControls(vcl::TControl* control, RECT& rect)
{
    TSkCustomControl::AlignControls(control, rect);
    if (!ComponentState().Contains(vcl::csDestroying))
        LayoutPanels();
}

void TSkCustomStatusBar::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomControl::Notification(component, operation);
    if (operation != vcl::opRemove || !panels_)
        return;
    if (component == images_)
        images_ = nullptr;
    for (int i = 0; i < panels_->Count(); ++i) {
        TSkStatusPanel* p = panels_->Items(i);
        if (p->control_ == component) {
            p->control_ = nullptr;
            LayoutChanged();
        }
    }
}

void TSkCustomStatusBar::CMControlChange(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    auto* control = reinterpret_cast<vcl::TControl*>(m.WParam);
    if (!panels_ || !control || ComponentState().Contains(vcl::csLoading) ||
        ComponentState().Contains(vcl::csDestroying) || control == static_cast<vcl::TControl*>(HorzScrollBar()) ||
        control == static_cast<vcl::TControl*>(VertScrollBar()))
        return;
    if (m.LParam) {
        CreatePanel()->SetControl(control);
        return;
    }
    for (int i = 0; i < panels_->Count(); ++i) {
        TSkStatusPanel* p = panels_->Items(i);
        if (p->control_ == control) {
            if (pressedPanel_ == p)
                pressedPanel_ = nullptr;
            p->control_ = nullptr;
            delete p;
            return;
        }
    }
}

void TSkCustomStatusBar::CMFontChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    Invalidate();
}

void TSkCustomStatusBar::CMSysColorChange(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    Invalidate();
}

}  // namespace skin
