#include "skin/menus/sk_menu_item.h"

#include <algorithm>
#include <unordered_map>

#include "platform/vcl/forms.h"
#include "platform/win32/kernel/locale.h"

namespace skin {

using vcl::AnsiString;

using vcl::TComponent;

namespace {

std::unordered_map<std::uint32_t, TSkCustomItem*>& LiveItems()
{
    static auto* items = new std::unordered_map<std::uint32_t, TSkCustomItem*>;
    return *items;
}

std::uint32_t g_nextId = 0;

std::uint32_t NewId()
{
    // Zero is never an identity, so a stray message with lParam 0 finds nothing.
    do
        ++g_nextId;
    while (g_nextId == 0 || LiveItems().count(g_nextId));
    return g_nextId;
}

bool SystemReadsRightToLeft()
{
    // The system code page tells a Hebrew or Arabic system.
    const UINT codePage = GetACP();
    return codePage == 1255 || codePage == 1256;
}

}  // namespace

// ------------------------------------------------------------- action link

VCL_IMPLEMENT_CLASS(TSkCustomItemActionLink, vcl::TActionLink, [](auto&) {})

TSkCustomItemActionLink::TSkCustomItemActionLink(vcl::TObject* client) : vcl::TActionLink(client)
{
    AssignClient(client);
}

void TSkCustomItemActionLink::AssignClient(vcl::TObject* client) { client_ = dynamic_cast<TSkCustomItem*>(client); }

vcl::TCustomAction* TSkCustomItemActionLink::CustomAction() const
{
    return dynamic_cast<vcl::TCustomAction*>(Action());
}

bool TSkCustomItemActionLink::IsCaptionLinked()
{
    return vcl::TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}
bool TSkCustomItemActionLink::IsCheckedLinked()
{
    return vcl::TActionLink::IsCheckedLinked() && client_->Checked() == CustomAction()->Checked();
}
bool TSkCustomItemActionLink::IsEnabledLinked()
{
    return vcl::TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}
bool TSkCustomItemActionLink::IsHelpContextLinked()
{
    return vcl::TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}
bool TSkCustomItemActionLink::IsHintLinked()
{
    return vcl::TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}
bool TSkCustomItemActionLink::IsImageIndexLinked()
{
    return vcl::TActionLink::IsImageIndexLinked() && client_->ImageIndex() == CustomAction()->ImageIndex();
}
bool TSkCustomItemActionLink::IsShortCutLinked()
{
    return vcl::TActionLink::IsShortCutLinked() && client_->ShortCut() == CustomAction()->ShortCut();
}
bool TSkCustomItemActionLink::IsVisibleLinked()
{
    return vcl::TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}
bool TSkCustomItemActionLink::IsOnExecuteLinked()
{
    return vcl::TActionLink::IsOnExecuteLinked() && Action() && SameHandler(client_->OnClick, Action()->OnExecute);
}

void TSkCustomItemActionLink::SetCaption(const AnsiString& value)
{
    if (IsCaptionLinked())
        client_->SetCaption(value);
}
void TSkCustomItemActionLink::SetChecked(bool value)
{
    if (IsCheckedLinked())
        client_->SetChecked(value);
}
void TSkCustomItemActionLink::SetEnabled(bool value)
{
    if (IsEnabledLinked())
        client_->SetEnabled(value);
}
void TSkCustomItemActionLink::SetHelpContext(int value)
{
    if (IsHelpContextLinked())
        client_->helpContext_ = value;
}
void TSkCustomItemActionLink::SetHint(const AnsiString& value)
{
    if (IsHintLinked())
        client_->hint_ = value;
}
void TSkCustomItemActionLink::SetImageIndex(int value)
{
    if (IsImageIndexLinked())
        client_->SetImageIndex(value);
}
void TSkCustomItemActionLink::SetShortCut(vcl::TShortCut value)
{
    if (IsShortCutLinked())
        client_->shortCut_ = value;
}
void TSkCustomItemActionLink::SetVisible(bool value)
{
    if (IsVisibleLinked())
        client_->SetVisible(value);
}
void TSkCustomItemActionLink::SetOnExecute(const vcl::TNotifyEvent& value)
{
    if (IsOnExecuteLinked())
        client_->OnClick = value;
}

// ---------------------------------------------------------------- the item

VCL_IMPLEMENT_CLASS(TSkCustomItem, vcl::TComponent, [](auto& b) {
    using T = TSkCustomItem;
    using L = vcl::TActionLink;
    b.Component();
    b.Object("Action", &T::Action, &T::SetAction);
    b.Int("Count", &T::Count, nullptr).stored = [](const vcl::TObject*) { return false; };
    b.Int("HelpContext", &T::HelpContext, &T::SetHelpContext, 0).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsHelpContextLinked);
    };
    b.Str("Hint", &T::Hint, &T::SetHint).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsHintLinked);
    };
    b.Object("ParentComponent", &T::ParentComponentValue, &T::SetParentComponentValue).stored =
        [](const vcl::TObject*) { return false; };
    b.Bool("Checked", &T::Checked, &T::SetChecked, false).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsCheckedLinked);
    };
    b.Bool("Enabled", &T::Enabled, &T::SetEnabled, true).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsEnabledLinked);
    };
    b.Str("Caption", &T::Caption, &T::SetCaption).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsCaptionLinked);
    };
    b.Int("ImageIndex", &T::ImageIndex, &T::SetImageIndex, -1).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsImageIndexLinked);
    };
    b.Object("Images", &T::Images, &T::SetImages);
    b.Bool("Scrolled", &T::Scrolled, &T::SetScrolled, false);
    b.Int("ScrollCount", &T::ScrollCount, &T::SetScrollCount, 0);
    b.Int("ShortCut", &T::ShortCutValue, &T::SetShortCutValue, 0).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsShortCutLinked);
    };
    b.Bool("Visible", &T::Visible, &T::SetVisible, true).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsVisibleLinked);
    };
    b.Event("OnClick", &T::OnClick).stored = [](const vcl::TObject* o) {
        return static_cast<const T*>(o)->IsStoredUnlinked(&L::IsOnExecuteLinked);
    };
    b.Event("OnBeforeDropDown", &T::OnBeforeDropDown);
})

TSkCustomItem::TSkCustomItem(TComponent* owner) : TComponent(owner), id_(NewId()) { LiveItems()[id_] = this; }

TSkCustomItem::~TSkCustomItem()
{
    Destroying();
    LiveItems().erase(id_);
    while (!children_.empty()) {
        TSkCustomItem* child = children_.back();
        delete child;  // takes itself off this list
    }
    if (parent_)
        parent_->Remove(this);
    delete actionLink_;
    actionLink_ = nullptr;
}

TSkCustomItem* TSkCustomItem::FindById(std::uint32_t id)
{
    auto it = LiveItems().find(id);
    return it == LiveItems().end() ? nullptr : it->second;
}

bool TSkCustomItem::IsStoredUnlinked(bool (vcl::TActionLink::*linked)()) const
{
    return !actionLink_ || !(actionLink_->*linked)();
}

template <class F>
void TSkCustomItem::ForTree(F f)
{
    f(this);
    for (TSkCustomItem* child : children_)
        child->ForTree(f);
}

// -------------------------------------------------------------------- tree

void TSkCustomItem::Insert(int index, TSkCustomItem* item)
{
    if (item->parent_)
        throw EKsItemError("Toolbar item already inserted");
    // An item placed under itself or one of its own descendants would make
    // the tree a ring that every walk over it follows forever.
    for (const TSkCustomItem* p = this; p; p = p->parent_) {
        if (p == item)
            throw EKsItemError("Toolbar item can't be inserted into itself");
    }
    if (index < 0 || index > Count())
        throw vcl::EListError(vcl::Format(vcl::consts::SListIndexError, index));
    children_.insert(children_.begin() + index, item);
    item->parent_ = this;
    Changed();
}

void TSkCustomItem::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw vcl::EListError(vcl::Format(vcl::consts::SListIndexError, index));
    children_[static_cast<size_t>(index)]->parent_ = nullptr;
    children_.erase(children_.begin() + index);
    Changed();
}

int TSkCustomItem::IndexOf(const TSkCustomItem* item) const
{
    auto it = std::find(children_.begin(), children_.end(), item);
    return it == children_.end() ? -1 : static_cast<int>(it - children_.begin());
}

void TSkCustomItem::Remove(TSkCustomItem* item)
{
    const int index = IndexOf(item);
    if (index != -1)
        Delete(index);
}

TSkCustomItem* TSkCustomItem::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw vcl::EListError(vcl::Format(vcl::consts::SListIndexError, index));
    return children_[static_cast<size_t>(index)];
}

TSkCustomItem* TSkCustomItem::Root()
{
    TSkCustomItem* item = this;
    while (item->parent_)
        item = item->parent_;
    return item;
}

// ------------------------------------------------------------------ values

void TSkCustomItem::SetCaption(const AnsiString& value)
{
    if (value == caption_)
        return;
    caption_ = value;
    Changed();
}

void TSkCustomItem::SetChecked(bool value)
{
    if (value == checked_)
        return;
    checked_ = value;
    Changed();
}

void TSkCustomItem::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    Changed();
}

void TSkCustomItem::SetVisible(bool value)
{
    if (value == visible_)
        return;
    visible_ = value;
    Changed();
}

void TSkCustomItem::SetImages(vcl::TCustomImageList* value)
{
    if (images_ == value)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = value;
    if (images_)
        images_->FreeNotification(this);
}

vcl::TCustomImageList* TSkCustomItem::GetImageList()
{
    return images_ ? images_ : Root()->images_;
}

void TSkCustomItem::Changed()
{
    const vcl::TComponentState state = ComponentState();
    if (state.Contains(vcl::csLoading) || state.Contains(vcl::csDestroying))
        return;
    OnChangeNotify(this);
    TSkCustomItem* root = Root();
    root->OnChangeNotify(this);
}

// ------------------------------------------------------------------- marks

void TSkCustomItem::SetWindowForm(TSkCustomForm* value)
{
    ForTree([value](TSkCustomItem* i) { i->windowForm_ = value; });
}
void TSkCustomItem::SetAnimateNext(bool value)
{
    ForTree([value](TSkCustomItem* i) { i->animateNext_ = value; });
}
void TSkCustomItem::SetMenuRunMark(bool value)
{
    ForTree([value](TSkCustomItem* i) { i->menuRun_ = value; });
}
void TSkCustomItem::SetMenuOptions(TSkPopupMenuOptions* value)
{
    ForTree([value](TSkCustomItem* i) { i->menuOptions_ = value; });
}
void TSkCustomItem::SetOwnerWindow(TComponent* value)
{
    ForTree([value](TSkCustomItem* i) { i->ownerWindow_ = value; });
}
void TSkCustomItem::SetPaintSuppressed(bool value)
{
    ForTree([value](TSkCustomItem* i) { i->paintSuppressed_ = value; });
}
void TSkCustomItem::SetForegroundOnPopup(bool value)
{
    ForTree([value](TSkCustomItem* i) { i->foregroundOnPopup_ = value; });
}

void TSkCustomItem::SetBiDiMode(std::uint8_t value)
{
    bidiMode_ = value;
    for (TSkCustomItem* child : children_)
        child->bidiMode_ = value;
}

void TSkCustomItem::SetToolbarLook(bool value)
{
    toolbarLook_ = value;
    for (TSkCustomItem* child : children_)
        child->toolbarLook_ = value;
}

bool TSkCustomItem::UseRightToLeftReading() const { return SystemReadsRightToLeft() && bidiMode_ != 0; }

bool TSkCustomItem::UseRightToLeftAlignment() const { return SystemReadsRightToLeft() && bidiMode_ == 1; }

UINT TSkCustomItem::DrawTextBiDiModeFlags(UINT flags) const
{
    if (UseRightToLeftAlignment())
        flags &= ~DT_RIGHT;
    else if (!(flags & DT_CENTER))
        flags |= DT_RIGHT;
    if (UseRightToLeftReading())
        flags |= DT_RTLREADING;
    return flags;
}

// ---------------------------------------------------------------- searches

TSkCustomItem* TSkCustomItem::FindAccel(char ch) const
{
    const AnsiString wanted = vcl::AnsiUpperCase(AnsiString("&") + ch);
    for (TSkCustomItem* child : children_) {
        if (vcl::AnsiUpperCase(child->caption_).find(wanted) != AnsiString::npos)
            return child;
    }
    return nullptr;
}

TSkCustomItem* TSkCustomItem::FindItem(int value, int kind)
{
    if (kind == fkShortCut && shortCut_ == static_cast<vcl::TShortCut>(value))
        return this;
    for (TSkCustomItem* child : children_) {
        if (TSkCustomItem* found = child->FindItem(value, kind))
            return found;
    }
    return nullptr;
}

TSkCustomItem* TSkCustomItem::FindItem(const vcl::TNotifyEvent& handler)
{
    if (OnClick && SameHandler(OnClick, handler))
        return this;
    for (TSkCustomItem* child : children_) {
        if (TSkCustomItem* found = child->FindItem(handler))
            return found;
    }
    return nullptr;
}

namespace {

enum class Answer { GoOn, Stop, Abort, Retry };

struct ShortCutRun {
    TSkCustomItem* root;
    vcl::TShortCut shortCut;
    TSkCustomItem* target;  // the found item, F
};

// Runs the clicks of `item`'s ancestors, then its own; `processed` returns
// the item that this level ended up standing for.
Answer ClickChain(ShortCutRun& run, TSkCustomItem* item, int depth, TSkCustomItem*& processed)
{
    Answer answer = Answer::GoOn;
    TSkCustomItem* parentDone = nullptr;
    if (item->Parent())
        answer = ClickChain(run, item->Parent(), depth + 1, parentDone);
    if (answer == Answer::Stop || answer == Answer::Abort)
        return answer;
    if (answer == Answer::Retry) {
        if (run.target->ShortCut() != run.shortCut) {
            run.target = run.root->FindItem(run.shortCut, TSkCustomItem::fkShortCut);
            if (!run.target)
                return Answer::Abort;
        }
        TSkCustomItem* standIn = run.target;
        for (int i = 0; i < depth && standIn; ++i)
            standIn = standIn->Parent();
        if (!standIn || standIn->Parent() != parentDone)
            return Answer::Retry;
        item = standIn;
        answer = depth == 0 ? Answer::GoOn : Answer::Retry;
    }
    processed = item;
    if (!item->Enabled())
        return Answer::Stop;
    try {
        item->Click();
    } catch (...) {
        vcl::Application->HandleException(item);
        return answer;
    }
    if (item != run.target && run.target->ShortCut() != run.shortCut)
        answer = Answer::Retry;
    return answer;
}

}  // namespace

bool TSkCustomItem::IsShortCut(const vcl::TMessage& keyMessage)
{
    vcl::TShortCut shortCut = static_cast<vcl::TShortCut>(keyMessage.WParam & 0xFFFF);
    if (GetKeyState(VK_SHIFT) < 0)
        shortCut = static_cast<vcl::TShortCut>(shortCut + vcl::scShift);
    if (GetKeyState(VK_CONTROL) < 0)
        shortCut = static_cast<vcl::TShortCut>(shortCut + vcl::scCtrl);
    if (keyMessage.LParam & (1 << 29))
        shortCut = static_cast<vcl::TShortCut>(shortCut + vcl::scAlt);
    // A shortcut of 0 means none: no key press matches items without one.
    if (shortCut == 0)
        return false;
    bool found = false;
    Answer answer = Answer::GoOn;
    do {
        ShortCutRun run{this, shortCut, FindItem(shortCut, fkShortCut)};
        found = run.target != nullptr;
        if (!found)
            break;
        TSkCustomItem* processed = nullptr;
        answer = ClickChain(run, run.target, 0, processed);
    } while (answer == Answer::Retry);
    return found;
}

// ----------------------------------------------------------------- running

void TSkCustomItem::Click()
{
    if (IsSeparator() || !children_.empty() || !enabled_)
        return;
    if (const HWND handler = ClickHandlerWindow()) {
        PostMessageA(handler, SK_ITEMCLICK, 0, static_cast<LPARAM>(id_));
        return;
    }
    RunClick();
}

void TSkCustomItem::RunClick()
{
    vcl::TBasicAction* action = Action();
    if (OnClick && action && !SameHandler(OnClick, action->OnExecute))
        OnClick(this);
    else if (!ComponentState().Contains(vcl::csDesigning) && action)
        actionLink_->Execute(this);
    else
        OnClick(this);
}

// ----------------------------------------------------------------- actions

vcl::TBasicAction* TSkCustomItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TSkCustomItem::SetAction(vcl::TBasicAction* value)
{
    if (!value) {
        delete actionLink_;
        actionLink_ = nullptr;
        return;
    }
    if (!actionLink_)
        actionLink_ = new TSkCustomItemActionLink(this);
    actionLink_->SetAction(value);
    actionLink_->OnChange = [this](vcl::TObject* sender) { DoActionChange(sender); };
    ActionChange(value, value->ComponentState().Contains(vcl::csLoading));
    value->FreeNotification(this);
}

void TSkCustomItem::DoActionChange(vcl::TObject* sender)
{
    if (sender && sender == Action())
        ActionChange(sender, false);
}

void TSkCustomItem::ActionChange(vcl::TObject* sender, bool checkDefaults)
{
    auto* action = dynamic_cast<vcl::TCustomAction*>(sender);
    if (!action)
        return;
    if (!checkDefaults || caption_.empty())
        SetCaption(action->Caption());
    if (!checkDefaults || !checked_)
        SetChecked(action->Checked());
    if (!checkDefaults || enabled_)
        SetEnabled(action->Enabled());
    if (!checkDefaults || helpContext_ == 0)
        helpContext_ = action->HelpContext();
    if (!checkDefaults || hint_.empty())
        hint_ = action->Hint();
    if (!checkDefaults || imageIndex_ == -1)
        SetImageIndex(action->ImageIndex());
    if (!checkDefaults || shortCut_ == 0)
        shortCut_ = action->ShortCut();
    if (!checkDefaults || visible_)
        SetVisible(action->Visible());
    if (!checkDefaults || !OnClick)
        OnClick = action->OnExecute;
}

void TSkCustomItem::InitiateAction()
{
    if (actionLink_)
        actionLink_->Update();
}

void TSkCustomItem::Loaded()
{
    TComponent::Loaded();
    if (vcl::TBasicAction* action = Action())
        ActionChange(action, true);
}

void TSkCustomItem::Notification(TComponent* component, vcl::TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != vcl::opRemove)
        return;
    // A freed action has let go of the link before the notice comes.
    if (actionLink_ && (component == Action() || !Action()))
        SetAction(nullptr);
    if (component == images_)
        images_ = nullptr;
}

// --------------------------------------------------------------- streaming

void TSkCustomItem::GetChildren(const vcl::TGetChildProc& proc, TComponent*)
{
    for (TSkCustomItem* child : children_)
        proc(child);
}

TComponent* TSkCustomItem::GetParentComponent() const
{
    if (parent_ && parent_->parentComponent_)
        return parent_->parentComponent_;
    return parent_;
}

}  // namespace skin
