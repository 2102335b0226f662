#include "skin/controls/sk_control_bar.h"

#include <algorithm>

#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

constexpr int kRebarGripperPart = 1;

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomControlBar, TSkCustomControl, [](auto& b) {
    b.Component();
    b.Bool("AutoDock", &TSkCustomControlBar::AutoDock, &TSkCustomControlBar::SetAutoDock, true);
    b.Bool("AutoDrag", &TSkCustomControlBar::AutoDrag, &TSkCustomControlBar::SetAutoDrag, true);
    b.Bool("AutoSize", &TSkCustomControlBar::AutoSize, &TSkCustomControlBar::SetAutoSize, true);
    b.Bool("ParentCtl3D", &TSkCustomControlBar::ParentCtl3D, &TSkCustomControlBar::SetParentCtl3D, true);
    b.Int("RowSize", &TSkCustomControlBar::RowSize, &TSkCustomControlBar::SetRowSize, 26);
    b.Bool("RowSnap", &TSkCustomControlBar::RowSnap, &TSkCustomControlBar::SetRowSnap, false);
    b.Event("OnBandDrag", &TSkCustomControlBar::OnBandDrag);
    b.Event("OnBandInfo", &TSkCustomControlBar::OnBandInfo);
    b.Event("OnBandMove", &TSkCustomControlBar::OnBandMove);
    b.Event("OnBandPaint", &TSkCustomControlBar::OnBandPaint);
    b.Event("OnPaint", &TSkCustomControlBar::OnPaint);
    b.Message(vcl::CN_KEYDOWN, &TSkCustomControlBar::CNKeyDown);
    b.Message(vcl::CM_CONTROLLISTCHANGE, &TSkCustomControlBar::CMControlListChange);
    b.Message(vcl::CM_DESIGNHITTEST, &TSkCustomControlBar::CMDesignHitTest);
})

TSkCustomControlBar::TSkCustomControlBar(vcl::TComponent* owner) : TSkCustomControl(owner)
{
    SetControlStyle(vcl::TControlStyle{vcl::csAcceptsControls, vcl::csCaptureMouse, vcl::csClickEvents,
                                       vcl::csOpaque, vcl::csDoubleClicks});
    SetBounds(Left(), Top(), 100, 50);
    SetDockSite(true);
    InitAutoSize(true);
}

TSkCustomControlBar::~TSkCustomControlBar()
{
    for (TSkBand* band : bands_)
        delete band;
    bands_.clear();
}

void TSkCustomControlBar::CreateParams(vcl::TCreateParams& params)
{
    TSkCustomControl::CreateParams(params);
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// ------------------------------------------------------------------ bands

TSkBand* TSkCustomControlBar::FindBand(vcl::TControl* control) const
{
    for (TSkBand* band : bands_)
        if (band->control == control && !band->continues)
            return band;
    return nullptr;
}

RECT TSkCustomControlBar::BandRect(const TSkBand* band) const
{
    const RECT b = band->control->BoundsRect();
    return RECT{b.left - band->insets.left, b.top - band->insets.top, b.right + band->insets.right,
                b.bottom + band->insets.bottom};
}

TSkBand* TSkCustomControlBar::BandAt(int x, int y) const
{
    for (TSkBand* band : bands_) {
        if (band->continues || !band->visible)
            continue;
        const RECT r = BandRect(band);
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return band;
    }
    return nullptr;
}

vcl::TControl* TSkCustomControlBar::ControlAt(int x, int y) const
{
    TSkBand* band = BandAt(x, y);
    return band ? band->control : nullptr;
}

void TSkCustomControlBar::FreeBand(TSkBand* band)
{
    for (TSkBand* part = band; part;) {
        TSkBand* next = part->nextPart;
        bands_.erase(std::remove(bands_.begin(), bands_.end(), part), bands_.end());
        delete part;
        part = next;
    }
}

void TSkCustomControlBar::ResetBands()
{
    for (TSkBand* band : bands_)
        delete band;
    bands_.clear();
    dragged_ = nullptr;
    placed_ = nullptr;
    Realign(nullptr);
}

void TSkCustomControlBar::RemoveBand(vcl::TControl* control)
{
    placed_ = control;
    TSkBand* band = FindBand(control);
    if (!band)
        return;
    auto it = std::find(bands_.begin(), bands_.end(), band);
    if (band->rowStart && it + 1 != bands_.end())
        (*(it + 1))->rowStart = true;
    FreeBand(band);
}

void TSkCustomControlBar::SnapshotBands()
{
    for (TSkBand* band : bands_) {
        if (band->continues) {
            band->wantedLeft = band->continues->wantedLeft;
            band->wantedTop = band->continues->wantedTop + band->continues->height;
        } else {
            band->wantedLeft = band->control->Left() - band->insets.left;
            band->wantedTop = band->control->Top() - band->insets.top;
        }
        band->width = band->control->Width() + band->insets.left + band->insets.right;
        band->rowStart = band->startsRowNow;
    }
}

void TSkCustomControlBar::DoBandInfo(vcl::TControl* control, RECT& insets, int& rowCount, int& preferredSize)
{
    if (rowCount == 0)
        rowCount = 1;
    OnBandInfo(this, control, insets, preferredSize, rowCount);
}

void TSkCustomControlBar::DoBandMove(vcl::TControl* control, RECT& rect) { OnBandMove(this, control, rect); }

void TSkCustomControlBar::DoBandPaint(vcl::TControl* control, vcl::TCanvas* canvas, RECT& rect,
                                      TBandPaintOptions& options)
{
    OnBandPaint(this, control, canvas, rect, options);
}

bool TSkCustomControlBar::StartBandDrag(vcl::TControl* control, int, int, bool)
{
    bool drag = true;
    if (control && OnBandDrag)
        OnBandDrag(this, control, drag);
    if (drag && control)
        control->BeginDrag(true, -1);
    return drag;
}

void TSkCustomControlBar::Realign(vcl::TControl* control)
{
    if (!HandleAllocated() || ComponentState().Contains(vcl::csDestroying))
        return;
    DisableAlign();
    try {
        RECT client = ClientRect();
        AlignControls(control, client);
    } catch (...) {
        controlState_.Exclude(vcl::csAlignmentNeeded);
        EnableAlign();
        throw;
    }
    controlState_.Exclude(vcl::csAlignmentNeeded);
    EnableAlign();
}

// -------------------------------------------------------------- painting

void TSkCustomControlBar::PaintBackground()
{
    vcl::TCanvas* canvas = Canvas();
    if (ThemesActive()) {
        if (HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"Rebar")) {
            const RECT all{0, 0, Width(), Height()};
            ThemeApi().DrawThemeBackground(theme, canvas->Handle(), 0, 0, &all, nullptr);
            ThemeApi().CloseThemeData(theme);
            return;
        }
    }
    FillRectColor(canvas, ClientRect(), Color());
}

void TSkCustomControlBar::PaintClient()
{
    PaintBackground();
    OnPaint(this);
    for (const TSkBand* band : bands_)
        if (!band->continues && band->visible)
            PaintBand(Canvas(), band->control, BandRect(band));
}

void TSkCustomControlBar::PaintBand(vcl::TCanvas* canvas, vcl::TControl* control, RECT rect)
{
    TBandPaintOptions options{bpoGrabber, bpoFrame};
    DoBandPaint(control, canvas, rect, options);
    if (options.Contains(bpoFrame))
        DrawEdge(canvas->Handle(), &rect, BDR_RAISEDINNER, BF_RECT);
    if (!options.Contains(bpoGrabber))
        return;
    if (ThemesActive()) {
        if (HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"Rebar")) {
            const RECT grip{rect.left + 2, rect.top + 2, rect.left + 8, rect.bottom - 2};
            ThemeApi().DrawThemeBackground(theme, canvas->Handle(), kRebarGripperPart, 1, &grip, nullptr);
            ThemeApi().CloseThemeData(theme);
            return;
        }
    }
    for (int bar = 0; bar < 2; ++bar) {
        const int l = rect.left + 3 + 3 * bar, t = rect.top + 2, r = l + 2, b = rect.bottom - 3;
        MoveToPoint(canvas, l + 2, t);
        LineToColor(canvas, l, t, vcl::clBtnHighlight);
        LineToColor(canvas, l, b + 1, vcl::clBtnHighlight);
        MoveToPoint(canvas, r, t);
        LineToColor(canvas, r, b, vcl::clBtnShadow);
        LineToColor(canvas, l - 1, b, vcl::clBtnShadow);
    }
}

// ------------------------------------------------------------------ mouse

void TSkCustomControlBar::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseDown(button, shift, x, y);
    if (vcl::GetCaptureControl() != this)
        return;
    ResetBands();
    TSkBand* band = BandAt(x, y);
    if (!band)
        return;
    const bool designing = ComponentState().Contains(vcl::csDesigning);
    if (shift.Contains(vcl::ssDouble) && !designing && StartBandDrag(band->control, x, y, false))
        return;
    dragged_ = band->control;
    if (placed_ == dragged_)
        placed_ = nullptr;
    else
        SnapshotBands();
    dragOffsetX_ = band->placedLeft - x;
    dragOffsetY_ = band->placedTop - y;
}

void TSkCustomControlBar::MouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseMove(shift, x, y);
    if (!dragged_)
        return;
    TSkBand* band = FindBand(dragged_);
    if (!band)
        return;
    band->wantedLeft = band->placedLeft = x + dragOffsetX_;
    band->wantedTop = band->placedTop = y + dragOffsetY_;
    band->placedWidth = dragged_->Width() + band->insets.left + band->insets.right;
    const RECT client = ClientRect();
    const int margin = dragged_->Height();
    // Ctrl pulls the band out too; the keyboard goes to the focused control,
    // not to the bar, so the key is read from the state the move carries.
    if (autoDrag_ && !ComponentState().Contains(vcl::csDesigning) &&
        (shift.Contains(vcl::ssCtrl) || band->placedLeft < client.left - margin ||
         band->placedTop < client.top - margin || band->placedLeft > client.right + margin ||
         band->placedTop > client.bottom + margin)) {
        vcl::TControl* control = dragged_;
        if (StartBandDrag(control, x, y, true)) {
            dragged_ = nullptr;
            return;
        }
    }
    Realign(dragged_);
}

void TSkCustomControlBar::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    if (dragged_) {
        if (placed_ == dragged_)
            placed_ = nullptr;
        else
            SnapshotBands();
        dragged_ = nullptr;
    }
    TSkCustomControl::MouseUp(button, shift, x, y);
}

void TSkCustomControlBar::CNKeyDown(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    if (m.WParam == VK_CONTROL && dragged_ && autoDrag_) {
        POINT p{};
        GetCursorPos(&p);
        p = ScreenToClient(p);
        vcl::TControl* control = dragged_;
        if (StartBandDrag(control, p.x, p.y, true))
            dragged_ = nullptr;
    }
}

// A floating control that enters the bar docks at once and goes on as a
// band drag, under the same held button.
void TSkCustomControlBar::DockOver(vcl::TDragDockObject* source, int x, int y, vcl::TDragState state, bool& accept)
{
    TSkCustomControl::DockOver(source, x, y, state, accept);
    vcl::TControl* control = source ? source->Control() : nullptr;
    if (!autoDrag_ || !autoDock_ || !accept || state != vcl::dsDragEnter || !control || !control->Floating())
        return;
    control->EndDrag(false);
    control->ManualDock(this);
    control->SetBounds(x, y, control->Width(), control->Height());
    dragged_ = control;
    if (HandleAllocated())
        PostMessageA(Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(static_cast<WORD>(control->Left()), static_cast<WORD>(control->Top())));
}

void TSkCustomControlBar::CMControlListChange(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    if (m.LParam != 0)
        return;
    auto* control = reinterpret_cast<vcl::TControl*>(m.WParam);
    if (control == dragged_)
        dragged_ = nullptr;
    // The control is still a child until the message returns; a layout that
    // the new size sets off must not give it a band again.
    leaving_ = control;
    try {
        RemoveBand(control);
        if (AutoSize())
            AdjustSize();
    } catch (...) {
        leaving_ = nullptr;
        throw;
    }
    leaving_ = nullptr;
    Invalidate();
}

// In the designer the bar keeps the mouse for band dragging: on a band and
// while one is dragged.
void TSkCustomControlBar::CMDesignHitTest(vcl::TMessage& m)
{
    m.Result = dragged_ || BandAt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)) ? 1 : 0;
}

}  // namespace skin
