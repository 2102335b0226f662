#pragma once

// The second family of skin objects: bitmap objects that paint their picture
// and text only (no nine-slice children pass), boxes with nine-slice edges,
// colour buttons, placeholders for linked controls and roll panels.

#include <memory>

#include "skin/skins/sk_nine_slice.h"
#include "skin/skins/sk_skin_object.h"

namespace skin {

class TSkLinkSkinObject : public TSkSkinObject {
    VCL_DECLARE_CLASS(TSkLinkSkinObject, TSkSkinObject)
public:
    explicit TSkLinkSkinObject(vcl::TComponent* owner) : TSkSkinObject(owner) {}
    vcl::AnsiString LinkControl() const { return linkControl_; }
    void SetLinkControl(const vcl::AnsiString& v) { linkControl_ = v; }
    void Paint(vcl::TCanvas* canvas) override;
    void Assign(vcl::TPersistent* source) override;

private:
    vcl::AnsiString linkControl_;
};

class TSkActiveSkinObject : public TSkSkinObject {
    VCL_DECLARE_CLASS(TSkActiveSkinObject, TSkSkinObject)
public:
    explicit TSkActiveSkinObject(vcl::TComponent* owner);
    ~TSkActiveSkinObject() override;
    vcl::TColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(vcl::TColor v) { activeColor_ = v; }
    vcl::TFont* ActiveFont() const { return activeFont_.get(); }

    void MouseEnter() override;
    void MouseLeave() override;
    void SetCharset(BYTE charset) override;
    void Assign(vcl::TPersistent* source) override;

protected:
    vcl::TColor PaintColor() override;
    vcl::TFont* PaintFont() override;
    std::vector<HueColor> HueColors() const override;
    void SetHueColors(const std::vector<vcl::TColor>& colors) override;

private:
    vcl::TColor activeColor_ = 0xFFFFFF;
    std::unique_ptr<vcl::TFont> activeFont_;
};

class TSkBitmapSkinObject : public TSkSkinObject {
    VCL_DECLARE_CLASS(TSkBitmapSkinObject, TSkSkinObject)
public:
    explicit TSkBitmapSkinObject(vcl::TComponent* owner);
    ~TSkBitmapSkinObject() override;
    TSkBitmapLink* Bitmap() const { return bitmap_.get(); }
    TscTileStyle TileStyle() const { return tileStyle_; }
    void SetTileStyle(TscTileStyle v) { tileStyle_ = v; }

    void Paint(vcl::TCanvas* canvas) override;
    HRGN CreateRegion() override;
    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    virtual const TSkBitmapLink* PictureLink() { return bitmap_.get(); }
    virtual void PaintPicture(vcl::TCanvas* canvas);

private:
    std::unique_ptr<TSkBitmapLink> bitmap_;
    TscTileStyle tileStyle_ = tsTile;
};

class TSkFormBitmapSkinObject : public TSkBitmapSkinObject {
    VCL_DECLARE_CLASS(TSkFormBitmapSkinObject, TSkBitmapSkinObject)
public:
    explicit TSkFormBitmapSkinObject(vcl::TComponent* owner);
    ~TSkFormBitmapSkinObject() override;
    TSkBitmapLink* InactiveBitmap() const { return inactive_.get(); }
    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    const TSkBitmapLink* PictureLink() override;

private:
    std::unique_ptr<TSkBitmapLink> inactive_;
};

class TSkColorButtonObject : public TSkSkinObject {
    VCL_DECLARE_CLASS(TSkColorButtonObject, TSkSkinObject)
public:
    explicit TSkColorButtonObject(vcl::TComponent* owner);
    ~TSkColorButtonObject() override;

    vcl::TColor HotColor() const { return colors_[0]; }
    void SetHotColor(vcl::TColor v) { colors_[0] = v; }
    vcl::TFont* HotFont() const { return fonts_[0].get(); }
    vcl::TColor PressedColor() const { return colors_[1]; }
    void SetPressedColor(vcl::TColor v) { colors_[1] = v; }
    vcl::TFont* PressedFont() const { return fonts_[1].get(); }
    vcl::TColor FocusedColor() const { return colors_[2]; }
    void SetFocusedColor(vcl::TColor v) { colors_[2] = v; }
    vcl::TFont* FocusedFont() const { return fonts_[2].get(); }
    vcl::TColor DisabledColor() const { return colors_[3]; }
    void SetDisabledColor(vcl::TColor v) { colors_[3] = v; }
    vcl::TFont* DisabledFont() const { return fonts_[3].get(); }

    void Paint(vcl::TCanvas* canvas) override;
    void SetCharset(BYTE charset) override;
    void Assign(vcl::TPersistent* source) override;

protected:
    std::vector<HueColor> HueColors() const override;
    void SetHueColors(const std::vector<vcl::TColor>& colors) override;

private:
    vcl::TColor colors_[4] = {0, 0, 0, 0};  // hot, pressed, focused, disabled
    std::unique_ptr<vcl::TFont> fonts_[4];
};

class TSkBitmapBoxObject : public TSkBitmapSkinObject {
    VCL_DECLARE_CLASS(TSkBitmapBoxObject, TSkBitmapSkinObject)
public:
    explicit TSkBitmapBoxObject(vcl::TComponent* owner) : TSkBitmapSkinObject(owner) {}
    TscTileStyle BorderTileStyle() const { return borderTileStyle_; }
    void SetBorderTileStyle(TscTileStyle v) { borderTileStyle_ = v; }
    void Assign(vcl::TPersistent* source) override;

protected:
    void PaintPicture(vcl::TCanvas* canvas) override;

private:
    TscTileStyle borderTileStyle_ = tsTile;
};

class TSkActiveBitmapBoxObject : public TSkBitmapBoxObject {
    VCL_DECLARE_CLASS(TSkActiveBitmapBoxObject, TSkBitmapBoxObject)
public:
    explicit TSkActiveBitmapBoxObject(vcl::TComponent* owner);
    ~TSkActiveBitmapBoxObject() override;
    TSkBitmapLink* FocusedBitmap() const { return focused_.get(); }
    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    const TSkBitmapLink* PictureLink() override;

private:
    std::unique_ptr<TSkBitmapLink> focused_;
};

class TSkButtonBitmapBoxObject : public TSkBitmapBoxObject {
    VCL_DECLARE_CLASS(TSkButtonBitmapBoxObject, TSkBitmapBoxObject)
public:
    explicit TSkButtonBitmapBoxObject(vcl::TComponent* owner);
    ~TSkButtonBitmapBoxObject() override;
    TSkBitmapLink* HotBitmap() const { return links_.hot.get(); }
    TSkBitmapLink* FocusedBitmap() const { return links_.focused.get(); }
    TSkBitmapLink* PressedBitmap() const { return links_.pressed.get(); }
    TSkBitmapLink* DisabledBitmap() const { return links_.disabled.get(); }
    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    const TSkBitmapLink* PictureLink() override;

private:
    TSkStateLinks links_;
};

enum TSkRollKind { rkLeft, rkTop, rkRight, rkBottom };
extern const vcl::TEnumInfo kRollKindInfo;

class TSkRollPanelObject : public TSkSkinObject {
    VCL_DECLARE_CLASS(TSkRollPanelObject, TSkSkinObject)
public:
    explicit TSkRollPanelObject(vcl::TComponent* owner) : TSkSkinObject(owner) {}
    TSkRollKind RollKind() const { return rollKind_; }
    void SetRollKind(TSkRollKind v) { rollKind_ = v; }
    int RollValue() const { return rollValue_; }
    void SetRollValue(int v) { rollValue_ = v; }
    // Toggles between the panel's own size and RollValue.
    void Roll();
    void Assign(vcl::TPersistent* source) override;

private:
    TSkRollKind rollKind_ = rkLeft;
    int rollValue_ = 0;
    int unrolledSize_ = 0;
};

// Registers the classes of this family after those of the object tree.
void RegisterSkinObjects2();

}  // namespace skin
