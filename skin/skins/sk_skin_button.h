#pragma once

// TSkSkinButton: the push button painted from its skin object's "Face" and
// "Text" in the draw state of the moment.

#include "skin/controls/sk_button.h"
#include "skin/skins/sk_skin_copy.h"

namespace skin {

class TSkSkinButton : public TSkCustomButton {
    VCL_DECLARE_CLASS(TSkSkinButton, TSkCustomButton)
public:
    explicit TSkSkinButton(vcl::TComponent* owner);

    TSkSkinManager* SkinManager() const { return skin_.Manager(); }
    void SetSkinManager(TSkSkinManager* manager);
    vcl::AnsiString SkinObject() const { return skin_.ObjectName(); }
    void SetSkinObject(const vcl::AnsiString& name) { skin_.SetObjectName(name); }
    vcl::AnsiString Version() const { return "3.2.2"; }
    void SetVersion(const vcl::AnsiString&) {}
    bool ShowGlyph() const { return showGlyph_; }
    void SetShowGlyph(bool v) { showGlyph_ = v; }
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool v) { showCaption_ = v; }
    TSkSkinCopy& Skin() { return skin_; }
    bool IsSkinned() const { return skin_.IsSkinned(true); }

    // 8 disabled, 6 pressed, 5 mouse over, 7 focused or active default, 0.
    std::uint8_t DrawState() const;

    void PaintFace() override;
    void PaintGlyph() override;
    void PaintCaption() override;

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    TSkSkinCopy skin_;
    bool showGlyph_ = true;
    bool showCaption_ = true;
};

}  // namespace skin
