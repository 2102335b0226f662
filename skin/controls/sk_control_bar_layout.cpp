// The control bar's band records and row layout: matching bands to the
// child controls, finding where a band goes among the rows, and laying the
// rows out inside the bar.

#include <algorithm>
#include <climits>
#include <cstdint>

#include "skin/controls/sk_control_bar.h"

namespace skin {

namespace {

int Clamp0(int v) { return v < 0 ? 0 : v; }

// RowSize may be as large as an int holds: sums are made wide and cut back.
int ClampInt(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }

int Right(const TSkBand* band) { return ClampInt(std::int64_t{band->placedLeft} + band->placedWidth); }

}  // namespace

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
    // A control leaves the child list only after the bar was told; a layout
    // in between may have given it a record again, which goes now.
    for (std::size_t i = 0; i < bands_.size();) {
        const vcl::TControl* c = bands_[i]->control;
        if (bands_[i]->continues || (c->Parent() == this && c != leaving_)) {
            ++i;
            continue;
        }
        FreeBand(bands_[i]);
        repaint = true;
    }
    for (int i = 0; i < ControlCount(); ++i) {
        vcl::TControl* c = Controls(i);
        if (c == leaving_)
            continue;
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
        // Indexes are remembered as they will be once the band's earlier
        // parts are gone, which is when they are compared.
        int partsBefore = 0;
        for (TSkBand* part = band; part; part = part->nextPart, ++partsBefore) {
            const auto at = std::find(bands_.begin(), bands_.end(), part);
            remembered.push_back({part->insets.top + part->insets.bottom, part->rowStart,
                                  static_cast<int>(at - bands_.begin()) - partsBefore});
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

// Where a band with the rectangle `band` goes in the record order, scanning
// from `from` (a lower part of a tall band never goes above its first part).
TSkCustomControlBar::Insertion TSkCustomControlBar::FindInsertion(const RECT& band, std::size_t from,
                                                                   const Remembered& remembered) const
{
    const std::int64_t centre = static_cast<std::int64_t>(band.top) + rowSize_ / 2;
    Insertion result{from, true, false};
    std::size_t rowFirst = from;
    std::int64_t rowTop = 0, rowBottom = 0;
    for (std::size_t i = from; i < bands_.size(); ++i) {
        const TSkBand* r = bands_[i];
        if (i == rowFirst) {
            rowTop = r->wantedTop;
            rowBottom = r->wantedTop;
        }
        rowTop = std::min<std::int64_t>(rowTop, r->wantedTop);
        rowBottom = std::max<std::int64_t>(rowBottom, static_cast<std::int64_t>(r->wantedTop) + r->height);
        if (r->wantedLeft < band.left && r->wantedTop < centre)
            result.pos = i + 1;
        const bool rowEnds = i + 1 == bands_.size() || bands_[i + 1]->rowStart ||
                             (remembered.rowStart && static_cast<int>(i + 1) == remembered.index);
        if (!rowEnds)
            continue;
        if (rowBottom > centre) {
            // The centre line lies in this row. Left of all its bands, the
            // band takes the row's front, or, above the row's top, a row
            // of its own in front of it.
            result.newRow = result.pos == rowFirst;
            result.takesRowStart = result.newRow && centre >= rowTop;
            break;
        }
        result.pos = i + 1;
        result.newRow = !(band.left > r->wantedLeft && r->nextPart);
        rowFirst = i + 1;
    }
    if (result.pos == 0)
        result.newRow = true;
    return result;
}

TSkBand* TSkCustomControlBar::InsertRecord(const TSkBand& record, std::size_t from, const Remembered& remembered)
{
    const RECT rect{record.wantedLeft, record.wantedTop, record.wantedLeft + record.width,
                    record.wantedTop + record.height};
    const Insertion at = FindInsertion(rect, from, remembered);
    if (at.pos < bands_.size() && bands_[at.pos]->rowStart && at.takesRowStart)
        bands_[at.pos]->rowStart = false;
    auto* inserted = new TSkBand(record);
    inserted->rowStart = at.newRow;
    bands_.insert(bands_.begin() + static_cast<std::ptrdiff_t>(at.pos), inserted);
    return inserted;
}

void TSkCustomControlBar::PlaceBand(vcl::TControl* control, RECT rect, const std::vector<Remembered>& remembered)
{
    placed_ = control;
    const Remembered first = remembered.empty() ? Remembered{} : remembered.front();
    const bool again = first.index >= 0;
    RECT insets = defaultInsets_;
    const int h = (rect.bottom - rect.top) + (again ? first.heightInsets : insets.top + insets.bottom);
    const auto overflows = [&](int rows) { return static_cast<std::int64_t>(rowSize_) * rows < h; };
    int rows = 1;
    if (rowSnap_) {
        rows = std::max(1, h / rowSize_);
        if (again && overflows(rows))
            ++rows;
    }
    int preferred = rect.right - rect.left;
    DoBandInfo(control, insets, rows, preferred);
    if (rows <= 0)
        rows = 1;
    if (rowSnap_ && again && overflows(rows))
        rows = h / rowSize_ + 1;
    // Every row of a band is a record of its own; a handler asking for more
    // rows than any bar shows gets the most a bar can hold.
    rows = std::min(rows, kMaxBandRows);

    TSkBand record;
    record.control = control;
    record.insets = insets;
    record.visible = ComponentState().Contains(vcl::csDesigning) || control->Visible();
    record.wantedLeft = record.placedLeft = rect.left - insets.left;
    record.wantedTop = record.placedTop = rect.top - insets.top;
    record.width = record.placedWidth = (rect.right - rect.left) + insets.left + insets.right;
    record.height = rowSnap_ ? rowSize_ : (rect.bottom - rect.top) + insets.top + insets.bottom;
    record.rowCount = rows;
    TSkBand* above = InsertRecord(record, 0, first);

    // Each further row is placed one row lower, with one row fewer.
    for (int k = 1; k < rows; ++k) {
        record.wantedTop = record.placedTop = ClampInt(static_cast<std::int64_t>(record.wantedTop) + rowSize_);
        record.rowCount = rows - k;
        record.continues = above;
        std::size_t from = static_cast<std::size_t>(std::find(bands_.begin(), bands_.end(), above) - bands_.begin());
        do
            ++from;
        while (from < bands_.size() && !bands_[from]->rowStart);
        const Remembered r = static_cast<std::size_t>(k) < remembered.size() ? remembered[k] : Remembered{};
        TSkBand* part = InsertRecord(record, from, r);
        above->nextPart = part;
        above = part;
    }
}

// ---------------------------------------------------------------- layout

void TSkCustomControlBar::AlignControls(vcl::TControl* control, RECT& rect)
{
    if (aligning_)
        return;
    aligning_ = true;
    bool laidOut = false;
    try {
        UpdateBands(control);
        if (!bands_.empty()) {
            const LayoutResult result = LayoutRows(control, rect);
            laidOut = result != LayoutResult::Abandoned;
            if (result == LayoutResult::Repaint)
                Invalidate();
        }
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
    if (laidOut && AutoSize())
        AdjustSize();
}

TSkCustomControlBar::LayoutResult TSkCustomControlBar::LayoutRows(vcl::TControl* control, const RECT& client)
{
    for (TSkBand* band : bands_)
        band->startsRowNow = band->rowStart;
    bands_.front()->startsRowNow = true;
    // A second pass follows when a lower part of a tall band was put
    // elsewhere than the parts above it; a third is never made.
    if (!LayoutPass(client) && !LayoutPass(client))
        return LayoutResult::Abandoned;

    bool moved = control != nullptr;
    for (TSkBand* band : bands_) {
        if (band->continues || !band->visible)
            continue;
        std::int64_t bottom = static_cast<std::int64_t>(band->placedTop) + band->height - band->insets.bottom;
        for (const TSkBand* part = band->nextPart; part; part = part->nextPart)
            bottom += part->height;
        const int left = band->placedLeft + band->insets.left, top = band->placedTop + band->insets.top;
        const int width = band->placedWidth - band->insets.left - band->insets.right;
        vcl::TControl* c = band->control;
        if (c->Left() != left || c->Top() != top || c->Top() + c->Height() != bottom || c->Width() != width) {
            c->SetBounds(left, top, c->Width(), std::max(ClampInt(bottom) - top, 0));
            moved = true;
        }
    }
    return moved ? LayoutResult::Repaint : LayoutResult::Quiet;
}

// One pass over the rows, top to bottom; false when the parts of a tall band
// came apart and the pass must be made again.
bool TSkCustomControlBar::LayoutPass(const RECT& client)
{
    const int available = client.right - client.left;
    int rowTop = client.top;
    std::size_t rowBegin = 0;
    while (rowBegin < bands_.size()) {
        std::size_t rowEnd = rowBegin + 1;
        while (rowEnd < bands_.size() && !bands_[rowEnd]->startsRowNow)
            ++rowEnd;
        std::vector<TSkBand*> row;
        int rowBottom = rowTop;
        const int cursor = LayoutRow(rowBegin, rowEnd, rowTop, rowBottom, row);
        if (cursor > available && !FitRow(row, cursor - available) && row.size() > 1) {
            // Still too wide: its last band starts a row of its own and the
            // row is laid out again. Each band wraps at most once per pass.
            TSkBand* last = row.back();
            last->placedLeft = last->wantedLeft = 0;
            last->placedWidth = last->control->Width() + last->insets.left + last->insets.right;
            last->startsRowNow = true;
            continue;
        }
        for (TSkBand* band : row) {
            const TSkBand* above = band->continues;
            if (above && (band->placedLeft != above->placedLeft || band->placedWidth != above->placedWidth)) {
                for (TSkBand* part = band->continues; part; part = part->continues) {
                    part->wantedLeft = part->placedLeft = band->placedLeft;
                    part->width = part->placedWidth = band->placedWidth;
                }
                return false;
            }
        }
        rowTop = rowBottom;
        rowBegin = rowEnd;
    }
    return true;
}

// Places the visible bands of one row left to right; answers the cursor,
// the right end of the row.
int TSkCustomControlBar::LayoutRow(std::size_t begin, std::size_t end, int rowTop, int& rowBottom,
                                   std::vector<TSkBand*>& row)
{
    int cursor = 0, free = 0;
    for (std::size_t i = begin; i < end; ++i) {
        TSkBand* band = bands_[i];
        if (!band->visible)
            continue;
        RECT r{};
        if (const TSkBand* above = band->continues) {
            r = RECT{above->placedLeft, rowTop, Right(above), ClampInt(std::int64_t{rowTop} + band->height)};
        } else {
            RECT insets = band->insets;
            int rows = band->rowCount;
            int preferred = band->width - insets.left - insets.right;
            DoBandInfo(band->control, insets, rows, preferred);
            band->insets = insets;
            const int width = preferred + insets.left + insets.right;
            const bool moving = band->control == dragged_;
            const int left = moving ? band->placedLeft : band->wantedLeft;
            const int top = moving ? band->placedTop : band->wantedTop;
            r = RECT{left, top, ClampInt(std::int64_t{left} + width), ClampInt(std::int64_t{top} + band->height)};
            DoBandMove(band->control, r);
            band->wantedLeft = r.left;
            band->wantedTop = r.top;
        }
        int left = r.left;
        if (left < cursor && free > 0) {
            const int used = PushLeft(row, std::min(cursor - left, free));
            cursor -= used;
            free -= used;
        }
        left = std::max(left, cursor);
        band->placedTop = rowTop;
        rowBottom = std::max(rowBottom, ClampInt(std::int64_t{rowTop} + band->height));
        free += left - cursor;
        band->placedLeft = left;
        band->placedWidth = r.right - r.left;
        cursor = Right(band);
        row.push_back(band);
    }
    return cursor;
}

// Moves the row's bands left into the gaps between them, from the right
// end, by at most `need` in all; answers how far the last band moved.
int TSkCustomControlBar::PushLeft(std::vector<TSkBand*>& row, int need)
{
    int used = 0;
    for (std::size_t k = row.size(); k-- > 0 && used < need;) {
        const int gapLeft = k == 0 ? 0 : Right(row[k - 1]);
        const int move = std::min(Clamp0(row[k]->placedLeft - gapLeft), need - used);
        for (std::size_t m = k; m < row.size(); ++m)
            row[m]->placedLeft -= move;
        used += move;
    }
    return used;
}

// Makes an overflowing row narrower by `excess`: into the gaps first, then
// by narrowing bands from the right end, never below the smallest width
// their controls allow. Answers whether the row fits now.
bool TSkCustomControlBar::FitRow(std::vector<TSkBand*>& row, int excess)
{
    excess -= PushLeft(row, excess);
    for (std::size_t k = row.size(); k-- > 0 && excess > 0;) {
        TSkBand* band = row[k];
        const int least = band->control->Constraints()->MinWidth() + band->insets.left + band->insets.right;
        const int cut = std::min(Clamp0(band->placedWidth - least), excess);
        band->placedWidth -= cut;
        for (std::size_t m = k + 1; m < row.size(); ++m)
            row[m]->placedLeft -= cut;
        excess -= cut;
    }
    return excess <= 0;
}

// ------------------------------------------------------------- auto size

bool TSkCustomControlBar::CanAutoSize(int& newWidth, int& newHeight)
{
    if (!HandleAllocated() || (ComponentState().Contains(vcl::csDesigning) && ControlCount() == 0))
        return false;
    std::int64_t extent = 0;
    const bool across = Align() == vcl::alLeft || Align() == vcl::alRight;
    for (const TSkBand* band : bands_) {
        if (band->continues || !band->visible)
            continue;
        const vcl::TControl* c = band->control;
        extent = std::max(extent, across ? static_cast<std::int64_t>(band->placedLeft) + c->Width() +
                                               band->insets.left + band->insets.right
                                         : static_cast<std::int64_t>(band->placedTop) + c->Height() +
                                               band->insets.top + band->insets.bottom);
    }
    const RECT client = ClientRect();
    if (across)
        newWidth = ClampInt(extent + (Width() - (client.right - client.left)));
    else
        newHeight = ClampInt(extent + (Height() - (client.bottom - client.top)));
    return true;
}

}  // namespace skin
