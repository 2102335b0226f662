#pragma once

// TSkGraphicControl: the windowless base of the library's owner-drawn
// controls, drawn on its parent with the same buffering, see-through and
// translucency as the windowed base.

#include "skin/controls/sk_paint_buffer.h"
#include "skin/graphics/sk_options.h"

namespace skin {

class TSkGraphicControl : public vcl::TGraphicControl {
    VCL_DECLARE_CLASS(TSkGraphicControl, vcl::TGraphicControl)
public:
    explicit TSkGraphicControl(vcl::TComponent* owner);
    ~TSkGraphicControl() override;

    TSkPerformance Performance() const { return performance_; }
    void SetPerformance(TSkPerformance v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TSkBlending* Blending() const { return blending_; }
    void SetBlending(TSkBlending* v);
    bool MouseInControl() const { return mouseInControl_; }

    vcl::TNotifyEvent OnMouseEnter;
    vcl::TNotifyEvent OnMouseLeave;

    virtual void PaintClient();
    // Paints the parent's face under this control into `dc` (at 0, 0).
    void CopyParentBackground(HDC dc);

protected:
    virtual void MouseEnter();
    virtual void MouseLeave();
    void Loaded() override;
    void Paint() override;
    vcl::TFont* PaintFont() const { return paintFont_; }

private:
    void CMMouseEnter(vcl::TMessage& m);
    void CMMouseLeave(vcl::TMessage& m);

    TSkPerformance performance_ = kspNoBuffer;
    bool transparent_ = false;
    TSkBlending* blending_;
    bool mouseInControl_ = false;
    vcl::TFont* paintFont_;
    TSkBitmap* blendBackground_;
};

}  // namespace skin
