#pragma once

// The skinned panel, progress bar and check box: each paints its parts
// from named children of its skin object and falls back to the plain look
// where the skin lacks them.

#include "skin/controls/sk_check_box.h"
#include "skin/controls/sk_panel.h"
#include "skin/controls/sk_progress_bar.h"
#include "skin/skins/sk_skin_copy.h"

namespace skin {

// What the three share: the manager, the object name and the copy.
#define SK_SKINNED_CONTROL_MEMBERS                                                   \
public:                                                                              \
    TSkSkinManager* SkinManager() const { return skin_.Manager(); }                  \
    void SetSkinManager(TSkSkinManager* manager);                                    \
    vcl::AnsiString SkinObject() const { return skin_.ObjectName(); }                \
    void SetSkinObject(const vcl::AnsiString& name) { skin_.SetObjectName(name); }   \
    vcl::AnsiString Version() const { return "3.2.2"; }                              \
    void SetVersion(const vcl::AnsiString&) {}                                       \
    TSkSkinCopy& Skin() { return skin_; }                                            \
    bool IsSkinned() const { return skin_.IsSkinned(true); }                         \
                                                                                     \
protected:                                                                           \
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override \
    {                                                                                \
        inherited::Notification(component, operation);                               \
        if (operation == vcl::opRemove && component == skin_.Manager())              \
            SetSkinManager(nullptr);                                                 \
    }                                                                                \
                                                                                     \
private:                                                                             \
    TSkSkinCopy skin_;

class TSkSkinProgressBar : public TSkCustomProgressBar {
    VCL_DECLARE_CLASS(TSkSkinProgressBar, TSkCustomProgressBar)
    SK_SKINNED_CONTROL_MEMBERS
public:
    explicit TSkSkinProgressBar(vcl::TComponent* owner);
    void GetBarRect(RECT& rect) const override;
    void PaintBar() override;
    void PaintFrame() override;

protected:
    void Loaded() override;
};

class TSkSkinPanel : public TSkCustomPanel {
    VCL_DECLARE_CLASS(TSkSkinPanel, TSkCustomPanel)
    SK_SKINNED_CONTROL_MEMBERS
public:
    explicit TSkSkinPanel(vcl::TComponent* owner);
    void PaintTitle() override;
    void PaintFrame() override;

private:
    int savedTitleHeight_ = 0;
};

class TSkSkinCheckBox : public TSkCustomCheckBox {
    VCL_DECLARE_CLASS(TSkSkinCheckBox, TSkCustomCheckBox)
    SK_SKINNED_CONTROL_MEMBERS
public:
    explicit TSkSkinCheckBox(vcl::TComponent* owner);
    POINT GetCheckSize() override;
    void PaintCheck() override;
};

#undef SK_SKINNED_CONTROL_MEMBERS

}  // namespace skin
