#pragma once

// What the two control bases share for painting: the buffering modes, the
// program's one shared paint buffer, and the background request through
// which a control asks its parent to paint the face that lies under it.

#include "platform/vcl/controls.h"
#include <functional>
#include <memory>

#include "skin/graphics/sk_bitmap.h"
#include "skin/graphics/sk_options.h"

namespace skin {

enum TSkPerformance { kspNoBuffer, kspSharedBuffer, kspDoubleBuffer };
extern const vcl::TEnumInfo kPerformanceInfo;

// The shared buffer, with pixels for at least `width` x `height`: made at
// the screen's size + 500 on first use, and grown when a larger control
// asks for more.
TSkBitmap* SharedPaintBuffer(int width, int height);
// The buffer as it stands (empty until the first shared-buffer paint).
TSkBitmap* SharedPaintBufferIfAny();
void CreateSharedPaintBuffer();
void FreeSharedPaintBuffer();

// One paint through the chosen buffer: the target to draw on, then the
// translucency over the parent's face and the copy to the window.
class TSkBufferedPaint {
public:
    // `clearToKey` fills the buffer's area with KeyColor first.
    TSkBufferedPaint(TSkPerformance mode, int width, int height, bool clearToKey);
    TSkBufferedPaint(const TSkBufferedPaint&) = delete;
    TSkBufferedPaint& operator=(const TSkBufferedPaint&) = delete;
    bool Buffered() const { return buffer_ != nullptr; }
    HDC Target(HDC windowDC) const { return buffer_ ? buffer_->DC() : windowDC; }
    // `copyParent` paints the parent's face into a DC; it fills
    // `blendBackground` when blending is on.
    void Finish(HDC windowDC, const TSkBlending* blending, TSkBitmap* blendBackground,
                const std::function<void(HDC)>& copyParent);

private:
    TSkBitmap* buffer_ = nullptr;
    std::unique_ptr<TSkBitmap> own_;
    RECT area_{};
};

// Whether the buffering mode may become `mode`: unchanged values and no
// buffer while blending are refused.
inline bool AcceptsPerformance(TSkPerformance current, TSkPerformance mode, const TSkBlending* blending)
{
    return mode != current && !(mode == kspNoBuffer && blending->Enabled());
}

// The background request: a message of the library's own, sent to a parent
// with wParam = the DC (its origin on the parent's client area) and lParam =
// the address of a TSkBackgroundRequest. Only the library sends it, so the
// address is never guessed from an ordinary message; a parent that does not
// answer it (result 0) gets a plain WM_ERASEBKGND instead.
constexpr UINT SKM_BACKGROUNDREQUEST = 0xB3A0;

struct TSkBackgroundRequest {
    bool Marker = true;
    RECT Bounds{};          // the asking control in parent client coordinates
    bool Buffered = false;  // from a buffered paint, or a windowless control painting unbuffered
};

// The request as a receiver sees it: null unless `m` is a background request.
const TSkBackgroundRequest* BackgroundRequestOf(const vcl::TMessage& m);

// Asks `parent` to paint its face into `dc`. `viaWindow` sends the request to
// the parent's window (so that hooks of the window see it); otherwise it goes
// straight to the parent's message handling.
void SendBackgroundRequest(vcl::TWinControl* parent, HDC dc, const TSkBackgroundRequest& request, bool viaWindow);

// How a control gets its parent's face (shared by both bases).
struct TSkParentFace {
    POINT Origin{};               // the control's client origin in parent client coordinates
    int Width = 0, Height = 0;    // the control's painting size
    bool Buffered = false;        // the control paints through a buffer
    bool RequestBuffered = false; // the request's own flag
    bool PaintGraphicSiblings = false;  // for translucency: the parent's windowless children too
    bool DeviceBitmap = false;    // the unbuffered temporary picture is a class-library bitmap
};
// Paints the parent's face under the control into `dc` at (0, 0); the DC's
// state is left as it was.
void PaintParentFace(vcl::TControl* control, HDC dc, const TSkParentFace& how);

}  // namespace skin
