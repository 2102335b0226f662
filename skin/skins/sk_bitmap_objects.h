#pragma once

// Skin objects that paint from rectangles of the skin bitmaps with nine-slice
// margins, and swap in other pictures by draw state.

#include <memory>

#include "skin/skins/sk_nine_slice.h"
#include "skin/skins/sk_skin_object.h"

namespace skin {

class TSkBitmapObject : public TSkSkinObject {
    VCL_DECLARE_CLASS(TSkBitmapObject, TSkSkinObject)
public:
    explicit TSkBitmapObject(vcl::TComponent* owner);
    ~TSkBitmapObject() override;

    TSkBitmapLink* Bitmap() const { return bitmap_.get(); }
    TscTileStyle BorderTileStyle() const { return borderTileStyle_; }
    void SetBorderTileStyle(TscTileStyle v) { borderTileStyle_ = v; }
    bool MaskedBorder() const { return maskedBorder_; }
    void SetMaskedBorder(bool v) { maskedBorder_ = v; }
    bool MaskedAngles() const { return maskedAngles_; }
    void SetMaskedAngles(bool v) { maskedAngles_ = v; }
    TscTileStyle TileStyle() const { return tileStyle_; }
    void SetTileStyle(TscTileStyle v) { tileStyle_ = v; }

    void Paint(vcl::TCanvas* canvas) override;
    HRGN CreateRegion() override;
    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    // The picture of the current state.
    virtual const TSkBitmapLink* PictureLink() { return bitmap_.get(); }
    virtual void PaintPicture(vcl::TCanvas* canvas);
    TSkSlicePlan SlicePlan() const;

private:
    std::unique_ptr<TSkBitmapLink> bitmap_;
    TscTileStyle borderTileStyle_ = tsTile;
    bool maskedBorder_ = true;
    bool maskedAngles_ = true;
    TscTileStyle tileStyle_ = tsTile;
};

class TSkActiveBitmap : public TSkBitmapObject {
    VCL_DECLARE_CLASS(TSkActiveBitmap, TSkBitmapObject)
public:
    explicit TSkActiveBitmap(vcl::TComponent* owner);
    ~TSkActiveBitmap() override;

    TSkBitmapLink* ActiveBitmap() const { return activeBitmap_.get(); }
    vcl::TFont* ActiveFont() const { return activeFont_.get(); }

    vcl::TFont* GetFont() override;
    void SetCharset(BYTE charset) override;
    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    const TSkBitmapLink* PictureLink() override;
    vcl::TFont* PaintFont() override { return GetFont(); }
    std::vector<HueColor> HueColors() const override;
    void SetHueColors(const std::vector<vcl::TColor>& colors) override;

private:
    std::unique_ptr<TSkBitmapLink> activeBitmap_;
    std::unique_ptr<vcl::TFont> activeFont_;
};

class TSkButtonObject : public TSkBitmapObject {
    VCL_DECLARE_CLASS(TSkButtonObject, TSkBitmapObject)
public:
    explicit TSkButtonObject(vcl::TComponent* owner);
    ~TSkButtonObject() override;

    TSkBitmapLink* BitmapHot() const { return links_.hot.get(); }
    TSkBitmapLink* BitmapFocused() const { return links_.focused.get(); }
    TSkBitmapLink* BitmapPressed() const { return links_.pressed.get(); }
    TSkBitmapLink* BitmapDisabled() const { return links_.disabled.get(); }

    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    const TSkBitmapLink* PictureLink() override;

private:
    TSkStateLinks links_;
};

}  // namespace skin
