#pragma once

// TSkCustomStatusBar: a status bar of panels that lays them out by their
// priorities, paints text, images and owner-drawn panels, holds child
// controls in panels, and shows a size grip that sizes its form.

#include "platform/vcl/imglist.h"
#include "skin/controls/sk_custom_control.h"
#include "skin/controls/sk_status_panel.h"

namespace skin {

using TPanelNotifyEvent = vcl::TEvent<vcl::TObject*, TSkStatusPanel*>;
using TDrawPanelEvent = vcl::TEvent<vcl::TObject*, TSkStatusPanel*, const RECT&>;
using TSkStatusPanelClass = vcl::TClass;
using TSkCreatePanelClassEvent = vcl::TEvent<vcl::TObject*, TSkStatusPanelClass&>;

class TSkCustomStatusBar : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomStatusBar, TSkCustomControl)
public:
    explicit TSkCustomStatusBar(vcl::TComponent* owner);
    ~TSkCustomStatusBar() override;

    TSkStatusPanels* Panels() const { return panels_; }
    void SetPanels(TSkStatusPanels* v) { panels_->Assign(v); }
    vcl::TCustomImageList* Images() const { return images_; }
    void SetImages(vcl::TCustomImageList* v);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool v);

    TPanelNotifyEvent OnPanelClick;
    TPanelNotifyEvent OnPanelDblClick;
    TDrawPanelEvent OnDrawPanel;
    TSkCreatePanelClassEvent OnCreatePanelClass;

    virtual TSkStatusPanel* CreatePanel();
    virtual RECT GetImageRect(TSkStatusPanel* panel);
    virtual SIZE GetImageSize(TSkStatusPanel* panel);
    virtual SIZE GetTextSize(TSkStatusPanel* panel);
    virtual RECT GetTextRect(TSkStatusPanel* panel);
    virtual RECT GetSizeGripRect();
    virtual RECT GetControlRect(TSkStatusPanel* panel);
    virtual void DrawPanelImage(TSkStatusPanel* panel, const RECT& rect);
    virtual void DrawPanelText(TSkStatusPanel* panel, const RECT& rect);
    virtual void DrawPanel(TSkStatusPanel* panel, const RECT& rect, bool isLast);
    virtual void DrawSizeGrip();
    virtual void PaintPanel(int index);
    virtual void DrawBackground();
    virtual RECT GetPanelRect(int index);

    // The grip sizes the form: set, on the form's client corner, and the
    // form (and its self-drawn frame) in the normal state and sizeable.
    bool SizeGripActive();
    TSkStatusPanel* PanelAt(int x, int y);
    bool ImageShown(TSkStatusPanel* panel) const;
    void LayoutPanels();

    void PaintClient() override;
    void PaintBorder() override;

protected:
    virtual void PanelClick(TSkStatusPanel* panel) { OnPanelClick(this, panel); }
    virtual void PanelDblClick(TSkStatusPanel* panel) { OnPanelDblClick(this, panel); }
    virtual void DrawPanelEvent(TSkStatusPanel* panel, const RECT& rect) { OnDrawPanel(this, panel, rect); }
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Resize() override;
    void DblClick() override;
    void AlignControls(vcl::TControl* control, RECT& rect) override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;

private:
    friend class TSkStatusPanels;
    void PanelChanged(int index);
    void LayoutChanged();
    void CMControlChange(vcl::TMessage& m);
    void CMFontChanged(vcl::TMessage& m);
    void CMSysColorChange(vcl::TMessage& m);
    void DrawPanelOn(int index);
    bool Themed() const;

    TSkStatusPanels* panels_;
    vcl::TCustomImageList* images_ = nullptr;
    bool sizeGrip_ = true;
    TSkStatusPanel* pressedPanel_ = nullptr;
};

}  // namespace skin
