#include "platform/vcl/extctrls.h"

namespace vcl {

const TEnumInfo kShapeTypeInfo{"TShapeType", {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"}};

// ------------------------------------------------------------------- TTimer

VCL_IMPLEMENT_CLASS(TTimer, TComponent, [](auto& b) {
    b.Component();
    b.Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true);
    b.Int("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000);
    b.Event("OnTimer", &TTimer::OnTimer);
})

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    window_ = AllocateHWnd([this](TMessage& m) { WndProc(m); });
}

TTimer::~TTimer()
{
    enabled_ = false;
    UpdateTimer();
    DeallocateHWnd(window_);
}

void TTimer::UpdateTimer()
{
    KillTimer(window_, 1);
    // Started even before OnTimer is assigned: an event is a plain field here.
    if (interval_ != 0 && enabled_) {
        if (SetTimer(window_, 1, interval_, nullptr) == 0)
            throw EOutOfResources(consts::SOutOfResources);
    }
}

void TTimer::SetEnabled(bool v)
{
    if (v == enabled_)
        return;
    enabled_ = v;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned v)
{
    if (v == interval_)
        return;
    interval_ = v;
    UpdateTimer();
}

void TTimer::WndProc(TMessage& m)
{
    if (m.Msg == WM_TIMER) {
        Timer();
        return;
    }
    m.Result = DefWindowProcA(window_, m.Msg, m.WParam, m.LParam);
}

// ------------------------------------------------------------------- TImage

VCL_IMPLEMENT_CLASS(TImage, TGraphicControl, [](auto& b) {
    b.Component();
    b.Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false);
    b.Bool("Center", &TImage::Center, &TImage::SetCenter, false);
    b.Object("Picture", &TImage::Picture, &TImage::SetPicture);
    b.Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false);
    b.Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
})

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(new TPicture())
{
    controlStyle_.Include(csReplicatable);
    picture_->OnChange = [this](TObject* s) { PictureChanged(s); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { delete picture_; }

void TImage::PictureChanged(TObject*)
{
    if (picture_->Graphic())
        picture_->Graphic()->SetTransparent(transparent_);
    if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    Invalidate();
}

void TImage::SetStretch(bool v)
{
    if (v != stretch_) {
        stretch_ = v;
        Invalidate();
    }
}

void TImage::SetCenter(bool v)
{
    if (v != center_) {
        center_ = v;
        Invalidate();
    }
}

void TImage::SetTransparent(bool v)
{
    if (v != transparent_) {
        transparent_ = v;
        PictureChanged(this);
    }
}

void TImage::SetAutoSize(bool v)
{
    autoSize_ = v;
    if (v)
        PictureChanged(this);
}

RECT TImage::DestRect() const
{
    if (stretch_)
        return ClientRect();
    const int w = picture_->Width(), h = picture_->Height();
    if (center_)
        return RECT{(Width() - w) / 2, (Height() - h) / 2, (Width() - w) / 2 + w, (Height() - h) / 2 + h};
    return RECT{0, 0, w, h};
}

void TImage::Paint()
{
    if (picture_->Graphic())
        Canvas()->StretchDraw(DestRect(), picture_->Graphic());
}

// ------------------------------------------------------------------- TShape

VCL_IMPLEMENT_CLASS(TShape, TGraphicControl, [](auto& b) {
    b.Component();
    b.Object("Brush", &TShape::Brush, &TShape::SetBrush);
    b.Object("Pen", &TShape::Pen, &TShape::SetPen);
    b.Enum("Shape", &kShapeTypeInfo, &TShape::Shape, &TShape::SetShape, std::optional<TShapeType>(stRectangle));
})

TShape::TShape(TComponent* owner) : TGraphicControl(owner), pen_(new TPen()), brush_(new TBrush())
{
    controlStyle_.Include(csReplicatable);
    pen_->OnChange = [this](TObject*) { Invalidate(); };
    brush_->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(0, 0, 65, 65);
}

TShape::~TShape()
{
    delete pen_;
    delete brush_;
}

void TShape::SetShape(TShapeType s)
{
    if (s != shape_) {
        shape_ = s;
        Invalidate();
    }
}

void TShape::Paint()
{
    TCanvas* c = Canvas();
    c->SetPen(pen_);
    c->SetBrush(brush_);
    const int pw = pen_->Width();
    const int half = pw / 2;
    int x = half, y = half;
    int w = Width() - pw + 1, h = Height() - pw + 1;
    if (pw == 0) {
        --w;
        --h;
    }
    if (w < h && (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle)) {
        y += (h - w) / 2;
        h = w;
    } else if (h < w && (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle)) {
        x += (w - h) / 2;
        w = h;
    }
    switch (shape_) {
    case stRectangle:
    case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: c->RoundRect(x, y, x + w, y + h, std::min(w, h) / 4, std::min(w, h) / 4); break;
    case stEllipse:
    case stCircle: c->Ellipse(x, y, x + w, y + h); break;
    }
}

}  // namespace vcl
