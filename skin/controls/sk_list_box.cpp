#include "skin/controls/sk_list_box.h"

#include <algorithm>

#include "platform/win32/kernel/code_pages.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_text.h"

namespace skin {

const vcl::TEnumInfo kListBoxStyleInfo{"TSkListBoxStyle",
                                       {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbFonts",
                                        "lbFontSamples", "lbColors", "lbColorNames"}};
const vcl::TEnumInfo kFontDeviceInfo{"TFontDevice", {"fdScreen", "fdPrinter"}};
const vcl::TEnumInfo kFontTypeInfo{"TFontType", {"ftAll", "ftTrueType", "ftFixedPitch"}};

vcl::WideString ItemTextInCharset(const vcl::AnsiString& text, vcl::TFont* font)
{
    if (text.empty())
        return {};
    const UINT codePage = font && font->Charset() == RUSSIAN_CHARSET ? 1251 : 1252;
    vcl::WideString out(text.size(), u'\0');
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                      reinterpret_cast<LPWSTR>(out.data()), static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(std::max(n, 0)));
    return out;
}

int WheelScrollLines()
{
    UINT lines = 3;
    if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
        lines = 3;
    return std::max<int>(1, static_cast<int>(std::min<UINT>(lines, 0x7FFF)));
}

// More lines a notch than the wheel's 120 would make the divisor 0; such a
// setting moves one line per unit of delta instead.
int WheelSteps(int delta, int lines)
{
    const int divisor = std::max(1, WHEEL_DELTA / std::max(1, lines));
    return delta / divisor;
}

// ------------------------------------------------------------- the items

VCL_IMPLEMENT_CLASS(TEkListBoxItems, vcl::TStringList, [](auto&) {})

void TEkListBoxItems::Notify()
{
    if (listBox_)
        listBox_->ItemsChanged();
}

// Keeps the flag arrays in step with an item that arrived at `index`.
void TEkListBoxItems::Inserted(int index)
{
    if (!listBox_)
        return;
    auto put = [index](std::vector<std::uint8_t>& flags, std::uint8_t value) {
        const auto at = static_cast<std::size_t>(std::clamp<int>(index, 0, static_cast<int>(flags.size())));
        flags.insert(flags.begin() + static_cast<std::ptrdiff_t>(at), value);
    };
    put(listBox_->checkStates_, 0);
    put(listBox_->checkEnabled_, 1);
    put(listBox_->selected_, 0);
}

void TEkListBoxItems::Put(int index, const vcl::AnsiString& s)
{
    vcl::TStringList::Put(index, s);
    Notify();
}

void TEkListBoxItems::PutObject(int index, vcl::TObject* object)
{
    vcl::TStringList::PutObject(index, object);
    Notify();
}

int TEkListBoxItems::Add(const vcl::AnsiString& s) { return AddObject(s, nullptr); }

int TEkListBoxItems::AddObject(const vcl::AnsiString& s, vcl::TObject* object)
{
    const int before = Count();
    const int index = vcl::TStringList::AddObject(s, object);
    if (Count() > before)
        Inserted(index);
    Notify();
    return index;
}

void TEkListBoxItems::Insert(int index, const vcl::AnsiString& s)
{
    const int before = Count();
    vcl::TStringList::Insert(index, s);
    if (Count() > before)
        Inserted(index);
    Notify();
}

void TEkListBoxItems::Clear()
{
    vcl::TStringList::Clear();
    if (listBox_) {
        listBox_->checkStates_.clear();
        listBox_->checkEnabled_.clear();
        listBox_->selected_.clear();
    }
    Notify();
}

void TEkListBoxItems::Delete(int index)
{
    vcl::TStringList::Delete(index);
    if (listBox_) {
        for (auto* flags : {&listBox_->checkStates_, &listBox_->checkEnabled_, &listBox_->selected_})
            if (index >= 0 && index < static_cast<int>(flags->size()))
                flags->erase(flags->begin() + index);
    }
    Notify();
}

void TEkListBoxItems::Exchange(int index1, int index2)
{
    vcl::TStringList::Exchange(index1, index2);
    if (listBox_) {
        for (auto* flags : {&listBox_->checkStates_, &listBox_->checkEnabled_, &listBox_->selected_}) {
            const int n = static_cast<int>(flags->size());
            if (index1 >= 0 && index1 < n && index2 >= 0 && index2 < n)
                std::swap((*flags)[static_cast<std::size_t>(index1)], (*flags)[static_cast<std::size_t>(index2)]);
        }
    }
    Notify();
}

void TEkListBoxItems::SetUpdateState(bool updating)
{
    vcl::TStringList::SetUpdateState(updating);
    if (!listBox_)
        return;
    listBox_->SetUpdating(updating);
    if (!updating) {
        listBox_->Invalidate();
        listBox_->ItemsChanged();
    }
}

// ---------------------------------------------------------- the list box

VCL_IMPLEMENT_CLASS(TSkCustomListBox, TSkCustomControl, [](auto& b) {
    b.Component();
    b.Bool("AllowGrayed", &TSkCustomListBox::AllowGrayed, &TSkCustomListBox::SetAllowGrayed, false);
    b.Bool("AlwaysShowScrlBar", &TSkCustomListBox::AlwaysShowScrlBar, &TSkCustomListBox::SetAlwaysShowScrlBar,
           false);
    PublishBevels(b, kbvLowered, kbvLowered, 1, 0);
    b.Int("Columns", &TSkCustomListBox::Columns, &TSkCustomListBox::SetColumns, 0);
    b.Bool("Flat", &TSkCustomListBox::Flat, &TSkCustomListBox::SetFlat, true);
    b.Enum("FontDevice", &kFontDeviceInfo, &TSkCustomListBox::FontDevice, &TSkCustomListBox::SetFontDevice,
           std::optional<TFontDevice>(fdScreen));
    b.Enum("FontType", &kFontTypeInfo, &TSkCustomListBox::FontType, &TSkCustomListBox::SetFontType,
           std::optional<TFontType>(ftAll));
    b.template Enum<vcl::TImeMode>("ImeMode", &vcl::kImeModeInfo, &TSkCustomListBox::ImeMode,
                                   &TSkCustomListBox::SetImeMode, std::optional<vcl::TImeMode>(vcl::imDontCare));
    b.Str("ImeName", &TSkCustomListBox::ImeName, &TSkCustomListBox::SetImeName);
    b.Object("Items", &TSkCustomListBox::ItemsValue, &TSkCustomListBox::SetItems);
    b.Int("ItemHeight", &TSkCustomListBox::ItemHeight, &TSkCustomListBox::SetItemHeight, 16);
    b.Bool("MultiSelect", &TSkCustomListBox::MultiSelect, &TSkCustomListBox::SetMultiSelect, false);
    b.Int("SelCount", &TSkCustomListBox::SelCountValue, &TSkCustomListBox::SetSelCountValue, std::nullopt);
    b.Bool("ShowCheckBoxes", &TSkCustomListBox::ShowCheckBoxes, &TSkCustomListBox::SetShowCheckBoxes, false);
    b.Bool("Sorted", &TSkCustomListBox::Sorted, &TSkCustomListBox::SetSorted, false);
    b.Enum("ListStyle", &kListBoxStyleInfo, &TSkCustomListBox::ListStyle, &TSkCustomListBox::SetListStyle,
           std::optional<TSkListBoxStyle>(lbStandard));
    b.Bool("WordWrap", &TSkCustomListBox::WordWrap, &TSkCustomListBox::SetWordWrap, false);
    b.Event("OnDrawItem", &TSkCustomListBox::OnDrawItem);
    b.Event("OnMeasureItem", &TSkCustomListBox::OnMeasureItem);
    b.Message(WM_GETDLGCODE, &TSkCustomListBox::WMGetDlgCode);
    b.Message(WM_MOUSEWHEEL, &TSkCustomListBox::WheelMessage);
    b.Message(vcl::CM_MOUSEWHEEL, &TSkCustomListBox::WheelMessage);
    b.Message(vcl::CM_ENABLEDCHANGED, &TSkCustomListBox::CMEnabledChanged);
    b.Message(WM_LBUTTONDOWN, &TSkCustomListBox::WMLButtonDown);
})

TSkCustomListBox::TSkCustomListBox(vcl::TComponent* owner) : TSkCustomListBox(owner, nullptr) {}

TSkCustomListBox::TSkCustomListBox(vcl::TComponent* owner, TSkCustomScrollBar* (*makeScrollBar)(TSkCustomListBox*))
    : TSkCustomControl(owner), items_(new TEkListBoxItems(this))
{
    SetPerformance(kspDoubleBuffer);
    SetColor(vcl::clWindow);
    SetBevelKind(kbkSingle);
    SetBevelWidth(1);
    SetBorderWidth(0);
    SetParentColor(false);
    SetTabStop(true);
    controlStyle_.Include(vcl::csCaptureMouse);
    controlStyle_.Include(vcl::csDoubleClicks);
    SetBounds(Left(), Top(), 121, 97);
    scrollBar_ = makeScrollBar ? makeScrollBar(this) : CreateListScrollBar();
    scrollBar_->SetParent(this);
    scrollBar_->SetKind(vcl::sbVertical);
    scrollBar_->SetBorderWidth(0);
    scrollBar_->UpdateSize();
    scrollBar_->SetVisible(true);
    scrollBar_->OnScroll = [this](vcl::TObject* s, TSkScrollCode code, int& position) {
        LimitScrollPosition(s, code, position);
    };
    scrollBar_->OnChange = [this](vcl::TObject* s) { ScrollBarChange(s); };
    UpdateScrollBar();
}

TSkCustomListBox::~TSkCustomListBox()
{
    delete scrollBar_;
    scrollBar_ = nullptr;
    delete items_;
}

TSkCustomScrollBar* TSkCustomListBox::CreateListScrollBar() { return new TSkCustomScrollBar(this); }

// ------------------------------------------------------------ properties

void TSkCustomListBox::SetAlwaysShowScrlBar(bool v)
{
    if (alwaysShowScrlBar_ == v)
        return;
    alwaysShowScrlBar_ = v;
    UpdateScrollBar();
}

void TSkCustomListBox::SetShowCheckBoxes(bool v)
{
    if (showCheckBoxes_ == v)
        return;
    showCheckBoxes_ = v;
    Invalidate();
}

void TSkCustomListBox::SetFlat(bool v)
{
    if (flat_ == v)
        return;
    flat_ = v;
    Invalidate();
}

void TSkCustomListBox::SetItemHeight(int v)
{
    if (itemHeight_ == v)
        return;
    itemHeight_ = v;
    Invalidate();
}

void TSkCustomListBox::SetAllowGrayed(bool v)
{
    if (allowGrayed_ == v)
        return;
    allowGrayed_ = v;
    for (auto& state : checkStates_)
        if (state == 2)
            state = 1;
    Invalidate();
}

void TSkCustomListBox::SetMultiSelect(bool v)
{
    if (multiSelect_ == v)
        return;
    multiSelect_ = v;
    std::fill(selected_.begin(), selected_.end(), 0);
    Invalidate();
}

void TSkCustomListBox::SetColumns(int v)
{
    if (columns_ == v)
        return;
    columns_ = v;
    UpdateScrollBar();
    Invalidate();
}

void TSkCustomListBox::SetWordWrap(bool v)
{
    if (wordWrap_ == v)
        return;
    wordWrap_ = v;
    UpdateScrollBar();
    ApplyHeight();
    Invalidate();
}

void TSkCustomListBox::SetSorted(bool v)
{
    sorted_ = v;
    items_->SetSorted(v);
}

void TSkCustomListBox::SetFontDevice(TFontDevice v)
{
    if (fontDevice_ == v)
        return;
    fontDevice_ = v;
    if (listStyle_ == lbFonts || listStyle_ == lbFontSamples)
        FillFonts();
    Invalidate();
}

void TSkCustomListBox::SetFontType(TFontType v)
{
    if (fontType_ == v)
        return;
    fontType_ = v;
    if (listStyle_ == lbFonts || listStyle_ == lbFontSamples)
        FillFonts();
    Invalidate();
}

void TSkCustomListBox::SetListStyle(TSkListBoxStyle v)
{
    if (listStyle_ == v)
        return;
    listStyle_ = v;
    if (v == lbFonts || v == lbFontSamples) {
        FillFonts();
        itemHeight_ = 18;
    } else if (v == lbColors || v == lbColorNames) {
        FillColors();
        itemHeight_ = 18;
    }
    UpdateScrollBar();
    ApplyHeight();
    Invalidate();
}

void TSkCustomListBox::ApplyHeight() { SetBounds(Left(), Top(), Width(), Height()); }

int TSkCustomListBox::SelCount() const
{
    return static_cast<int>(std::count_if(selected_.begin(), selected_.end(), [](std::uint8_t f) { return f != 0; }));
}

bool TSkCustomListBox::Selected(int index) const
{
    return index >= 0 && index < static_cast<int>(selected_.size()) && selected_[static_cast<std::size_t>(index)];
}

void TSkCustomListBox::SetSelected(int index, bool v)
{
    if (index < 0 || index >= static_cast<int>(selected_.size()) || Selected(index) == v)
        return;
    selected_[static_cast<std::size_t>(index)] = v ? 1 : 0;
    Invalidate();
}

int TSkCustomListBox::CheckState(int index) const
{
    if (index < 0 || index >= static_cast<int>(checkStates_.size()))
        return 0;
    return checkStates_[static_cast<std::size_t>(index)];
}

void TSkCustomListBox::SetCheckState(int index, int state)
{
    if (index < 0 || index >= static_cast<int>(checkStates_.size()))
        return;
    checkStates_[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(std::clamp(state, 0, 2));
    Invalidate();
}

bool TSkCustomListBox::CheckEnabled(int index) const
{
    return index >= 0 && index < static_cast<int>(checkEnabled_.size()) &&
           checkEnabled_[static_cast<std::size_t>(index)];
}

void TSkCustomListBox::SetCheckEnabled(int index, bool v)
{
    if (index < 0 || index >= static_cast<int>(checkEnabled_.size()))
        return;
    checkEnabled_[static_cast<std::size_t>(index)] = v ? 1 : 0;
    Invalidate();
}

void TSkCustomListBox::CycleCheck(int index)
{
    if (!CheckEnabled(index))
        return;
    auto& state = checkStates_[static_cast<std::size_t>(index)];
    state = state == 0 ? 1 : state == 1 && allowGrayed_ ? 2 : 0;
    Invalidate();
}

// ----------------------------------------------------------------- model

void TSkCustomListBox::ResizeFlags()
{
    const auto n = static_cast<std::size_t>(items_->Count());
    checkStates_.resize(n, 0);
    checkEnabled_.resize(n, 1);
    selected_.resize(n, 0);
}

void TSkCustomListBox::ItemsChanged()
{
    const int count = items_->Count();
    if (count == 0)
        itemIndex_ = -1;
    else if (itemIndex_ == -1)
        itemIndex_ = 0;
    else
        itemIndex_ = std::min(itemIndex_, count - 1);
    if (anchor_ >= count)
        anchor_ = count - 1;
    ResizeFlags();
    if (!updating_) {
        UpdateScrollBar();
        Invalidate();
    }
}

int TSkCustomListBox::ScrollPosition() const { return scrollBar_ ? scrollBar_->Position() : 0; }

void TSkCustomListBox::SetItemIndex(int v)
{
    if (v == itemIndex_) {
        if (anchor_ == -1)
            anchor_ = itemIndex_;
        UpdateSelection();
        return;
    }
    const int count = items_->Count();
    if (v > count - 1)
        v = count - 1;
    if (v < -1)
        v = 0;
    itemIndex_ = v;
    ScrollIntoView(itemIndex_);
    if (anchor_ == -1)
        anchor_ = itemIndex_;
    UpdateSelection();
    UpdateScrollBar();
    Invalidate();
}

void TSkCustomListBox::ScrollIntoView(int index)
{
    const int count = items_->Count();
    // Each turn moves the view by one item, so the walk ends within the
    // item count even when no row fits in the view.
    for (int guard = 0; scrollBar_ && index >= 0 && index < count && guard <= count; ++guard) {
        const int position = scrollBar_->Position();
        if (LastFullyShown() < index)
            scrollBar_->SetPosition(position + 1);
        else if (index < FirstShown())
            scrollBar_->SetPosition(position - 1);
        if (scrollBar_->Position() == position)
            break;
    }
}

void TSkCustomListBox::UpdateSelection()
{
    if (anchor_ == -1)
        return;
    std::fill(selected_.begin(), selected_.end(), 0);
    const int n = static_cast<int>(selected_.size());
    if (multiSelect_) {
        const int from = std::max(0, std::min(anchor_, itemIndex_));
        const int to = std::min(n - 1, std::max(anchor_, itemIndex_));
        for (int i = from; i <= to; ++i)
            selected_[static_cast<std::size_t>(i)] = 1;
    } else if (itemIndex_ >= 0 && itemIndex_ < n) {
        selected_[static_cast<std::size_t>(itemIndex_)] = 1;
    }
    Repaint();
}

// ---------------------------------------------------------------- layout

int TSkCustomListBox::GetItemHeight(int index)
{
    vcl::TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    if (listStyle_ == lbOwnerDrawVariable && OnMeasureItem)
        return MeasureItem(index);
    if (!wordWrap_)
        return itemHeight_;
    const vcl::WideString text =
        index >= 0 && index < items_->Count() ? ItemTextInCharset(items_->Strings(index), Font()) : vcl::WideString();
    RECT r{0, 0, std::max(0, GetItemWidth() - 2), SkTextHeight(canvas, u"Pq")};
    SkDrawText(canvas, text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return RectHeight(r);
}

int TSkCustomListBox::MeasureItem(int index)
{
    int height = -1;
    OnMeasureItem(this, Canvas(), index, height);
    return height;
}

int TSkCustomListBox::GetItemWidth()
{
    const RECT paint = PaintRect();
    int width = RectWidth(paint);
    if (columns_ > 0)
        width /= columns_;
    else if (scrollBar_ && (scrollBarShown_ || alwaysShowScrlBar_ || ComponentState().Contains(vcl::csDesigning)))
        width -= scrollBar_->Width();
    if (showCheckBoxes_)
        width -= GetCheckWidth();
    return width;
}

int TSkCustomListBox::ColumnHeight()
{
    const RECT paint = PaintRect();
    int height = RectHeight(paint);
    if (scrollBar_ && scrollBar_->Visible())
        height -= scrollBar_->Height();
    return height;
}

void TSkCustomListBox::WalkItems(const std::function<bool(const Cell&)>& visit)
{
    const RECT paint = PaintRect();
    const int count = items_->Count();
    const int checkWidth = showCheckBoxes_ ? GetCheckWidth() : 0;
    const int itemWidth = GetItemWidth();
    auto cellAt = [&](int index, int x, int y, int h) {
        return Cell{index, RECT{x, y, x + checkWidth, y + h}, RECT{x + checkWidth, y, x + checkWidth + itemWidth, y + h}};
    };
    if (columns_ <= 0) {
        int y = paint.top;
        for (int i = std::max(0, ScrollPosition()); i < count && y < paint.bottom; ++i) {
            const int h = GetItemHeight(i);
            if (!visit(cellAt(i, paint.left, y, h)))
                return;
            y += std::max(h, 0);
        }
        return;
    }
    const int columnHeight = ColumnHeight();
    const int first = ScrollPosition();
    int column = 0, y = 0;
    for (int i = 0; i < count; ++i) {
        const int h = std::max(GetItemHeight(i), 0);
        if (y > 0 && y + h > columnHeight) {
            ++column;
            y = 0;
        }
        if (column >= first + columns_)
            return;
        if (column >= first && !visit(cellAt(i, paint.left + (column - first) * (itemWidth + checkWidth),
                                              paint.top + y, h)))
            return;
        y += h;
    }
}

int TSkCustomListBox::FirstShown()
{
    int first = -1;
    WalkItems([&](const Cell& c) {
        first = c.index;
        return false;
    });
    return first;
}

// A row taller than the view still counts as shown, so that scrolling to
// it ends.
int TSkCustomListBox::LastFullyShown()
{
    const int bottom = columns_ > 0 ? PaintRect().top + ColumnHeight() : PaintRect().bottom;
    int first = -1, last = -1;
    WalkItems([&](const Cell& c) {
        if (first < 0)
            first = c.index;
        if (c.text.bottom <= bottom || columns_ > 0)
            last = c.index;
        return true;
    });
    return std::max(first, last);
}

int TSkCustomListBox::GetItemTop(int index)
{
    if (!scrollBar_)
        return -1;
    int top = -1;
    WalkItems([&](const Cell& c) {
        if (c.index != index)
            return true;
        top = c.text.top;
        return false;
    });
    return top;
}

RECT TSkCustomListBox::GetItemRect(int index)
{
    RECT r{};
    WalkItems([&](const Cell& c) {
        if (c.index != index)
            return true;
        r = RECT{c.check.left, c.text.top, c.text.right, c.text.bottom};
        return false;
    });
    return r;
}

int TSkCustomListBox::ItemAtPos(POINT p, bool existing)
{
    int found = -1;
    WalkItems([&](const Cell& c) {
        const RECT r = GetItemRect(c.index);
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) {
            found = c.index;
            return false;
        }
        return true;
    });
    if (found >= 0 || existing)
        return found;
    return items_->Count();
}

bool TSkCustomListBox::IsOverItem(int x, int y, const RECT& r, int)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool TSkCustomListBox::IsOverCheckBox(int x, int y, const RECT& r, int)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void TSkCustomListBox::HitTest(int x, int y)
{
    hoverItem_ = -1;
    hoverCheck_ = -1;
    WalkItems([&](const Cell& c) {
        if (showCheckBoxes_ && IsOverCheckBox(x, y, c.check, c.index)) {
            hoverCheck_ = c.index;
            return false;
        }
        if (IsOverItem(x, y, c.text, c.index)) {
            hoverItem_ = c.index;
            return false;
        }
        return true;
    });
}

// ------------------------------------------------------------ scroll bar

void TSkCustomListBox::UpdateScrollBar()
{
    if (!scrollBar_)
        return;
    const RECT paint = PaintRect();
    const int paintHeight = RectHeight(paint);
    const int count = items_->Count();
    const bool designing = ComponentState().Contains(vcl::csDesigning);
    TSkCustomScrollBar* bar = scrollBar_;
    bar->SetMin(0);
    if (columns_ > 0) {
        bar->SetKind(vcl::sbHorizontal);
        bar->UpdateSize();
        const int barHeight = bar->Height();
        bar->SetBounds(paint.left, paint.bottom - barHeight, RectWidth(paint), barHeight);
        auto countColumns = [&](int height) {
            int columns = count > 0 ? 1 : 0, y = 0;
            for (int i = 0; i < count; ++i) {
                const int h = std::max(GetItemHeight(i), 0);
                if (y > 0 && y + h > height) {
                    ++columns;
                    y = 0;
                }
                y += h;
            }
            return columns;
        };
        const bool reserved = alwaysShowScrlBar_ || designing;
        int columns = countColumns(reserved ? paintHeight - barHeight : paintHeight);
        if (columns > columns_ && !reserved)
            columns = countColumns(paintHeight - barHeight);
        bar->SetMax(std::max(columns - 1, 0));
        bar->SetPageSize(columns_);
    } else {
        bar->SetKind(vcl::sbVertical);
        bar->UpdateSize();
        bar->SetBounds(paint.right - bar->Width(), paint.top, bar->Width(), paintHeight);
        if (listStyle_ == lbOwnerDrawVariable || wordWrap_) {
            bar->SetPageSize(0);
            // The earliest item from which everything to the end still fits.
            auto lastScreen = [&]() {
                int sum = 0, first = count;
                for (int i = count - 1; i >= 0; --i) {
                    sum += std::max(GetItemHeight(i), 0);
                    if (sum > paintHeight)
                        break;
                    first = i;
                }
                return first;
            };
            int first = lastScreen();
            if (first <= 0 || count == 0) {
                bar->SetMax(0);
            } else {
                scrollBarShown_ = true;  // wrapped heights are measured beside the bar
                first = lastScreen();
                bar->SetMax(std::min(first, count - 1));
            }
        } else {
            bar->SetMax(std::max(count - 1, 0));
            const int h0 = count > 0 ? GetItemHeight(0) : 0;
            bar->SetPageSize(h0 > 0 ? paintHeight / h0 : 0);
        }
    }
    // A page that grew, or items that went, would leave the view past the
    // last screenful with the first rows out of reach and no bar to scroll
    // back with.
    if (bar->PageSize() != 0) {
        const int last = std::max(bar->Min(), bar->Max() - bar->PageSize() + 1);
        if (bar->Position() > last)
            bar->SetPosition(last);
    }
    const bool needed = bar->PageSize() < bar->Max() - bar->Min() + 1 && bar->Max() != bar->Min();
    bar->SetVisible(designing || alwaysShowScrlBar_ || needed);
    bar->SetEnabled(needed);
    scrollBarShown_ = bar->Visible();
}

void TSkCustomListBox::LimitScrollPosition(vcl::TObject*, TSkScrollCode, int& position)
{
    const TSkCustomScrollBar* bar = scrollBar_;
    if (bar && bar->PageSize() != 0 && position > bar->Max() - bar->PageSize() + 1)
        position = bar->Max() - bar->PageSize() + 1;
}

void TSkCustomListBox::ScrollBarChange(vcl::TObject*)
{
    if (!scrollBar_)
        return;
    if (scrollBar_->AutoScrollMin()) {
        itemIndex_ = FirstShown();
        UpdateSelection();
    } else if (scrollBar_->AutoScrollMax()) {
        itemIndex_ = LastFullyShown();
        UpdateSelection();
    }
    HitTest(lastMouse_.x, lastMouse_.y);
    Invalidate();
}

void TSkCustomListBox::SetBounds(int left, int top, int width, int height)
{
    const vcl::TAlign align = Align();
    if (!ComponentState().Contains(vcl::csLoading) && !wordWrap_ && listStyle_ != lbOwnerDrawVariable &&
        itemHeight_ > 0 && HandleAllocated() && (align == vcl::alNone || align == vcl::alTop || align == vcl::alBottom)) {
        const RECT paint = PaintRect();
        const int borders = BoundsHeight() - RectHeight(paint);
        const int inner = std::max(height - borders, 0);
        height = inner / itemHeight_ * itemHeight_ + borders;
    }
    TSkCustomControl::SetBounds(left, top, width, height);
    UpdateScrollBar();
}

void TSkCustomListBox::Loaded()
{
    TSkCustomControl::Loaded();
    UpdateScrollBar();
}

// ----------------------------------------------------------------- input

void TSkCustomListBox::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    if (CanFocus() && !Focused())
        SetFocus();
    if (button == vcl::mbLeft) {
        dragSelect_ = true;
        HitTest(x, y);
        if (hoverCheck_ >= 0 && hoverItem_ < 0) {
            itemIndex_ = hoverCheck_;
            CycleCheck(hoverCheck_);
        } else if (hoverItem_ >= 0) {
            itemIndex_ = hoverItem_;
        }
        if (!shift.Contains(vcl::ssShift))
            anchor_ = itemIndex_;
        if (shift.Contains(vcl::ssCtrl) && multiSelect_)
            SetSelected(itemIndex_, !Selected(itemIndex_));
        else
            UpdateSelection();
        TSkCustomControl::MouseDown(button, shift, x, y);
    }
}

void TSkCustomListBox::MouseMove(vcl::TShiftState shift, int x, int y)
{
    if (!scrollBar_)
        return;
    TSkCustomControl::MouseMove(shift, x, y);
    lastMouse_ = POINT{x, y};
    const int oldHover = hoverItem_, oldCheck = hoverCheck_;
    HitTest(x, y);
    if (oldHover != hoverItem_ || oldCheck != hoverCheck_)
        Invalidate();
    const RECT paint = PaintRect();
    const bool before = columns_ > 0 ? x < paint.left : y < paint.top;
    const bool after = columns_ > 0 ? x >= paint.right : y >= paint.bottom;
    if (dragSelect_ && before) {
        scrollBar_->SetAutoScrollMin(true);
    } else if (dragSelect_ && after) {
        scrollBar_->SetAutoScrollMax(true);
    } else {
        scrollBar_->SetAutoScrollMin(false);
        scrollBar_->SetAutoScrollMax(false);
        if (dragSelect_ && !shift.Contains(vcl::ssCtrl) && hoverItem_ >= 0) {
            itemIndex_ = hoverItem_;
            UpdateSelection();
        }
    }
}

// Releasing the button also ends any automatic scrolling that the drag
// started, which would otherwise run on with nobody holding the mouse.
void TSkCustomListBox::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseUp(button, shift, x, y);
    dragSelect_ = false;
    if (scrollBar_) {
        scrollBar_->SetAutoScrollMin(false);
        scrollBar_->SetAutoScrollMax(false);
    }
}

void TSkCustomListBox::MouseLeave()
{
    TSkCustomControl::MouseLeave();
    lastMouse_ = POINT{-1, -1};
    const bool had = hoverItem_ >= 0 || hoverCheck_ >= 0;
    hoverItem_ = hoverCheck_ = -1;
    if (had)
        Invalidate();
}

void TSkCustomListBox::KeyDown(WORD& key, vcl::TShiftState shift)
{
    TSkCustomControl::KeyDown(key, shift);
    const int old = itemIndex_;
    const int count = items_->Count();
    const int page = scrollBar_ ? scrollBar_->PageSize() : 0;
    bool moved = true;
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
        CycleCheck(itemIndex_);
        moved = false;
        break;
    case VK_PRIOR: SetItemIndex(itemIndex_ - std::max(page - 1, 1)); break;
    case VK_NEXT: SetItemIndex(itemIndex_ + std::max(page - 1, 1)); break;
    case VK_END: SetItemIndex(count - 1); break;
    case VK_HOME: SetItemIndex(0); break;
    case VK_LEFT:
    case VK_UP: SetItemIndex(std::max(itemIndex_ - 1, 0)); break;
    case VK_RIGHT:
    case VK_DOWN: SetItemIndex(itemIndex_ + 1); break;
    default: moved = false;
    }
    if (itemIndex_ < 0 && count > 0)
        SetItemIndex(0);
    if (clickOnKeyboard_ && itemIndex_ != old)
        Click();
    if (moved) {
        if (!shift.Contains(vcl::ssShift))
            anchor_ = itemIndex_;
        UpdateSelection();
    }
}

void TSkCustomListBox::WheelMessage(vcl::TMessage& m)
{
    const int delta = WheelSteps(static_cast<short>(HIWORD(static_cast<DWORD>(m.WParam))), WheelScrollLines());
    m.Result = 1;
    if (delta == 0 || !scrollBar_)
        return;
    long long position = static_cast<long long>(scrollBar_->Position()) - delta;
    if (scrollBar_->PageSize() != 0)
        position = std::min<long long>(position, scrollBar_->Max() - scrollBar_->PageSize() + 1);
    scrollBar_->SetPosition(static_cast<int>(std::clamp<long long>(position, INT32_MIN, INT32_MAX)));
}

void TSkCustomListBox::FocusEnter()
{
    TSkCustomControl::FocusEnter();
    UpdateSelection();
}

void TSkCustomListBox::FocusExit()
{
    TSkCustomControl::FocusExit();
    UpdateSelection();
    dragSelect_ = false;
}

void TSkCustomListBox::DoEnter()
{
    TSkCustomControl::DoEnter();
    Invalidate();
}

void TSkCustomListBox::DoExit()
{
    TSkCustomControl::DoExit();
    Invalidate();
}

void TSkCustomListBox::CMEnabledChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    Invalidate();
}

// A press keeps its normal road: the list decides itself when a drag
// starts (WMLButtonDown), in place of the class library's automatic one.
// Presses on the list's own scroll bar go to the bar as always.
void TSkCustomListBox::WndProc(vcl::TMessage& message)
{
    const bool press = message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK;
    if (press && DragMode() == vcl::dmAutomatic && !Dragging() && !ComponentState().Contains(vcl::csDesigning) &&
        Enabled() && !ControlAtPos(POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)}, false)) {
        controlState_.Include(vcl::csLButtonDown);
        vcl::SetCaptureControl(this);
        Dispatch(message);
        return;
    }
    TSkCustomControl::WndProc(message);
}

void TSkCustomListBox::WMLButtonDown(vcl::TMessage& m)
{
    const vcl::TShiftState shift = vcl::KeysToShiftState(m.WParam);
    const bool automatic = DragMode() == vcl::dmAutomatic && !ComponentState().Contains(vcl::csDesigning);
    const bool ctrl = shift.Contains(vcl::ssCtrl), shiftKey = shift.Contains(vcl::ssShift);
    if (automatic && multiSelect_ && !(shiftKey && !ctrl)) {
        const int item = ItemAtPos(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}, true);
        if (item >= 0 && Selected(item)) {
            BeginDrag(false);
            return;
        }
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
    if (automatic && !(multiSelect_ && (ctrl || shiftKey)))
        BeginDrag(false);
}

// A drag takes the button's release, so the drag selection ends here.
void TSkCustomListBox::DoEndDrag(vcl::TObject* target, int x, int y)
{
    dragSelect_ = false;
    if (scrollBar_) {
        scrollBar_->SetAutoScrollMin(false);
        scrollBar_->SetAutoScrollMax(false);
    }
    TSkCustomControl::DoEndDrag(target, x, y);
}

}  // namespace skin
