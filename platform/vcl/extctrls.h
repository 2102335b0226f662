#pragma once

// Timer, image and shape.

#include "platform/vcl/controls.h"

namespace vcl {

class TTimer : public TComponent {
    VCL_DECLARE_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned v);
    TNotifyEvent OnTimer;

protected:
    virtual void Timer() { OnTimer(this); }

private:
    void UpdateTimer();
    void WndProc(TMessage& m);
    HWND window_ = nullptr;
    bool enabled_ = true;
    unsigned interval_ = 1000;
};

class TImage : public TGraphicControl {
    VCL_DECLARE_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    TPicture* Picture() const { return picture_; }
    void SetPicture(TPicture* p) { picture_->Assign(p); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    bool Center() const { return center_; }
    void SetCenter(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    RECT DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged(TObject*);
    TPicture* picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool transparent_ = false;
    bool autoSize_ = false;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
extern const TEnumInfo kShapeTypeInfo;

class TShape : public TGraphicControl {
    VCL_DECLARE_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* owner);
    ~TShape() override;
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType s);
    TPen* Pen() const { return pen_; }
    void SetPen(TPen* p) { pen_->Assign(p); }
    TBrush* Brush() const { return brush_; }
    void SetBrush(TBrush* b) { brush_->Assign(b); }

protected:
    void Paint() override;

private:
    TShapeType shape_ = stRectangle;
    TPen* pen_;
    TBrush* brush_;
};

}  // namespace vcl
