#pragma once

// TSkSkinForm: the form frame drawn from the skin. It keeps a private copy
// of one top-level skin object ("Form", or "ToolWindow" for tool windows)
// and takes the frame, region, client rectangle, hit test and client
// background from it; the mouse over the frame goes to the skin objects
// under it, so the skin's system buttons act on the window. Without a
// usable skin every operation is the plain frame's.

#include <memory>

#include "platform/vcl/extctrls.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/skins/sk_frame_actions.h"
#include "skin/skins/sk_skin_manager.h"

namespace skin {

using TCustomActionEvent = vcl::TEvent<vcl::TObject*>;

class TSkSkinForm : public TSkCustomForm, public TSkFrameActions {
    VCL_DECLARE_CLASS(TSkSkinForm, TSkCustomForm)
public:
    explicit TSkSkinForm(vcl::TComponent* owner);
    ~TSkSkinForm() override;

    TSkSkinManager* SkinManager() const { return manager_; }
    void SetSkinManager(TSkSkinManager* value);
    vcl::AnsiString SkinObject() const { return objectName_; }
    // Only recorded: it takes effect at the next assignment, load or skin change.
    void SetSkinObject(const vcl::AnsiString& value) { objectName_ = value; }
    vcl::AnsiString Version() const { return "3.2.2"; }
    void SetVersion(const vcl::AnsiString&) {}
    TCustomActionEvent OnCustomAction;

    bool IsSkinned() const;
    TSkSkinObject* FrameObject() const { return frame_.get(); }
    TSkSkinObject* ClientObject() const { return client_; }
    TSkSkinObject* TitleObject() const { return title_; }
    TSkSkinObject* TrackedObject() const { return tracked_; }
    TSkSkinObject* PressedObject() const { return pressed_; }
    vcl::TTimer* HoverTimer() const { return timer_; }
    // One round of the hover tracker (the timer's work).
    void TrackHover();

    // Frame operations.
    HRGN CreateRegion() override;
    void GetButtonRect(TSkBorderIcon index, RECT& rect) override;
    RECT GetFrameClientRect() override;
    RECT GetMaximizedRect() override;
    POINT GetMaxTrackSize() override;
    void DrawFrame(vcl::TCanvas* canvas) override;
    void PaintBackground() override;
    int HitTest(int x, int y) override;
    // A skinned item on this form's manager, so the system menu is skinned too.
    vcl::TComponent* CreateMenuItem(vcl::TComponent* owner) override;

    // TSkFrameActions: what the skin's system buttons ask of the window.
    unsigned FrameBorderIcons() const override;
    void FrameClose() override { Close(); }
    void FrameHelp() override { Help(); }
    void FrameMinimize() override { Minimize(); }
    void FrameMaximize() override { Maximize(); }
    void FrameRestore() override { Restore(); }
    void FrameRollup() override { Rollup(); }
    void FrameMinimizeToTray() override { MinimizeToTray(); }
    void FrameShowSystemMenu() override { ShowSystemMenu(); }
    void FrameCustomAction(TSkSkinObject* button) override;

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void NCMouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void NCMouseMove(vcl::TShiftState shift, int x, int y) override;
    void NCMouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;

private:
    void SkmObjectChanged(vcl::TMessage& m);
    void SkmGetForm(vcl::TMessage& m);
    void SkmSkinWillChange(vcl::TMessage& m);
    void SkmSkinChanged(vcl::TMessage& m);

    bool SourceUsable() const;
    bool MaximizedMDIChild() const;
    // Drops every pointer into the copy, then the copy.
    void DropFrame();
    // A skin without a client object is a window of the skin's own size.
    void FitToFrameObject();
    void PlaceLinkedControls(TSkSkinObject* object, const RECT& client);
    void NotifyControls();

    TSkSkinManager* manager_ = nullptr;
    vcl::AnsiString objectName_ = "Form";
    std::unique_ptr<TSkSkinObject> frame_;
    TSkSkinObject* client_ = nullptr;
    TSkSkinObject* title_ = nullptr;
    TSkSkinObject* tracked_ = nullptr;
    TSkSkinObject* pressed_ = nullptr;
    vcl::TTimer* timer_;
};

}  // namespace skin
