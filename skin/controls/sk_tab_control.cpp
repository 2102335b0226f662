#include "skin/controls/sk_tab_control.h"

#include <algorithm>

#include "platform/vcl/forms.h"
#include "skin/controls/sk_scroll_bar.h"

namespace skin {

const vcl::TEnumInfo kTabPositionInfo{"TTabPosition", {"tpTop", "tpBottom", "tpLeft", "tpRight"}};

namespace {

constexpr unsigned kRepeatDelayMs = 300, kRepeatIntervalMs = 100;

SIZE MeasureText(vcl::TFont* font, const vcl::WideString& text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

bool Horizontal(TTabPosition p) { return p == tpTop || p == tpBottom; }

}  // namespace

// ---------------------------------------------------------------- tab list

VCL_IMPLEMENT_CLASS(TSkTabStringList, vcl::TStringList, [](auto& b) {
    b.Factory([](vcl::TComponent*) -> vcl::TPersistent* { return new TSkTabStringList(); });
})

void TSkTabStringList::Updated()
{
    if (control_)
        control_->UpdateTabs();
}

void TSkTabStringList::Put(int index, const vcl::AnsiString& s)
{
    vcl::TStringList::Put(index, s);
    Updated();
}

void TSkTabStringList::Insert(int index, const vcl::AnsiString& s)
{
    vcl::TStringList::Insert(index, s);
    Updated();
}

void TSkTabStringList::Delete(int index)
{
    vcl::TStringList::Delete(index);
    Updated();
}

void TSkTabStringList::Clear()
{
    vcl::TStringList::Clear();
    Updated();
}

int TSkTabStringList::Add(const vcl::AnsiString& s)
{
    const int index = vcl::TStringList::Add(s);
    Updated();
    return index;
}

void TSkTabStringList::Assign(vcl::TPersistent* source)
{
    auto* strings = dynamic_cast<vcl::TStrings*>(source);
    if (!strings) {
        vcl::TStringList::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    for (int i = 0; i < strings->Count(); ++i)
        Add(strings->Strings(i));
    EndUpdate();
    Updated();
}

void TSkTabStringList::SetUpdateState(bool updating)
{
    vcl::TStringList::SetUpdateState(updating);
    if (!control_)
        return;
    control_->tabsUpdating_ = updating;
    if (!updating) {
        control_->Invalidate();
        control_->UpdateTabs();
    }
}

// ------------------------------------------------------------------ pages

VCL_IMPLEMENT_CLASS(TSkCustomTabSheet, vcl::TCustomControl, [](auto& b) {
    b.Component();
    b.Int("ImageIndex", &TSkCustomTabSheet::ImageIndex, &TSkCustomTabSheet::SetImageIndex, -1);
    b.Int("PageIndex", &TSkCustomTabSheet::PageIndexValue, &TSkCustomTabSheet::SetPageIndex, std::nullopt);
    b.Bool("PageVisible", &TSkCustomTabSheet::PageVisible, &TSkCustomTabSheet::SetPageVisible, true);
    b.Int("BorderWidth", &TSkCustomTabSheet::BorderWidth, &TSkCustomTabSheet::SetBorderWidth, 0);
    b.Event("OnShow", &TSkCustomTabSheet::OnShow);
    b.Event("OnHide", &TSkCustomTabSheet::OnHide);
    b.Message(vcl::CM_TEXTCHANGED, &TSkCustomTabSheet::CMTextChanged);
    b.Message(vcl::CM_VISIBLECHANGED, &TSkCustomTabSheet::CMVisibleChanged);
    b.Message(WM_ERASEBKGND, &TSkCustomTabSheet::WMEraseBkgnd);
})

TSkCustomTabSheet::TSkCustomTabSheet(vcl::TComponent* owner) : vcl::TCustomControl(owner)
{
    controlStyle_.Include(vcl::csAcceptsControls).Include(vcl::csNoDesignVisible);
    SetAlign(vcl::alClient);
    SetVisible(false);
}

void TSkCustomTabSheet::SetBorderWidth(int v)
{
    v = std::max(0, v);
    if (v == borderWidth_)
        return;
    borderWidth_ = v;
    Realign();
    Invalidate();
}

void TSkCustomTabSheet::AdjustClientRect(RECT& rect)
{
    vcl::TCustomControl::AdjustClientRect(rect);
    InflateRect(&rect, -borderWidth_, -borderWidth_);
}

TSkCustomTabSheet::~TSkCustomTabSheet()
{
    Destroying();
    if (!control_)
        return;
    // A control on its way out keeps no tabs up to date, yet must not keep
    // a page that its owner frees first.
    if (control_->ComponentState().Contains(vcl::csDestroying))
        std::erase(control_->pages_, this);
    else
        control_->RemovePage(this);
}

int TSkCustomTabSheet::PageIndex() const
{
    if (!control_)
        return -1;
    const auto& pages = control_->pages_;
    const auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TSkCustomTabSheet::SetPageIndex(int v)
{
    const int current = PageIndex();
    if (ComponentState().Contains(vcl::csLoading) || !control_ || current < 0 || v == current || v < 0 ||
        v >= control_->PageCount())
        return;
    std::swap(control_->pages_[static_cast<size_t>(current)], control_->pages_[static_cast<size_t>(v)]);
    control_->UpdateTabs();
}

int TSkCustomTabSheet::TabIndex() const { return control_ ? control_->TabOfPage(this) : -1; }

void TSkCustomTabSheet::SetImageIndex(int v)
{
    if (v == imageIndex_)
        return;
    imageIndex_ = v;
    if (control_)
        control_->Invalidate();
}

void TSkCustomTabSheet::SetPageVisible(bool v)
{
    if (v == pageVisible_)
        return;
    pageVisible_ = v;
    if (control_ && !ComponentState().Contains(vcl::csLoading))
        control_->UpdateTabs();
}

void TSkCustomTabSheet::SetParent(vcl::TWinControl* parent)
{
    vcl::TCustomControl::SetParent(parent);
    // A page read from a stream joins the tab control it is read into.
    auto* control = dynamic_cast<TSkCustomTabControl*>(parent);
    if (control && !control_ && ComponentState().Contains(vcl::csReading))
        control->AddPage(this);
}

void TSkCustomTabSheet::CMTextChanged(vcl::TMessage&)
{
    if (!control_)
        return;
    const int tab = TabIndex();
    if (pageVisible_ && tab >= 0 && tab < control_->tabs_->Count())
        control_->tabs_->Put(tab, Caption());
    else
        control_->UpdateTabs();
}

void TSkCustomTabSheet::CMVisibleChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    try {
        if (Visible())
            OnShow(this);
        else
            OnHide(this);
    } catch (...) {
        vcl::Application->HandleException(this);
    }
}

// Only the shown page has a face: the tab control's frame under it.
void TSkCustomTabSheet::WMEraseBkgnd(vcl::TMessage& m)
{
    m.Result = 1;
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!control_ || control_->ActivePage() != this || !dc)
        return;
    vcl::TCanvas* canvas = control_->Canvas();
    HDC saved = canvas->HandleAllocated() ? canvas->Handle() : nullptr;
    const int state = SaveDC(dc);
    OffsetWindowOrgEx(dc, Left(), Top(), nullptr);
    canvas->SetHandle(dc);
    control_->PaintFrame();
    canvas->SetHandle(saved);
    RestoreDC(dc, state);
}

// ------------------------------------------------------------ tab control

VCL_IMPLEMENT_CLASS(TSkCustomTabControl, TSkCustomControl, [](auto& b) {
    b.Component();
    b.Object("Tabs", &TSkCustomTabControl::Tabs, &TSkCustomTabControl::SetTabs);
    b.Int("TabIndex", &TSkCustomTabControl::TabIndex, &TSkCustomTabControl::SetTabIndex, -1);
    b.Enum("TabPosition", &kTabPositionInfo, &TSkCustomTabControl::TabPosition, &TSkCustomTabControl::SetTabPosition,
           std::optional<TTabPosition>(tpTop));
    b.Bool("MultiLine", &TSkCustomTabControl::MultiLine, &TSkCustomTabControl::SetMultiLine, false);
    b.Bool("ScrollOpposite", &TSkCustomTabControl::ScrollOpposite, &TSkCustomTabControl::SetScrollOpposite, false);
    b.Bool("RaggedRight", &TSkCustomTabControl::RaggedRight, &TSkCustomTabControl::SetRaggedRight, false);
    b.Int("TabWidth", &TSkCustomTabControl::TabWidth, &TSkCustomTabControl::SetTabWidth, 0);
    b.Int("TabHeight", &TSkCustomTabControl::TabHeight, &TSkCustomTabControl::SetTabHeight, 0);
    b.Bool("HotTrack", &TSkCustomTabControl::HotTrack, &TSkCustomTabControl::SetHotTrack, false);
    b.Bool("OwnerDraw", &TSkCustomTabControl::OwnerDraw, &TSkCustomTabControl::SetOwnerDraw, false);
    b.Object("Images", &TSkCustomTabControl::Images, &TSkCustomTabControl::SetImages);
    b.Bool("UsePages", &TSkCustomTabControl::UsePages, &TSkCustomTabControl::SetUsePages, false);
    b.Object("ActivePage", &TSkCustomTabControl::ActivePage, &TSkCustomTabControl::SetActivePage);
    b.Bool("TabStop", &TSkCustomTabControl::TabStop, &TSkCustomTabControl::SetTabStop, true);
    b.Event("OnChange", &TSkCustomTabControl::OnChange);
    b.Event("OnChanging", &TSkCustomTabControl::OnChanging);
    b.Event("OnDrawTab", &TSkCustomTabControl::OnDrawTab);
    b.Message(vcl::CM_DIALOGCHAR, &TSkCustomTabControl::CMDialogChar);
    b.Message(vcl::CM_ENABLEDCHANGED, &TSkCustomTabControl::CMEnabledChanged);
    b.Message(vcl::CM_FONTCHANGED, &TSkCustomTabControl::CMFontChanged);
    b.Message(WM_GETDLGCODE, &TSkCustomTabControl::WMGetDlgCode);
})

TSkCustomTabControl::TSkCustomTabControl(vcl::TComponent* owner)
    : TSkCustomControl(owner), tabs_(new TSkTabStringList(this))
{
    controlStyle_.Include(vcl::csAcceptsControls).Include(vcl::csClickEvents).Include(vcl::csDoubleClicks);
    SetParentColor(true);
    SetBounds(Left(), Top(), 289, 193);
    SetTabStop(true);
}

TSkCustomTabControl::~TSkCustomTabControl()
{
    for (TSkCustomTabSheet* page : pages_)
        page->control_ = nullptr;
    pages_.clear();
    delete tabs_;
    tabs_ = nullptr;
    delete repeatTimer_;
}

// ---------------------------------------------------------------- setters

void TSkCustomTabControl::SetTabPosition(TTabPosition v)
{
    if (v == tabPosition_)
        return;
    tabPosition_ = v;
    if (!Horizontal(v))
        multiLine_ = true;
    LayoutRows();
    if (usePages_) {
        Realign();
        if (TSkCustomTabSheet* page = ActivePage())
            page->Invalidate();
    }
    Invalidate();
}

void TSkCustomTabControl::SetMultiLine(bool v)
{
    if (v == multiLine_)
        return;
    if (!v && !Horizontal(tabPosition_))
        throw vcl::Exception("MultiLine must be True when TabPosition is tpLeft or tpRight");
    multiLine_ = v;
    if (!v)
        scrollOpposite_ = false;
    LayoutRows();
    Realign();
    Invalidate();
}

void TSkCustomTabControl::SetScrollOpposite(bool v)
{
    if (v == scrollOpposite_)
        return;
    scrollOpposite_ = v;
    if (v)
        SetMultiLine(true);
    Realign();
    Invalidate();
}

void TSkCustomTabControl::SetRaggedRight(bool v)
{
    if (v == raggedRight_)
        return;
    raggedRight_ = v;
    Invalidate();
}

void TSkCustomTabControl::SetTabWidth(int v)
{
    if (v == tabWidth_)
        return;
    tabWidth_ = v;
    Realign();
    Invalidate();
}

void TSkCustomTabControl::SetTabHeight(int v)
{
    if (v == tabHeight_)
        return;
    tabHeight_ = v;
    Realign();
    Invalidate();
}

void TSkCustomTabControl::SetHotTrack(bool v)
{
    hotTrack_ = v;
    Invalidate();
}

void TSkCustomTabControl::SetOwnerDraw(bool v)
{
    ownerDraw_ = v;
    Invalidate();
}

void TSkCustomTabControl::SetImages(vcl::TCustomImageList* v)
{
    images_ = v;
    if (v)
        v->FreeNotification(this);
    Invalidate();
}

void TSkCustomTabControl::SetUsePages(bool v)
{
    if (v == usePages_)
        return;
    usePages_ = v;
    if (ComponentState().Contains(vcl::csLoading))
        return;
    if (v) {
        while (ControlCount() > 0) {
            vcl::TControl* c = Controls(ControlCount() - 1);
            if (c == static_cast<vcl::TControl*>(HorzScrollBar()) || c == static_cast<vcl::TControl*>(VertScrollBar()))
                break;
            delete c;
        }
    }
    UpdateTabs();
}

bool TSkCustomTabControl::CanChange()
{
    bool allow = true;
    OnChanging(this, allow);
    return allow;
}

// ------------------------------------------------------------- selection

void TSkCustomTabControl::SetTabIndex(int v)
{
    if (ComponentState().Contains(vcl::csLoading)) {
        loadedTabIndex_ = v;
        return;
    }
    const int count = tabs_->Count();
    if (v == tabIndex_ || v < 0 || v >= count)
        return;
    const int old = tabIndex_;
    tabIndex_ = v;
    if (!CanChange()) {
        tabIndex_ = old;
        return;
    }
    // Bring the tab into a single scrolling row; each loop moves one way only.
    for (int guard = 0; guard < count && ScrollButtonsShown() && firstVisible_ < count - 1; ++guard) {
        RECT tab = GetTabRect(v), left = LeftButtonRect(), right = RightButtonRect(), both{};
        if (!IntersectRect(&both, &tab, &left) && !IntersectRect(&both, &tab, &right))
            break;
        ++firstVisible_;
    }
    while (v < firstVisible_)
        --firstVisible_;
    for (int guard = 0; guard < count && !multiLine_ && LastFullyVisibleTab() < v && firstVisible_ < v; ++guard)
        ++firstVisible_;
    RefreshTabs();
    if (usePages_) {
        ActivatePageOfTab(v);
        Realign();
    } else {
        Change();
    }
}

void TSkCustomTabControl::ActivatePageOfTab(int tab)
{
    if (TSkCustomTabSheet* page = PageOfTab(tab))
        SetActivePage(page);
}

TSkCustomTabSheet* TSkCustomTabControl::ActivePage() const
{
    if (!usePages_ || !activePage_)
        return nullptr;
    return std::find(pages_.begin(), pages_.end(), activePage_) != pages_.end() ? activePage_ : nullptr;
}

void TSkCustomTabControl::SetActivePage(TSkCustomTabSheet* page)
{
    // A page of another control, or none, leaves the selection as it is.
    if (!page || page->control_ != this)
        return;
    if (page == ActivePage()) {
        page->SetVisible(true);
        page->BringToFront();
        return;
    }
    TSkCustomTabSheet* old = ActivePage();
    activePage_ = page;
    if (old && old != page)
        old->SetVisible(false);
    page->SetVisible(true);
    page->BringToFront();
    if (page->PageVisible()) {
        tabIndex_ = TabOfPage(page);
        RefreshTabs();
    } else {
        tabIndex_ = page->PageIndex();
        if (!pages_.empty())
            RefreshTabs();
    }
    Change();
}

// ------------------------------------------------------------------ pages

void TSkCustomTabControl::InsertPage(int index, TSkCustomTabSheet* page)
{
    if (!page || std::find(pages_.begin(), pages_.end(), page) != pages_.end())
        return;
    index = std::clamp(index, 0, PageCount());
    pages_.insert(pages_.begin() + index, page);
    page->control_ = this;
    if (page->Parent() != this)
        page->SetParent(this);
    if (page->Caption().empty())
        page->SetCaption("New Page " + vcl::IntToStr(std::max(0, tabs_->Count())));
    if (ComponentState().Contains(vcl::csDesigning) && page->Name().empty() && Owner() &&
        Owner()->Is<vcl::TCustomForm>()) {
        const vcl::AnsiString base = page->ClassName().substr(1);
        for (int n = 1;; ++n) {
            if (!Owner()->FindComponent(base + vcl::IntToStr(n))) {
                page->SetName(base + vcl::IntToStr(n));
                break;
            }
        }
    }
    UpdateTabs();
    Invalidate();
}

void TSkCustomTabControl::RemovePage(TSkCustomTabSheet* page)
{
    const auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end())
        return;
    const bool wasBusy = busy_;
    busy_ = true;
    const int tab = TabOfPage(page);
    if (tab >= 0 && tab < tabs_->Count())
        tabs_->Delete(tab);
    pages_.erase(it);
    page->control_ = nullptr;
    if (activePage_ == page) {
        activePage_ = nullptr;
        if (tabs_->Count() == 0 || pages_.empty()) {
            tabIndex_ = -1;
        } else {
            tabIndex_ = 0;
            activePage_ = pages_[0];
            pages_[0]->SetVisible(true);
            pages_[0]->BringToFront();
        }
    } else if (activePage_) {
        // The tabs before the active page may have moved up by one.
        tabIndex_ = activePage_->PageVisible() ? TabOfPage(activePage_) : activePage_->PageIndex();
    }
    busy_ = wasBusy;
    if (!page->ComponentState().Contains(vcl::csDestroying))
        delete page;
    Invalidate();
}

int TSkCustomTabControl::TabOfPage(const TSkCustomTabSheet* page) const
{
    int visible = 0;
    for (const TSkCustomTabSheet* p : pages_) {
        if (p->PageVisible())
            ++visible;
        if (p == page)
            return visible - 1;
    }
    return -1;
}

TSkCustomTabSheet* TSkCustomTabControl::PageOfTab(int tab) const
{
    if (tab < 0)
        return nullptr;
    int visible = -1;
    for (TSkCustomTabSheet* p : pages_) {
        if (p->PageVisible())
            ++visible;
        if (visible == tab)
            return p;
    }
    return nullptr;
}

void TSkCustomTabControl::UpdateTabs()
{
    if (busy_ || !tabs_)
        return;
    busy_ = true;
    const int count = tabs_->Count();
    if (count == 0)
        tabIndex_ = -1;
    else if (tabIndex_ >= count)
        tabIndex_ = count - 1;
    else if (tabIndex_ == -1)
        tabIndex_ = 0;
    if (usePages_ && !ComponentState().Contains(vcl::csLoading)) {
        for (int k = 0; k < tabs_->Count(); ++k) {
            const vcl::AnsiString caption = tabs_->Strings(k);
            int withCaption = 0, tabsWithCaption = 0;
            for (TSkCustomTabSheet* p : pages_)
                withCaption += p->Caption() == caption;
            for (int j = 0; j < tabs_->Count(); ++j)
                tabsWithCaption += tabs_->Strings(j) == caption;
            if (withCaption >= tabsWithCaption)
                continue;
            auto* page = new TSkCustomTabSheet(Owner());
            page->SetCaption(caption);
            busy_ = false;
            InsertPage(k, page);
            SetActivePage(page);
            busy_ = true;
            tabIndex_ = k;
        }
    }
    if (usePages_) {
        vcl::AnsiString before = tabs_->Text();
        tabs_->control_ = nullptr;
        tabs_->vcl::TStringList::Clear();
        for (TSkCustomTabSheet* p : pages_)
            if (p->PageVisible())
                tabs_->vcl::TStringList::Add(p->Caption());
        tabs_->control_ = this;
        if (tabs_->Text() != before) {
            if (tabIndex_ >= tabs_->Count())
                tabIndex_ = tabs_->Count() - 1;
            if (tabIndex_ < 0 && tabs_->Count() > 0)
                tabIndex_ = 0;
            busy_ = false;
            ActivatePageOfTab(tabIndex_);
            busy_ = true;
        }
    }
    busy_ = false;
    if (!tabsUpdating_) {
        RefreshTabs();
        if (usePages_)
            Realign();
    }
}

void TSkCustomTabControl::GetChildren(const vcl::TGetChildProc& proc, vcl::TComponent* root)
{
    if (!usePages_) {
        TSkCustomControl::GetChildren(proc, root);
        return;
    }
    for (TSkCustomTabSheet* p : pages_)
        proc(p);
}

// --------------------------------------------------------------- geometry

int TSkCustomTabControl::SideMargin() const
{
    switch (tabPosition_) {
    case tpTop: return TopMargin();
    case tpBottom: return BottomMargin();
    case tpLeft: return LeftMargin();
    case tpRight: return RightMargin();
    }
    return 0;
}

int TSkCustomTabControl::TextWidth(const vcl::AnsiString& caption)
{
    const auto it = textWidths_.find(caption);
    if (it != textWidths_.end())
        return it->second;
    const int w = MeasureText(Font(), vcl::AnsiToWide(caption)).cx;
    textWidths_.emplace(caption, w);
    return w;
}

int TSkCustomTabControl::CalcTabHeight()
{
    if (tabHeight_ > 0)
        return tabHeight_;
    if (lineHeight_ < 0)
        lineHeight_ = MeasureText(Font(), u"Pq").cy;
    int h = lineHeight_ + 4;
    if (images_)
        h = std::max(h, images_->Height() + 4);
    return h;
}

int TSkCustomTabControl::CalcTabWidth(int index)
{
    if (index < 0 || index >= tabs_->Count())
        return 0;
    int w = tabWidth_;
    if (w == 0) {
        w = TextWidth(tabs_->Strings(index)) + 12;
        TSkCustomTabSheet* page = PageOfTab(index);
        if (usePages_ && images_ && page && page->ImageIndex() >= 0)
            w += images_->Width();
    }
    return std::max(w, 2 * (CalcTabHeight() + SideMargin()));
}

int TSkCustomTabControl::GetScrollButtonSize() { return 2 * Font()->Size(); }

void TSkCustomTabControl::LayoutRows()
{
    rowCount_ = 1;
    const int count = tabs_ ? tabs_->Count() : 0;
    if (count == 0)
        return;
    const int avail = (Horizontal(tabPosition_) ? Width() : Height()) - LeftMargin() - RightMargin();
    int rows = 0;
    int running = CalcTabWidth(0), inRow = 1;
    auto close = [&](int last) {
        Row& r = rows_[static_cast<size_t>(rows)];
        r.last = last;
        r.extra = inRow ? (avail - running) / inRow : 0;
        r.remainder = avail - running - r.extra * inRow;
        ++rows;
    };
    for (int i = 1; i < count; ++i) {
        const int w = CalcTabWidth(i);
        // The table's last row takes every tab that is left.
        if (running + w < avail || rows == kMaxRows - 1) {
            running += w;
            ++inRow;
        } else {
            close(i - 1);
            running = w;
            inRow = 1;
        }
    }
    if (running > 0)
        close(count - 1);
    rowCount_ = multiLine_ ? std::max(1, rows) : 1;
}

int TSkCustomTabControl::RowOfTab(int index) const
{
    if (rowCount_ <= 1)
        return 0;
    for (int r = 0; r < rowCount_; ++r)
        if (index <= rows_[static_cast<size_t>(r)].last)
            return r;
    return rowCount_ - 1;
}

int TSkCustomTabControl::JustifiedWidth(int index)
{
    const int w = CalcTabWidth(index);
    if (raggedRight_ || tabWidth_ != 0 || rowCount_ <= 1)
        return w;
    const Row& r = rows_[static_cast<size_t>(RowOfTab(index))];
    return w + r.extra + (index == r.last ? r.remainder : 0);
}

int TSkCustomTabControl::SelectedRow() const { return tabIndex_ < 0 ? 0 : RowOfTab(tabIndex_); }

int TSkCustomTabControl::RowDistance(int row) const
{
    const int selected = SelectedRow();
    if (row >= selected)
        return row - selected + 1;
    return scrollOpposite_ ? selected - row : row + rowCount_ - selected + 1;
}

int TSkCustomTabControl::OppositeRowsHeight() { return scrollOpposite_ ? SelectedRow() * CalcTabHeight() : 0; }

bool TSkCustomTabControl::OnOppositeSide(int index) const
{
    return multiLine_ && scrollOpposite_ && RowOfTab(index) < SelectedRow();
}

TTabPosition TSkCustomTabControl::TabSide(int index) const
{
    if (!OnOppositeSide(index))
        return tabPosition_;
    static constexpr TTabPosition kOpposite[] = {tpBottom, tpTop, tpRight, tpLeft};
    return kOpposite[tabPosition_];
}

int TSkCustomTabControl::TabAreaHeight()
{
    if (!tabs_ || tabs_->Count() == 0)
        return 0;
    const int rows = scrollOpposite_ ? rowCount_ - SelectedRow() : rowCount_;
    return CalcTabHeight() * rows + SideMargin();
}

RECT TSkCustomTabControl::FrameRect()
{
    LayoutRows();
    RECT r{0, 0, Width(), Height()};
    const int area = TabAreaHeight(), opposite = OppositeRowsHeight();
    switch (tabPosition_) {
    case tpTop: r.top += area; r.bottom -= opposite; break;
    case tpBottom: r.bottom -= area; r.top += opposite; break;
    case tpLeft: r.left += area; r.right -= opposite; break;
    case tpRight: r.right -= area; r.left += opposite; break;
    }
    return r;
}

RECT TSkCustomTabControl::DisplayRect()
{
    RECT r = FrameRect();
    r.left += LeftMargin() + 1;
    r.top += TopMargin() + 1;
    r.right -= RightMargin() + 1;
    r.bottom -= BottomMargin() + 1;
    return r;
}

void TSkCustomTabControl::AdjustClientRect(RECT& rect)
{
    rect = DisplayRect();
    TSkCustomControl::AdjustClientRect(rect);
}

RECT TSkCustomTabControl::GetTabRect(int index)
{
    LayoutRows();
    int offset = 0;
    if (rowCount_ > 1) {
        const int row = RowOfTab(index);
        const int first = row == 0 ? 0 : rows_[static_cast<size_t>(row - 1)].last + 1;
        for (int i = first; i < index; ++i)
            offset += JustifiedWidth(i);
    } else if (index >= firstVisible_) {
        for (int i = firstVisible_; i < index; ++i)
            offset += CalcTabWidth(i);
    } else {
        for (int i = index; i < firstVisible_; ++i)
            offset -= CalcTabWidth(i);
    }
    const int th = CalcTabHeight();
    const bool opposite = OnOppositeSide(index);
    const int area = opposite ? OppositeRowsHeight() : TabAreaHeight();
    const int d = area - RowDistance(RowOfTab(index)) * th;
    const int jw = JustifiedWidth(index);
    const int W = Width(), H = Height();
    switch (TabSide(index)) {
    case tpTop: return RECT{offset + LeftMargin(), d, offset + LeftMargin() + jw, area + TopMargin()};
    case tpBottom: return RECT{offset + LeftMargin(), H - area - BottomMargin(), offset + LeftMargin() + jw, H - d};
    case tpLeft: return RECT{d, offset + TopMargin(), area + LeftMargin(), offset + TopMargin() + jw};
    case tpRight: return RECT{W - area - RightMargin(), offset + TopMargin(), W - d, offset + TopMargin() + jw};
    }
    return RECT{};
}

bool TSkCustomTabControl::ScrollButtonsShown()
{
    const int count = tabs_ ? tabs_->Count() : 0;
    if (!Horizontal(tabPosition_) || count < 2 || multiLine_)
        return false;
    return firstVisible_ > 0 || GetTabRect(count - 1).right > Width();
}

RECT TSkCustomTabControl::LeftButtonRect()
{
    const int s = GetScrollButtonSize();
    const int top = tabPosition_ == tpTop ? TabAreaHeight() - s - TopMargin() : Height() + BottomMargin() - TabAreaHeight();
    return RECT{Width() - 2 * s, top, Width() - s, top + s};
}

RECT TSkCustomTabControl::RightButtonRect()
{
    RECT r = LeftButtonRect();
    OffsetRect(&r, GetScrollButtonSize(), 0);
    return r;
}

bool TSkCustomTabControl::InLeftButton(int x, int y)
{
    const RECT r = LeftButtonRect();
    return ScrollButtonsShown() && PtInRect(&r, POINT{x, y});
}

bool TSkCustomTabControl::InRightButton(int x, int y)
{
    const RECT r = RightButtonRect();
    return ScrollButtonsShown() && PtInRect(&r, POINT{x, y});
}

int TSkCustomTabControl::LastVisibleTab()
{
    const int count = tabs_->Count();
    const int avail = Width() - LeftMargin() - RightMargin();
    int x = 0, last = firstVisible_ - 1;
    for (int i = firstVisible_; i < count; ++i) {
        last = i;
        x += CalcTabWidth(i);
        if (x >= avail)
            break;
    }
    return std::max(last, 0);
}

int TSkCustomTabControl::LastFullyVisibleTab()
{
    const int count = tabs_->Count();
    const int limit = ScrollButtonsShown() ? Width() - 2 * GetScrollButtonSize() : Width();
    int last = firstVisible_ - 1;
    for (int i = firstVisible_; i < count && GetTabRect(i).right <= limit; ++i)
        last = i;
    return last;
}

void TSkCustomTabControl::ScrollTabs(int delta)
{
    const int count = tabs_->Count();
    if (count == 0)
        return;
    firstVisible_ = std::clamp(firstVisible_ + delta, 0, count - 1);
    bool movedBack = false;
    while (firstVisible_ > 0 && LastFullyVisibleTab() == count - 1) {
        --firstVisible_;
        movedBack = true;
    }
    if (movedBack)
        ++firstVisible_;
    RefreshTabs();
}

int TSkCustomTabControl::TabAt(int x, int y)
{
    const int count = tabs_->Count();
    if (count == 0)
        return -1;
    const POINT p{x, y};
    const bool buttons = ScrollButtonsShown();
    if (buttons && x >= Width() - 2 * GetScrollButtonSize()) {
        const RECT left = LeftButtonRect();
        if (y >= left.top - TabAreaHeight() && y < left.bottom + TabAreaHeight())
            return -1;
    }
    auto hit = [&](int i) {
        RECT r = GetTabRect(i);
        if (rowCount_ <= 1) {
            switch (TabSide(i)) {
            case tpTop: r.bottom -= TopMargin(); break;
            case tpBottom: r.top += BottomMargin(); break;
            case tpLeft: r.right -= LeftMargin(); break;
            case tpRight: r.left += RightMargin(); break;
            }
        }
        return PtInRect(&r, p) != 0;
    };
    if (tabIndex_ >= 0 && hit(tabIndex_))
        return tabIndex_;
    const int first = rowCount_ > 1 ? 0 : firstVisible_;
    const int last = rowCount_ > 1 ? count - 1 : LastVisibleTab();
    for (int i = first; i <= last; ++i)
        if (i != tabIndex_ && hit(i))
            return i;
    return -1;
}

void TSkCustomTabControl::SetBounds(int left, int top, int width, int height)
{
    const int rowsBefore = rowCount_;
    TSkCustomControl::SetBounds(left, top, width, height);
    if (multiLine_ && tabs_) {
        LayoutRows();
        if (rowCount_ != rowsBefore) {
            Realign();
            Invalidate();
        }
    }
}

// ------------------------------------------------------------------ input

void TSkCustomTabControl::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseDown(button, shift, x, y);
    if (button != vcl::mbLeft)
        return;
    leftPressed_ = InLeftButton(x, y);
    rightPressed_ = InRightButton(x, y);
    if (leftPressed_ || rightPressed_) {
        RefreshTabs();
        ScrollTabs(leftPressed_ ? -1 : 1);
        if (!repeatTimer_) {
            repeatTimer_ = new vcl::TTimer(nullptr);
            repeatTimer_->OnTimer = [this](vcl::TObject* sender) { RepeatScroll(sender); };
        }
        repeatTimer_->SetInterval(kRepeatDelayMs);
        repeatTimer_->SetEnabled(true);
        return;
    }
    const int tab = TabAt(x, y);
    if (tab < 0)
        return;
    if (CanFocus() && !HasFocus())
        SetFocus();
    SetTabIndex(tab);
}

void TSkCustomTabControl::RepeatScroll(vcl::TObject*)
{
    try {
        repeatTimer_->SetInterval(kRepeatIntervalMs);
        if (leftPressed_ && leftHover_)
            ScrollTabs(-1);
        else if (rightPressed_ && rightHover_)
            ScrollTabs(1);
    } catch (...) {
        StopRepeat();
        throw;
    }
}

void TSkCustomTabControl::StopRepeat()
{
    if (repeatTimer_)
        repeatTimer_->SetEnabled(false);
}

void TSkCustomTabControl::MouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseMove(shift, x, y);
    bool changed = false;
    if (ScrollButtonsShown()) {
        const bool left = InLeftButton(x, y), right = InRightButton(x, y);
        changed = left != leftHover_ || right != rightHover_;
        leftHover_ = left;
        rightHover_ = right;
    }
    const int tracked = TabAt(x, y);
    changed |= tracked != trackedTab_;
    trackedTab_ = tracked;
    if (changed)
        RefreshTabs();
}

void TSkCustomTabControl::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseUp(button, shift, x, y);
    if (button != vcl::mbLeft)
        return;
    leftPressed_ = rightPressed_ = false;
    StopRepeat();
    RefreshTabs();
}

void TSkCustomTabControl::MouseLeave()
{
    TSkCustomControl::MouseLeave();
    if (leftHover_ || rightHover_ || trackedTab_ >= 0) {
        leftHover_ = rightHover_ = false;
        trackedTab_ = -1;
        RefreshTabs();
    }
}

void TSkCustomTabControl::KeyDown(WORD& key, vcl::TShiftState shift)
{
    TSkCustomControl::KeyDown(key, shift);
    if (key == VK_LEFT || key == VK_UP)
        SetTabIndex(tabIndex_ - 1);
    else if (key == VK_RIGHT || key == VK_DOWN)
        SetTabIndex(tabIndex_ + 1);
}

void TSkCustomTabControl::FocusEnter()
{
    TSkCustomControl::FocusEnter();
    RefreshTabs();
}

void TSkCustomTabControl::FocusExit()
{
    TSkCustomControl::FocusExit();
    RefreshTabs();
}

void TSkCustomTabControl::WMGetDlgCode(vcl::TMessage& m) { m.Result = DLGC_WANTARROWS; }

void TSkCustomTabControl::CMDialogChar(vcl::TMessage& m)
{
    if (CanFocus()) {
        for (int i = 0; i < tabs_->Count(); ++i) {
            if (vcl::IsAccel(static_cast<WORD>(m.WParam), tabs_->Strings(i))) {
                SetTabIndex(i);
                m.Result = 1;
                return;
            }
        }
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomTabControl::CMFontChanged(vcl::TMessage& m)
{
    textWidths_.clear();
    lineHeight_ = -1;
    DispatchFrom(StaticClass()->ClassParent(), m);
    Invalidate();
}

void TSkCustomTabControl::CMEnabledChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    Invalidate();
}

// ------------------------------------------------------ class library

void TSkCustomTabControl::Loaded()
{
    TSkCustomControl::Loaded();
    if (usePages_) {
        UpdateTabs();
        if (loadedTabIndex_ >= 0)
            ActivatePageOfTab(loadedTabIndex_);
    } else if (loadedTabIndex_ >= 0) {
        SetTabIndex(loadedTabIndex_);
    }
    LayoutRows();
    Realign();
}

void TSkCustomTabControl::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomControl::Notification(component, operation);
    if (operation == vcl::opRemove && component == images_)
        images_ = nullptr;
}

void TSkCustomTabControl::Resize()
{
    TSkCustomControl::Resize();
    if (TSkCustomTabSheet* page = ActivePage())
        page->Invalidate();
}

}  // namespace skin
