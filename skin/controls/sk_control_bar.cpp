#include "skin/controls/sk_control_bar.h"

#include <algorithm>

#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

constexpr int kRebarGripperPart = 1;

int Clamp0(int v) { return v < 0 ? 0 : v; }

// The control's published Constraints.MinWidth, or 0 where it has none.
int MinWidthOf(const vcl::TControl* control)
{
    const vcl::TPropInfo* constraints = control->ClassType()->FindProperty("Constraints");
    if (!constraints || !constraints->getObject)
        return 0;
    const vcl::TObject* limits = constraints->getObject(control);
    if (!limits)
        return 0;
    const vcl::TPropInfo* minWidth = limits->ClassType()->FindProperty("MinWidth");
    return minWidth && minWidth->getOrd ? static_cast<int>(minWidth->getOrd(limits)) : 0;
}

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomControlBar, TSkCustomControl, [](auto& b) {
    b.Component();
    b.Bool("AutoDock", &TSkCustomControlBar::AutoDock, &TSkCustomControlBar::SetAutoDock, true);
    b.Bool("AutoDrag", &TSkCustomControlBar::AutoDrag, &TSkCustomControlBar::SetAutoDrag, true);
    b.Bool("AutoSize", &TSkCustomControlBar::AutoSize, &TSkCustomControlBar::SetAutoSize, true);
    b.Int("RowSize", &TSkCustomControlBar::RowSize, &TSkCustomControlBar::SetRowSize, 26);
    b.Bool("RowSnap", &TSkCustomControlBar::RowSnap, &TSkCustomControlBar::SetRowSnap, false);
    b.Event("OnBandDrag", &TSkCustomControlBar::OnBandDrag);
    b.Event("OnBandInfo", &TSkCustomControlBar::OnBandInfo);
    b.Event("OnBandMove", &TSkCustomControlBar::OnBandMove);
    b.Event("OnBandPaint", &TSkCustomControlBar::OnBandPaint);
    b.Event("OnPaint", &TSkCustomControlBar::OnPaint);
    b.Message(vcl::CN_KEYDOWN, &TSkCustomControlBar::CNKeyDown);
    b.Message(vcl::CM_CONTROLLISTCHANGE, &TSkCustomControlBar::CMControlListChange);
})

TSkCustomControlBar::TSkCustomControlBar(vcl::TComponent* owner) : TSkCustomControl(owner)
{
    SetControlStyle(vcl::TControlStyle{vcl::csAcceptsControls, vcl::csCaptureMouse, vcl::csClickEvents,
                                       vcl::csOpaque, vcl::csDoubleClicks});
    SetBounds(Left(), Top(), 100, 50);
    SetDockSite(true);
    SetBevelKind(kbkNone);
    SetBevelInner(kbvNone);
    SetBevelOuter(kbvNone);
    SetColor(vcl::clBtnFace);
}

TSkCustomControlBar::~TSkCustomControlBar()
{
    for (TSkBand* band : bands_)
        delete band;
    bands_.clear();
}

void TSkCustomControlBar::SetAutoSize(bool v)
{
    if (autoSize_ == v)
        return;
    autoSize_ = v;
    if (v)
        AdjustBarSize();
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

// ------------------------------------------------------------- matching

bool TSkCustomControlBar::UpdateBands(vcl::TControl* control)
{
    defaultInsets_.left = GetGrabberWidth();
    bool repaint = false;
    bool hadNoBand = true;
    std::vector<vcl::TControl*> fresh;
    std::vector<Remembered> remembered;
    RECT again{};
    const bool designing = ComponentState().Contains(vcl::csDesigning);
    for (int i = 0; i < ControlCount(); ++i) {
        vcl::TControl* c = Controls(i);
        const bool visible = designing || c->Visible();
        TSkBand* band = FindBand(c);
        if (!band) {
            fresh.push_back(c);
            continue;
        }
        if (band->visible != visible)
            repaint = true;
        for (TSkBand* part = band; part; part = part->nextPart)
            part->visible = visible;
        if (c != control)
            continue;
        hadNoBand = false;
        again = dragged_ == c ? RECT{band->wantedLeft + band->insets.left, band->wantedTop + band->insets.top,
                                     band->wantedLeft + band->insets.left + c->Width(),
                                     band->wantedTop + band->insets.top + c->Height()}
                              : c->BoundsRect();
        for (TSkBand* part = band; part; part = part->nextPart) {
            const auto at = std::find(bands_.begin(), bands_.end(), part);
            remembered.push_back({part->insets.top + part->insets.bottom, part->rowStart,
                                  static_cast<int>(at - bands_.begin())});
            if (part->rowStart && at + 1 != bands_.end())
                (*(at + 1))->rowStart = true;
        }
        FreeBand(band);
    }
    std::stable_sort(fresh.begin(), fresh.end(), [](vcl::TControl* a, vcl::TControl* b) {
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    for (vcl::TControl* c : fresh)
        PlaceBand(c, c->BoundsRect(), {});
    if (!hadNoBand)
        PlaceBand(control, again, remembered);
    if (repaint)
        Invalidate();
    return hadNoBand;
}

void TSkCustomControlBar::PlaceBand(vcl::TControl* control, RECT rect, std::vector<Remembered> remembered)
{
    placed_ = control;
    const Remembered first = remembered.empty() ? Remembered{} : remembered.front();
    RECT insets = defaultInsets_;
    const int controlHeight = rect.bottom - rect.top;
    const int h = controlHeight + (first.heightInsets >= 0 ? first.heightInsets : insets.top + insets.bottom);
    int rows = 1;
    if (rowSnap_) {
        rows = std::max(1, h / rowSize_);
        if (first.index >= 0 && rows * rowSize_ < h)
            ++rows;
    }
    int preferred = rect.right - rect.left;
    DoBandInfo(control, insets, rows, preferred);
    if (rows <= 0)
        rows = 1;
    if (rowSnap_ && first.index >= 0 && rows * rowSize_ < h)
        rows = h / rowSize_ + 1;
    RECT band{rect.left - insets.left, rect.top - insets.top, rect.right + insets.right, rect.bottom + insets.bottom};
    if (rowSnap_)
        band.bottom = band.top + rowSize_ * rows;

    // Where the band goes in the record order, and whether it starts a row.
    const int centre = band.top + rowSize_ / 2;
    std::size_t pos = 0;
    bool newRow = true;
    std::size_t rowFirst = 0;
    int rowTop = 0, rowBottom = 0;
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        TSkBand* r = bands_[i];
        if (i == 0 || r->rowStart) {
            rowFirst = i;
            rowTop = r->wantedTop;
            rowBottom = r->wantedTop + r->height;
        }
        rowTop = std::min(rowTop, r->wantedTop);
        rowBottom = std::max(rowBottom, r->wantedTop + r->height);
        if (r->wantedLeft < band.left && r->wantedTop < centre)
            pos = i + 1;
        const bool rowEnds = i + 1 == bands_.size() || bands_[i + 1]->rowStart ||
                             (first.index >= 0 && static_cast<int>(i + 1) == first.index && first.rowStart);
        if (!rowEnds)
            continue;
        if (rowBottom > centre) {
            newRow = pos == rowFirst && centre < rowTop;
            break;
        }
        pos = i + 1;
        newRow = !(band.left > r->wantedLeft && r->nextPart);
    }
    if (pos == 0)
        newRow = true;
    if (newRow && pos < bands_.size() && bands_[pos]->rowStart && static_cast<int>(pos) != first.index)
        bands_[pos]->rowStart = false;

    auto* record = new TSkBand();
    record->control = control;
    record->insets = insets;
    record->visible = ComponentState().Contains(vcl::csDesigning) || control->Visible();
    record->rowStart = newRow;
    record->wantedLeft = band.left;
    record->wantedTop = band.top;
    record->width = band.right - band.left;
    record->height = rowSnap_ ? rowSize_ : band.bottom - band.top;
    record->rowCount = rows;
    bands_.insert(bands_.begin() + static_cast<std::ptrdiff_t>(pos), record);

    // Each further row of a tall band is a part of its own, one row lower.
    TSkBand* above = record;
    for (int k = 1; k < rows; ++k) {
        auto* part = new TSkBand(*record);
        part->continues = above;
        part->nextPart = nullptr;
        part->rowCount = rows - k;
        part->wantedTop = above->wantedTop + rowSize_;
        part->rowStart = true;
        above->nextPart = part;
        auto at = std::find(bands_.begin(), bands_.end(), above) + 1;
        while (at != bands_.end() && !(*at)->rowStart)
            ++at;
        if (at != bands_.end())
            ++at;
        while (at != bands_.end() && !(*at)->rowStart && (*at)->wantedLeft < part->wantedLeft)
            ++at;
        part->rowStart = at == bands_.end() || (*at)->rowStart;
        if (part->rowStart && at != bands_.end() && (*at)->rowStart)
            (*at)->rowStart = false;
        bands_.insert(at, part);
        above = part;
    }
}

// ---------------------------------------------------------------- layout

void TSkCustomControlBar::AlignControls(vcl::TControl* control, RECT& rect)
{
    if (aligning_)
        return;
    aligning_ = true;
    try {
        UpdateBands(control);
        if (!bands_.empty() && LayoutRows(control, rect))
            Invalidate();
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
    if (autoSize_)
        AdjustBarSize();
}

// Lays the rows out and moves the controls; answers whether to repaint.
bool TSkCustomControlBar::LayoutRows(vcl::TControl* control, const RECT& client)
{
    for (TSkBand* band : bands_)
        band->startsRowNow = band->rowStart;
    bands_.front()->startsRowNow = true;
    const int available = client.right - client.left;
    int previousBottom = client.top;
    std::size_t rowBegin = 0;
    // A row that overflows hands its last band to a new row: at most once
    // per band, so the layout ends.
    for (int guard = 0; rowBegin < bands_.size() && guard <= static_cast<int>(bands_.size()) * 2; ++guard) {
        std::size_t rowEnd = rowBegin + 1;
        while (rowEnd < bands_.size() && !bands_[rowEnd]->startsRowNow)
            ++rowEnd;
        int cursor = 0, free = 0, rowBottom = previousBottom;
        std::vector<TSkBand*> row;
        for (std::size_t i = rowBegin; i < rowEnd; ++i) {
            TSkBand* band = bands_[i];
            if (!band->visible)
                continue;
            RECT r{};
            if (band->continues) {
                r = RECT{band->continues->placedLeft, 0, band->continues->placedLeft + band->continues->placedWidth, 0};
            } else {
                RECT insets = band->insets;
                int rows = band->rowCount;
                int preferred = band->control->Width();
                DoBandInfo(band->control, insets, rows, preferred);
                band->insets = insets;
                const int width = preferred + insets.left + insets.right;
                const bool moving = band->control == dragged_;
                const int left = moving ? band->placedLeft : band->wantedLeft;
                const int top = moving ? band->placedTop : band->wantedTop;
                r = RECT{left, top, left + width, top + band->height};
                DoBandMove(band->control, r);
                band->wantedLeft = r.left;
                band->wantedTop = r.top;
            }
            int left = r.left;
            const int width = r.right - r.left;
            if (left < cursor && free > 0) {
                int need = std::min(cursor - left, free);
                const int used = need;
                for (auto it = row.rbegin(); it != row.rend() && need > 0; ++it) {
                    const int gapLeft = it + 1 == row.rend() ? 0 : (*(it + 1))->placedLeft + (*(it + 1))->placedWidth;
                    const int gap = Clamp0((*it)->placedLeft - gapLeft);
                    const int move = std::min(gap, need);
                    for (auto moved = row.rbegin(); moved != it + 1; ++moved)
                        (*moved)->placedLeft -= move;
                    need -= move;
                }
                cursor -= used - need;
                free -= used - need;
            }
            if (left < cursor)
                left = cursor;
            band->placedTop = previousBottom;
            rowBottom = std::max(rowBottom, band->placedTop + band->height);
            free += left - cursor;
            cursor = left + width;
            band->placedLeft = left;
            band->placedWidth = width;
            row.push_back(band);
        }
        if (cursor > available && !row.empty()) {
            // Push left into the gaps, from the right end.
            int excess = cursor - available;
            for (std::size_t k = row.size(); k-- > 0 && excess > 0;) {
                const int gapLeft = k == 0 ? 0 : row[k - 1]->placedLeft + row[k - 1]->placedWidth;
                const int move = std::min(Clamp0(row[k]->placedLeft - gapLeft), excess);
                for (std::size_t m = k; m < row.size(); ++m)
                    row[m]->placedLeft -= move;
                excess -= move;
            }
            // Then narrow from the right end, never below the control's
            // smallest width.
            for (std::size_t k = row.size(); k-- > 0 && excess > 0;) {
                TSkBand* band = row[k];
                const int least = MinWidthOf(band->control) + band->insets.left + band->insets.right;
                const int cut = std::min(Clamp0(band->placedWidth - least), excess);
                band->placedWidth -= cut;
                for (std::size_t m = k + 1; m < row.size(); ++m)
                    row[m]->placedLeft -= cut;
                excess -= cut;
            }
            if (excess > 0 && row.size() > 1) {
                TSkBand* last = row.back();
                last->placedLeft = 0;
                last->wantedLeft = 0;
                last->placedWidth = last->control->Width() + last->insets.left + last->insets.right;
                last->startsRowNow = true;
                continue;  // the same row again, without its last band
            }
        }
        previousBottom = rowBottom;
        rowBegin = rowEnd;
    }
    bool moved = control != nullptr;
    for (TSkBand* band : bands_) {
        if (band->continues || !band->visible)
            continue;
        int bottom = band->placedTop + band->height - band->insets.bottom;
        for (TSkBand* part = band->nextPart; part; part = part->nextPart)
            bottom += part->height;
        const int left = band->placedLeft + band->insets.left, top = band->placedTop + band->insets.top;
        vcl::TControl* c = band->control;
        if (c->Left() != left || c->Top() != top || c->Top() + c->Height() != bottom ||
            c->Width() != band->placedWidth - band->insets.left - band->insets.right) {
            if (c->Left() != left || c->Top() != top || c->Top() + c->Height() != bottom) {
                c->SetBounds(left, top, c->Width(), std::max(bottom - top, 0));
                moved = true;
            }
        }
    }
    return moved;
}

bool TSkCustomControlBar::CanAutoSize(int& newWidth, int& newHeight)
{
    if (!HandleAllocated() || (ComponentState().Contains(vcl::csDesigning) && ControlCount() == 0))
        return false;
    int extent = 0;
    const bool across = Align() == vcl::alLeft || Align() == vcl::alRight;
    for (const TSkBand* band : bands_) {
        if (band->continues || !band->visible)
            continue;
        const vcl::TControl* c = band->control;
        extent = std::max(extent, across ? band->placedLeft + c->Width() + band->insets.left + band->insets.right
                                         : band->placedTop + c->Height() + band->insets.top + band->insets.bottom);
    }
    const RECT client = ClientRect();
    if (across)
        newWidth = extent + (Width() - (client.right - client.left));
    else
        newHeight = extent + (Height() - (client.bottom - client.top));
    return true;
}

void TSkCustomControlBar::AdjustBarSize()
{
    if (!autoSize_ || bands_.empty())
        return;
    int width = Width(), height = Height();
    if (CanAutoSize(width, height) && (width != Width() || height != Height()))
        SetBounds(Left(), Top(), width, height);
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
    if (ComponentState().Contains(vcl::csDesigning) || vcl::GetCaptureControl() != this)
        return;
    ResetBands();
    TSkBand* band = BandAt(x, y);
    if (!band)
        return;
    if (shift.Contains(vcl::ssDouble) && StartBandDrag(band->control, x, y, false))
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
    if (autoDrag_ &&
        (band->placedLeft < client.left - margin || band->placedTop < client.top - margin ||
         band->placedLeft > client.right + margin || band->placedTop > client.bottom + margin)) {
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
    RemoveBand(control);
    if (autoSize_)
        AdjustBarSize();
    Invalidate();
}

}  // namespace skin
