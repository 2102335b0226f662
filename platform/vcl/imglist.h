#pragma once

// Image lists: equally sized images, each with an optional mask, drawn by index.

#include <vector>

#include "platform/vcl/graphics.h"

namespace vcl {

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
    VCL_DECLARE_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    int Width() const { return width_; }
    void SetWidth(int w);
    int Height() const { return height_; }
    void SetHeight(int h);
    bool Masked() const { return masked_; }
    void SetMasked(bool m) { masked_ = m; }
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor c) { bkColor_ = c; }
    TDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TDrawingStyle s) { drawingStyle_ = s; }
    int Count() const { return static_cast<int>(images_.size()); }

    // Cuts `image` into Width-wide cells; with `mask`, its white pixels are see-through.
    int Add(TBitmap* image, TBitmap* mask);
    // Cuts `image` into cells whose pixels of `maskColor` are see-through.
    int AddMasked(TBitmap* image, TColor maskColor);
    void Delete(int index);
    void Clear();
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void GetBitmap(int index, TBitmap* image);
    TNotifyEvent OnChange;

private:
    struct Image {
        std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
        std::vector<bool> clear;
    };
    int AddCells(TBitmap* image, const std::function<bool(int, int, std::uint32_t)>& isClear);
    void Changed() { OnChange(this); }
    int width_ = 16;
    int height_ = 16;
    bool masked_ = true;
    TColor bkColor_ = clNone;
    TDrawingStyle drawingStyle_ = dsNormal;
    std::vector<Image> images_;
};

class TImageList : public TCustomImageList {
    VCL_DECLARE_CLASS(TImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;
};

}  // namespace vcl
