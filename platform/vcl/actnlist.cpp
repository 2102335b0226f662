#include "platform/vcl/actnlist.h"

#include "platform/vcl/filer.h"

namespace vcl {

bool SameHandler(const TNotifyEvent& a, const TNotifyEvent& b)
{
    if (!a || !b)
        return !a && !b;
    if (!a.methodName.empty() || !b.methodName.empty())
        return a.methodName == b.methodName;
    return a.fn.target_type() == b.fn.target_type();
}

VCL_IMPLEMENT_CLASS(TBasicAction, TComponent, [](auto& b) {
    b.Event("OnExecute", &TBasicAction::OnExecute);
    b.Event("OnUpdate", &TBasicAction::OnUpdate);
})
VCL_IMPLEMENT_CLASS(TCustomAction, TBasicAction, [](auto& b) {
    b.Str("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption);
    b.Bool("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked, false);
    b.Bool("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled, true);
    b.Int("HelpContext", &TCustomAction::HelpContext, &TCustomAction::SetHelpContext, 0);
    b.Str("Hint", &TCustomAction::Hint, &TCustomAction::SetHint);
    b.Int("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex, -1);
    b.Int("ShortCut", &TCustomAction::ShortCut, &TCustomAction::SetShortCut, 0);
    b.Bool("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible, true);
})
VCL_IMPLEMENT_CLASS(TAction, TCustomAction, [](auto& b) { b.Component(); })
VCL_IMPLEMENT_CLASS(TCustomActionList, TComponent, [](auto& b) {
    b.Object("Images", &TCustomActionList::Images, &TCustomActionList::SetImages);
})
VCL_IMPLEMENT_CLASS(TActionList, TCustomActionList, [](auto& b) { b.Component(); })
VCL_IMPLEMENT_CLASS(TBasicActionLink, TObject, [](auto&) {})
VCL_IMPLEMENT_CLASS(TActionLink, TBasicActionLink, [](auto&) {})

TBasicAction::~TBasicAction()
{
    const std::vector<TBasicActionLink*> links = clients_;
    for (TBasicActionLink* link : links)
        link->SetAction(nullptr);
}

bool TBasicAction::Execute()
{
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update()
{
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::SetOnExecute(const TNotifyEvent& e)
{
    for (TBasicActionLink* link : clients_)
        link->SetOnExecute(e);
    OnExecute = e;
    Change();
}

void TBasicAction::Change()
{
    for (TBasicActionLink* link : clients_)
        link->Change();
}

namespace {

template <class F>
void ForLinks(std::vector<TBasicActionLink*>& clients, F f)
{
    for (TBasicActionLink* link : clients) {
        if (auto* l = dynamic_cast<TActionLink*>(link))
            f(l);
    }
}

}  // namespace

#define VCL_ACTION_SETTER(Name, Type, field)                                    \
    void TCustomAction::Set##Name(Type v)                                       \
    {                                                                           \
        if (field == v)                                                         \
            return;                                                             \
        ForLinks(clients_, [&](TActionLink* l) { l->Set##Name(v); });          \
        field = v;                                                              \
        Change();                                                               \
    }
VCL_ACTION_SETTER(Caption, const AnsiString&, caption_)
VCL_ACTION_SETTER(Checked, bool, checked_)
VCL_ACTION_SETTER(Enabled, bool, enabled_)
VCL_ACTION_SETTER(HelpContext, int, helpContext_)
VCL_ACTION_SETTER(Hint, const AnsiString&, hint_)
VCL_ACTION_SETTER(ImageIndex, int, imageIndex_)
VCL_ACTION_SETTER(ShortCut, TShortCut, shortCut_)
VCL_ACTION_SETTER(Visible, bool, visible_)
#undef VCL_ACTION_SETTER

TCustomAction::~TCustomAction() { SetActionList(nullptr); }

void TCustomAction::SetActionList(TCustomActionList* list)
{
    if (actionList_ == list)
        return;
    if (actionList_)
        std::erase(actionList_->actions_, this);
    actionList_ = list;
    if (list)
        list->actions_.push_back(this);
    Change();
}

TComponent* TCustomAction::GetParentComponent() const { return actionList_; }

void TCustomAction::SetParentComponent(TComponent* parent)
{
    if (auto* list = dynamic_cast<TCustomActionList*>(parent))
        SetActionList(list);
}

void TCustomAction::ReadState(TReader* reader)
{
    // An action read inside a list belongs to it.
    if (auto* list = dynamic_cast<TCustomActionList*>(reader->Parent()))
        SetActionList(list);
    TBasicAction::ReadState(reader);
}

TCustomActionList::~TCustomActionList()
{
    while (!actions_.empty())
        actions_.back()->SetActionList(nullptr);
}

TCustomAction* TCustomActionList::Actions(int index) const
{
    if (index < 0 || index >= ActionCount())
        throw EListError(Format(consts::SListIndexError, index));
    return actions_[static_cast<size_t>(index)];
}

void TCustomActionList::SetImages(TCustomImageList* images)
{
    if (images_ == images)
        return;
    images_ = images;
    if (images)
        images->FreeNotification(this);
    // Clients take the images of their actions again.
    for (TCustomAction* action : std::vector<TCustomAction*>(actions_))
        action->Change();
}

void TCustomActionList::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    for (TCustomAction* action : actions_) {
        if (action->Owner() == root)
            proc(action);
    }
}

void TCustomActionList::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == images_)
        SetImages(nullptr);
}

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* action)
{
    if (action_ == action)
        return;
    if (action_)
        std::erase(action_->clients_, this);
    action_ = action;
    if (action_)
        action_->clients_.push_back(this);
}

bool TBasicActionLink::Execute(TComponent* component)
{
    if (!action_)
        return false;
    TBasicAction* const action = action_;
    action->SetActionComponent(component);
    // The handler may free the action; the component is only cleared on a
    // live one.
    struct Clear {
        TBasicAction* action;
        ~Clear()
        {
            if (IsLiveObject(action))
                action->SetActionComponent(nullptr);
        }
    } clear{action};
    return action->Execute();
}
bool TBasicActionLink::Update() { return action_ && action_->Update(); }

bool TActionLink::IsCaptionLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }
bool TActionLink::IsCheckedLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }
bool TActionLink::IsEnabledLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }
bool TActionLink::IsHelpContextLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }
bool TActionLink::IsHintLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }
bool TActionLink::IsImageIndexLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }
bool TActionLink::IsShortCutLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }
bool TActionLink::IsVisibleLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }

}  // namespace vcl
