#pragma once

// Actions and the links that tie clients (menu items, controls) to them.

#include <vector>

#include "platform/vcl/classes.h"
#include "platform/vcl/imglist.h"
#include "platform/vcl/menus.h"

namespace vcl {

class TBasicActionLink;
class TControl;
class TCustomActionList;

// Whether two events run the same handler: the same published method, or
// for handlers bound in code, the same callable type.
bool SameHandler(const TNotifyEvent& a, const TNotifyEvent& b);

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
    friend class TCustomActionList;
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
    // The list the action belongs to; its images are the action's.
    TCustomActionList* ActionList() const { return actionList_; }
    void SetActionList(TCustomActionList* list);
    bool HasParent() const override { return actionList_ != nullptr; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;
    void ReadState(TReader* reader) override;
    ~TCustomAction() override;

private:
    friend class TCustomActionList;
    TCustomActionList* actionList_ = nullptr;
    AnsiString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    int helpContext_ = 0;
    AnsiString hint_;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    bool visible_ = true;
};

// A list of actions with the image list their ImageIndex refers to. Its
// actions are streamed as its children.
class TCustomActionList : public TComponent {
    VCL_DECLARE_CLASS(TCustomActionList, TComponent)
public:
    explicit TCustomActionList(TComponent* owner) : TComponent(owner) {}
    ~TCustomActionList() override;
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* images);
    int ActionCount() const { return static_cast<int>(actions_.size()); }
    TCustomAction* Actions(int index) const;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomAction;
    std::vector<TCustomAction*> actions_;
    TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
    VCL_DECLARE_CLASS(TActionList, TCustomActionList)
public:
    using TCustomActionList::TCustomActionList;
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
    // Runs the action for `component` (its ActionComponent meanwhile).
    virtual bool Execute(TComponent* component = nullptr);
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

// The link of a control: the control follows the action in each value for
// as long as it still holds the action's value.
class TControlActionLink : public TActionLink {
    VCL_DECLARE_CLASS(TControlActionLink, TActionLink)
public:
    explicit TControlActionLink(TObject* client);
    bool IsCaptionLinked() override;
    bool IsEnabledLinked() override;
    bool IsHintLinked() override;
    bool IsVisibleLinked() override;
    bool IsOnExecuteLinked() override;
    // Controls without a check state are never linked in it.
    bool IsCheckedLinked() override { return false; }
    bool IsHelpContextLinked() override { return false; }
    bool IsImageIndexLinked() override { return false; }
    bool IsShortCutLinked() override { return false; }
    void SetCaption(const AnsiString& value) override;
    void SetEnabled(bool value) override;
    void SetHint(const AnsiString& value) override;
    void SetVisible(bool value) override;
    void SetOnExecute(const TNotifyEvent& value) override;

protected:
    void AssignClient(TObject* client) override;
    TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(Action()); }
    TControl* Client() const { return client_; }

private:
    TControl* client_ = nullptr;
};

}  // namespace vcl
