#include "platform/vcl/actnlist.h"
#include "platform/vcl/controls.h"
#include "platform/vcl/forms.h"

namespace vcl {

// -------------------------------------------------------------- the link

VCL_IMPLEMENT_CLASS(TControlActionLink, TActionLink, [](auto&) {})

TControlActionLink::TControlActionLink(TObject* client) : TActionLink(client) { AssignClient(client); }

void TControlActionLink::AssignClient(TObject* client) { client_ = dynamic_cast<TControl*>(client); }

bool TControlActionLink::IsCaptionLinked()
{
    return TActionLink::IsCaptionLinked() && client_ && client_->Caption() == CustomAction()->Caption();
}

bool TControlActionLink::IsEnabledLinked()
{
    return TActionLink::IsEnabledLinked() && client_ && client_->Enabled() == CustomAction()->Enabled();
}

bool TControlActionLink::IsHintLinked()
{
    return TActionLink::IsHintLinked() && client_ && client_->Hint() == CustomAction()->Hint();
}

bool TControlActionLink::IsVisibleLinked()
{
    return TActionLink::IsVisibleLinked() && client_ && client_->Visible() == CustomAction()->Visible();
}

bool TControlActionLink::IsOnExecuteLinked()
{
    return TActionLink::IsOnExecuteLinked() && client_ && Action() &&
           SameHandler(client_->OnClick, Action()->OnExecute);
}

// The action calls these before it takes the new value, so each test
// still compares the control with the action's old value.
void TControlActionLink::SetCaption(const AnsiString& value)
{
    if (IsCaptionLinked())
        client_->SetCaption(value);
}

void TControlActionLink::SetEnabled(bool value)
{
    if (IsEnabledLinked())
        client_->SetEnabled(value);
}

void TControlActionLink::SetHint(const AnsiString& value)
{
    if (IsHintLinked())
        client_->SetHint(value);
}

void TControlActionLink::SetVisible(bool value)
{
    if (IsVisibleLinked())
        client_->SetVisible(value);
}

void TControlActionLink::SetOnExecute(const TNotifyEvent& value)
{
    if (IsOnExecuteLinked())
        client_->OnClick = value;
}

// ----------------------------------------------------- the control's side

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

TControlActionLink* TControl::CreateActionLink() { return new TControlActionLink(this); }

void TControl::SetAction(TBasicAction* action)
{
    if (!action) {
        delete actionLink_;
        actionLink_ = nullptr;
        return;
    }
    if (!actionLink_)
        actionLink_ = CreateActionLink();
    actionLink_->SetAction(action);
    actionLink_->OnChange = [this](TObject* sender) { DoActionChange(sender); };
    ActionChange(action, action->ComponentState().Contains(csLoading));
    action->FreeNotification(this);
}

void TControl::DoActionChange(TObject* sender)
{
    if (sender && sender == Action())
        ActionChange(sender, false);
}

// With `checkDefaults` (a stream is being read), a value the control was
// given apart from its default stays.
void TControl::ActionChange(TObject* sender, bool checkDefaults)
{
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (!checkDefaults || Caption().empty())
        SetCaption(action->Caption());
    if (!checkDefaults || enabled_)
        SetEnabled(action->Enabled());
    if (!checkDefaults || hint_.empty())
        SetHint(action->Hint());
    if (!checkDefaults || visible_)
        SetVisible(action->Visible());
    if (!checkDefaults || !OnClick)
        OnClick = action->OnExecute;
}

void TControl::InitiateAction()
{
    if (actionLink_)
        actionLink_->Update();
}

bool TControl::IsLinked(bool (TControlActionLink::*linked)()) const
{
    return actionLink_ && (actionLink_->*linked)();
}

void TControl::Click()
{
    // A handler of the control's own runs in place of the action's.
    TBasicAction* action = Action();
    if (OnClick && action && !SameHandler(OnClick, action->OnExecute))
        OnClick(this);
    else if (!ComponentState().Contains(csDesigning) && action)
        actionLink_->Execute(this);
    else
        OnClick(this);
}

// ------------------------------------------------------------ the form's side

void TCustomForm::UpdateActions()
{
    if (ComponentState().Contains(csDesigning) || !Showing())
        return;
    InitiateAction();
    // Hidden controls are asked too: their action may show them again.
    std::function<void(TWinControl*)> traverse = [&](TWinControl* container) {
        for (int i = 0; i < container->ControlCount(); ++i) {
            TControl* control = container->Controls(i);
            if (control->ControlStyle().Contains(csActionClient)) {
                control->InitiateAction();
                // An update handler may free the control.
                if (!IsLiveObject(control) || i >= container->ControlCount() || container->Controls(i) != control)
                    continue;
            }
            if (auto* child = dynamic_cast<TWinControl*>(control))
                traverse(child);
        }
    };
    traverse(this);
}

}  // namespace vcl
