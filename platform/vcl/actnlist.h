#pragma once

// Actions and the links that tie clients (menu items, controls) to them.

#include <vector>

#include "platform/vcl/classes.h"
#include "platform/vcl/menus.h"

namespace vcl {

class TBasicActionLink;

class TBasicAction : public TComponent {
    VCL_DECLARE_CLASS(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
    ~TBasicAction() override;
    virtual bool Execute();  // true when OnExecute ran
    virtual bool Update();
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* c) { actionComponent_ = c; }
    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;
    void SetOnExecute(const TNotifyEvent& e);

protected:
    friend class TBasicActionLink;
    virtual void Change();
    std::vector<TBasicActionLink*> clients_;

private:
    TComponent* actionComponent_ = nullptr;
};

class TCustomAction : public TBasicAction {
    VCL_DECLARE_CLASS(TCustomAction, TBasicAction)
public:
    explicit TCustomAction(TComponent* owner) : TBasicAction(owner) {}
    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& v);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int v);
    AnsiString Hint() const { return hint_; }
    void SetHint(const AnsiString& v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);

private:
    AnsiString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    int helpContext_ = 0;
    AnsiString hint_;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    bool visible_ = true;
};

class TAction : public TCustomAction {
    VCL_DECLARE_CLASS(TAction, TCustomAction)
public:
    using TCustomAction::TCustomAction;
};

class TBasicActionLink : public TObject {
    VCL_DECLARE_CLASS(TBasicActionLink, TObject)
public:
    explicit TBasicActionLink(TObject* client) { (void)client; }
    ~TBasicActionLink() override;
    TBasicAction* Action() const { return action_; }
    virtual void SetAction(TBasicAction* action);
    virtual bool Execute();
    virtual bool Update();
    virtual bool IsOnExecuteLinked() { return true; }
    virtual void SetOnExecute(const TNotifyEvent&) {}
    TNotifyEvent OnChange;

protected:
    virtual void AssignClient(TObject*) {}
    virtual void Change() { OnChange(action_); }
    friend class TBasicAction;

private:
    TBasicAction* action_ = nullptr;
};

// The link of clients with a caption, check mark and the rest: each
// Is...Linked test says whether the client follows the action in that value,
// and each setter is called when the action's value changes.
class TActionLink : public TBasicActionLink {
    VCL_DECLARE_CLASS(TActionLink, TBasicActionLink)
public:
    using TBasicActionLink::TBasicActionLink;
    virtual bool IsCaptionLinked();
    virtual bool IsCheckedLinked();
    virtual bool IsEnabledLinked();
    virtual bool IsHelpContextLinked();
    virtual bool IsHintLinked();
    virtual bool IsImageIndexLinked();
    virtual bool IsShortCutLinked();
    virtual bool IsVisibleLinked();
    virtual void SetCaption(const AnsiString&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHelpContext(int) {}
    virtual void SetHint(const AnsiString&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}
};

}  // namespace vcl
