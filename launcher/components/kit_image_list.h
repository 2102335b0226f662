#pragma once

// Image strips: equal-sized images side by side in one bitmap, with an
// optional mask strip, kept as items of an image-list container.

#include "launcher/components/kit_container.h"

namespace kit {

inline constexpr int kMaxStripWidth = 32768;
inline constexpr const char* kTooManyImages = "Zu viele Bilder";
inline constexpr const char* kInvalidImageSize = "Ungültige Bildgröße";

class TKitImageListItem : public TKitListItem {
    VCL_DECLARE_CLASS(TKitImageListItem, TKitListItem)
public:
    explicit TKitImageListItem(vcl::TComponent* owner);
    ~TKitImageListItem() override;

    int AllocBy() const { return allocBy_; }
    void SetAllocBy(int value) { allocBy_ = value; }
    bool Masked() const { return masked_; }
    void SetMasked(bool value) { masked_ = value; }
    int Height() const { return height_; }
    void SetHeight(int value);  // empties the strip
    int Width() const { return width_; }
    void SetWidth(int value);   // empties the strip
    int Count() const { return count_; }
    vcl::TBitmap* Strip() const { return strip_; }
    vcl::TBitmap* MaskStrip() const { return mask_; }
    TKitSavePixelFormat SavePixelFormat() const { return savePixelFormat_; }
    void SetSavePixelFormat(TKitSavePixelFormat value) { savePixelFormat_ = value; }

    // Appends an image (and its mask when masked); its index.
    int Add(vcl::TBitmap* image, vcl::TBitmap* mask);
    // Draws image `index` by DrawBitmap's flags: through its mask when
    // masked, else transparent by its own bottom-left pixel. The covered
    // rectangle; nothing for an index out of range.
    RECT Draw(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags);
    // The same, disabled (DrawDisabledBitmap).
    RECT DrawDisabled(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags, vcl::TColor disabledColor);

protected:
    std::vector<std::uint8_t> DataBytes() const override;
    void SetDataBytes(const std::vector<std::uint8_t>& data) override;
    bool HasData() const override { return true; }
    std::optional<TKitStripHeader> StripHeader() const override;
    void SetStripHeader(const TKitStripHeader& header) override;
    std::uint8_t RecordFlags() const override { return SavePixelFormatBits(savePixelFormat_); }
    // Also reads the record from the older property "Bitmap".
    void DefineProperties(vcl::TFiler* filer) override;
    void SetRecordFlags(std::uint8_t bits) override { savePixelFormat_ = SavePixelFormatOf(bits); }

private:
    void Clear();
    void Cut(vcl::TBitmap* strip, int index, vcl::TBitmap* piece) const;
    RECT DrawPiece(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags, bool disabled,
                   vcl::TColor disabledColor);

    int allocBy_ = 4;
    bool masked_ = false;
    int height_ = 16;
    int width_ = 16;
    int count_ = 0;
    vcl::TBitmap* strip_;
    vcl::TBitmap* mask_;
    TKitSavePixelFormat savePixelFormat_ = spfDefault;
};

class TKitImageList : public TKitCustomImageList {
    VCL_DECLARE_CLASS(TKitImageList, TKitCustomImageList)
public:
    explicit TKitImageList(vcl::TComponent* owner) : TKitCustomImageList(owner) {}
    RECT DrawImage(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags, bool enabled = true) override;
    TKitContainerKind Kind() const override { return TKitContainerKind::ImageList; }
    TKitImageListItem* ImageItem(int index) const { return static_cast<TKitImageListItem*>(Items(index)); }

protected:
    TKitListItem* CreateItem() override;
};

}  // namespace kit
