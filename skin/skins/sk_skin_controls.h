#pragma once

// The skinned panel, progress bar and check box: each paints its parts
// from named children of its skin object and falls back to the plain look
// where the skin lacks them.

#include "skin/controls/sk_check_box.h"
#include "skin/controls/sk_panel.h"
#include "skin/controls/sk_progress_bar.h"
#include "skin/skins/sk_skin_copy.h"

namespace skin {

class TSkSkinProgressBar : public TSkCustomProgressBar {
    VCL_DECLARE_CLASS(TSkSkinProgressBar, TSkCustomProgressBar)
    SK_SKINNED_CONTROL_MEMBERS(true)
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
    SK_SKINNED_CONTROL_MEMBERS(true)
public:
    explicit TSkSkinPanel(vcl::TComponent* owner);
    void PaintTitle() override;
    void PaintFrame() override;

private:
    int savedTitleHeight_ = 0;
};

class TSkSkinCheckBox : public TSkCustomCheckBox {
    VCL_DECLARE_CLASS(TSkSkinCheckBox, TSkCustomCheckBox)
    SK_SKINNED_CONTROL_MEMBERS(true)
public:
    explicit TSkSkinCheckBox(vcl::TComponent* owner);
    POINT GetCheckSize() override;
    void PaintCheck() override;
};

}  // namespace skin
