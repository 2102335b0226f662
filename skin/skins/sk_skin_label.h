#pragma once

// TSkSkinLabel: the label drawn with the colour and font of its skin object.

#include "skin/controls/sk_label.h"
#include "skin/skins/sk_skin_copy.h"

namespace skin {

class TSkSkinLabel : public TSkCustomLabel {
    VCL_DECLARE_CLASS(TSkSkinLabel, TSkCustomLabel)
public:
    explicit TSkSkinLabel(vcl::TComponent* owner);

    TSkSkinManager* SkinManager() const { return skin_.Manager(); }
    void SetSkinManager(TSkSkinManager* manager);
    vcl::AnsiString SkinObject() const { return skin_.ObjectName(); }
    void SetSkinObject(const vcl::AnsiString& name) { skin_.SetObjectName(name); }
    vcl::AnsiString Version() const { return "3.2.2"; }
    void SetVersion(const vcl::AnsiString&) {}
    TSkSkinCopy& Skin() { return skin_; }
    bool IsSkinned() const { return skin_.IsSkinned(true); }

    void PaintClient() override;

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    TSkSkinCopy skin_;
};

}  // namespace skin
