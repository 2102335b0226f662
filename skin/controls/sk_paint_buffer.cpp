#include "skin/controls/sk_paint_buffer.h"

#include <algorithm>

#include "platform/vcl/forms.h"
#include "skin/graphics/sk_system.h"

namespace skin {

const vcl::TEnumInfo kPerformanceInfo{"TSkPerformance", {"kspNoBuffer", "kspSharedBuffer", "kspDoubleBuffer"}};

namespace {

constexpr int kSharedBufferMargin = 500;
TSkBitmap* sharedBuffer = nullptr;

}  // namespace

void CreateSharedPaintBuffer()
{
    if (!sharedBuffer)
        sharedBuffer = new TSkBitmap();
}

void FreeSharedPaintBuffer()
{
    delete sharedBuffer;
    sharedBuffer = nullptr;
}

TSkBitmap* SharedPaintBufferIfAny() { return sharedBuffer; }

TSkBitmap* SharedPaintBuffer(int width, int height)
{
    CreateSharedPaintBuffer();
    if (sharedBuffer->Empty() || sharedBuffer->Width() < width || sharedBuffer->Height() < height) {
        const int w = std::max({width, vcl::Screen->Width() + kSharedBufferMargin, sharedBuffer->Width()});
        const int h = std::max({height, vcl::Screen->Height() + kSharedBufferMargin, sharedBuffer->Height()});
        sharedBuffer->SetSize(w, h);
    }
    return sharedBuffer;
}

TSkBufferedPaint::TSkBufferedPaint(TSkPerformance mode, int width, int height, bool clearToKey)
    : area_{0, 0, width, height}
{
    if (mode == kspSharedBuffer) {
        buffer_ = SharedPaintBuffer(width, height);
        if (clearToKey)
            buffer_->FillRect(area_, KeyColor);
    } else if (mode == kspDoubleBuffer) {
        own_ = std::make_unique<TSkBitmap>();
        own_->SetSize(width, height);
        if (clearToKey)
            own_->Fill(KeyColor);
        buffer_ = own_.get();
    }
}

void TSkBufferedPaint::Finish(HDC windowDC, const TSkBlending* blending, TSkBitmap* blendBackground,
                              const std::function<void(HDC)>& copyParent)
{
    if (!buffer_)
        return;
    if (blending->Enabled()) {
        blendBackground->SetSize(area_.right, area_.bottom);
        blendBackground->SetAlpha(255);
        copyParent(blendBackground->DC());
        const auto alpha = static_cast<std::uint8_t>(blending->Value());
        if (own_)
            buffer_->SetAlpha(alpha);
        else
            buffer_->SetRectAlpha(alpha, area_);
        buffer_->ComposeOver(blendBackground, 0, 0, area_);
    }
    if (own_)
        buffer_->Draw(windowDC, 0, 0, false);
    else
        buffer_->DrawRect(windowDC, 0, 0, area_, false);
}

const TSkBackgroundRequest* BackgroundRequestOf(const vcl::TMessage& m)
{
    if (m.Msg != SKM_BACKGROUNDREQUEST || !m.LParam)
        return nullptr;
    const auto* request = reinterpret_cast<const TSkBackgroundRequest*>(m.LParam);
    return request->Marker ? request : nullptr;
}

void SendBackgroundRequest(vcl::TWinControl* parent, HDC dc, const TSkBackgroundRequest& request, bool viaWindow)
{
    const WPARAM wParam = reinterpret_cast<WPARAM>(dc);
    const LPARAM lParam = reinterpret_cast<LPARAM>(&request);
    LRESULT answered = 0;
    if (viaWindow && parent->HandleAllocated())
        answered = SendMessageA(parent->Handle(), SKM_BACKGROUNDREQUEST, wParam, lParam);
    else
        answered = parent->Perform(SKM_BACKGROUNDREQUEST, wParam, lParam);
    if (answered)
        return;
    if (viaWindow && parent->HandleAllocated())
        SendMessageA(parent->Handle(), WM_ERASEBKGND, wParam, 0);
    else
        parent->Perform(WM_ERASEBKGND, wParam, 0);
}

namespace {

// The parent's face drawn into `dc`, whose origin already stands on the
// parent's client area.
void AskParent(vcl::TControl* control, HDC dc, const TSkParentFace& how, bool unbuffered)
{
    vcl::TWinControl* parent = control->Parent();
    auto* form = dynamic_cast<vcl::TCustomForm*>(parent);
    TSkBackgroundRequest request;
    request.Bounds = control->BoundsRect();
    request.Buffered = how.RequestBuffered;
    if (control->ComponentState().Contains(vcl::csDesigning)) {
        if (form) {
            vcl::TCanvas canvas;
            canvas.SetHandle(dc);
            canvas.Brush()->SetColor(form->Color());
            canvas.Brush()->SetStyle(vcl::bsSolid);
            canvas.FillRect(RECT{0, 0, form->Width(), form->Height()});
            canvas.SetHandle(nullptr);
        } else {
            SendBackgroundRequest(parent, dc, request, false);
        }
        return;
    }
    if (unbuffered && form) {
        if (vcl::TComponent* frame = GetSkForm(control)) {
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, request.Bounds.left, request.Bounds.top, request.Bounds.right,
                              request.Bounds.bottom);
            vcl::TMessage m{SKM_BACKGROUNDREQUEST, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(&request), 0};
            frame->Dispatch(m);
            if (!m.Result)
                form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            RestoreDC(dc, saved);
            return;
        }
    }
    SendBackgroundRequest(parent, dc, request, form != nullptr);
}

void PaintGraphicSiblings(vcl::TWinControl* parent, HDC dc)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        vcl::TControl* c = parent->Controls(i);
        if (!c->Visible() || !dynamic_cast<vcl::TGraphicControl*>(c))
            continue;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
        OffsetWindowOrgEx(dc, -c->Left(), -c->Top(), nullptr);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        RestoreDC(dc, saved);
    }
}

}  // namespace

void PaintParentFace(vcl::TControl* control, HDC dc, const TSkParentFace& how)
{
    vcl::TWinControl* parent = control->Parent();
    if (!parent || how.Width <= 0 || how.Height <= 0 || !dc)
        return;
    const int saved = SaveDC(dc);
    const bool designing = control->ComponentState().Contains(vcl::csDesigning);
    if (designing || how.Buffered) {
        OffsetWindowOrgEx(dc, how.Origin.x, how.Origin.y, nullptr);
        AskParent(control, dc, how, false);
        if (how.PaintGraphicSiblings)
            PaintGraphicSiblings(parent, dc);
    } else if (how.DeviceBitmap) {
        vcl::TBitmap picture;
        picture.SetHandleType(vcl::bmDDB);
        picture.SetSize(how.Width, how.Height);
        HDC pictureDC = picture.Canvas()->Handle();
        const int pictureSaved = SaveDC(pictureDC);
        OffsetWindowOrgEx(pictureDC, how.Origin.x, how.Origin.y, nullptr);
        AskParent(control, pictureDC, how, true);
        RestoreDC(pictureDC, pictureSaved);
        BitBlt(dc, 0, 0, how.Width, how.Height, pictureDC, 0, 0, SRCCOPY);
    } else {
        TSkBitmap picture;
        picture.SetSize(how.Width, how.Height);
        const int pictureSaved = SaveDC(picture.DC());
        OffsetWindowOrgEx(picture.DC(), how.Origin.x, how.Origin.y, nullptr);
        AskParent(control, picture.DC(), how, true);
        RestoreDC(picture.DC(), pictureSaved);
        BitBlt(dc, 0, 0, how.Width, how.Height, picture.DC(), 0, 0, SRCCOPY);
    }
    RestoreDC(dc, saved);
}

}  // namespace skin
