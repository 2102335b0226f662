#include "skin/controls/sk_graphic_control.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkGraphicControl, vcl::TGraphicControl, [](auto& b) {
    b.Object("Blending", &TSkGraphicControl::Blending, &TSkGraphicControl::SetBlending);
    b.Enum("Performance", &kPerformanceInfo, &TSkGraphicControl::Performance, &TSkGraphicControl::SetPerformance,
           std::optional<TSkPerformance>(kspNoBuffer));
    b.Bool("Transparent", &TSkGraphicControl::Transparent, &TSkGraphicControl::SetTransparent, false);
    b.Event("OnMouseEnter", &TSkGraphicControl::OnMouseEnter);
    b.Event("OnMouseLeave", &TSkGraphicControl::OnMouseLeave);
    b.Message(vcl::CM_MOUSEENTER, &TSkGraphicControl::CMMouseEnter);
    b.Message(vcl::CM_MOUSELEAVE, &TSkGraphicControl::CMMouseLeave);
})

TSkGraphicControl::TSkGraphicControl(vcl::TComponent* owner)
    : vcl::TGraphicControl(owner), blending_(new TSkBlending()), paintFont_(new vcl::TFont()),
      blendBackground_(new TSkBitmap())
{
    controlStyle_.Include(vcl::csOpaque);
    SetColor(vcl::clBtnFace);
    SetBounds(0, 0, 100, 30);
}

TSkGraphicControl::~TSkGraphicControl()
{
    delete blendBackground_;
    delete paintFont_;
    delete blending_;
}

void TSkGraphicControl::SetPerformance(TSkPerformance v)
{
    if (!AcceptsPerformance(performance_, v, blending_))
        return;
    performance_ = v;
    Invalidate();
}

void TSkGraphicControl::SetTransparent(bool v)
{
    if (v == transparent_)
        return;
    transparent_ = v;
    Invalidate();
}

void TSkGraphicControl::SetBlending(TSkBlending* v)
{
    blending_->Assign(v);
    if (blending_->Enabled() && performance_ == kspNoBuffer)
        performance_ = kspDoubleBuffer;
    if (!ComponentState().Contains(vcl::csLoading))
        Invalidate();
}

void TSkGraphicControl::PaintClient()
{
    if (transparent_)
        return;
    vcl::TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->FillRect(ClientRect());
}

void TSkGraphicControl::CopyParentBackground(HDC dc)
{
    if (!Parent() || !Parent()->HandleAllocated())
        return;
    TSkParentFace how;
    how.Origin = POINT{Left(), Top()};
    how.Width = Width();
    how.Height = Height();
    how.Buffered = performance_ != kspNoBuffer;
    how.RequestBuffered = true;
    how.DeviceBitmap = true;
    PaintParentFace(this, dc, how);
}

void TSkGraphicControl::MouseEnter()
{
    mouseInControl_ = true;
    OnMouseEnter(this);
}

void TSkGraphicControl::MouseLeave()
{
    mouseInControl_ = false;
    OnMouseLeave(this);
}

void TSkGraphicControl::CMMouseEnter(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    MouseEnter();
}

void TSkGraphicControl::CMMouseLeave(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    MouseLeave();
}

void TSkGraphicControl::Loaded()
{
    vcl::TGraphicControl::Loaded();
    Invalidate();
}

void TSkGraphicControl::Paint()
{
    const int width = Width(), height = Height();
    if (width <= 0 || height <= 0)
        return;
    vcl::TCanvas* canvas = Canvas();
    HDC windowDC = canvas->Handle();
    canvas->Lock();
    try {
        TSkBufferedPaint paint(performance_, width, height, false);
        canvas->SetHandle(paint.Target(windowDC));
        paintFont_->Assign(Font());
        if (transparent_)
            CopyParentBackground(canvas->Handle());
        PaintClient();
        paint.Finish(windowDC, blending_, blendBackground_, [this](HDC target) { CopyParentBackground(target); });
    } catch (...) {
        canvas->SetHandle(windowDC);
        canvas->Unlock();
        throw;
    }
    canvas->SetHandle(windowDC);
    canvas->Unlock();
}

}  // namespace skin
