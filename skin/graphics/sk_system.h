#pragma once

// System services of the control unit: nested mouse capture, keyboard
// repeat timing, the client-edge remover, the skinned-form lookup, and the
// resources made once at start (caption fonts, frame-button images,
// metrics, the list glyph, default colours).

#include "platform/vcl/controls.h"
#include "platform/vcl/imglist.h"
#include "skin/graphics/sk_bitmap.h"

namespace skin {

void CaptureMouse(HWND window);
void ReleaseMouse();

int KeyRepeatDelay();     // milliseconds
int KeyRepeatInterval();  // milliseconds

void RemoveClientEdge(HWND window);

// The active self-drawn frame component of the control's top-level form:
// the first component of a class named "TSkCustomForm" (or derived) whose
// published Active property is set; nil otherwise.
vcl::TComponent* GetSkForm(vcl::TControl* control);

// Resources of the drawing unit, valid between InitGraphicsUnit and
// FinalizeGraphicsUnit. The start also seeds the transitions' random
// generator from the wall clock, so that random effects differ from run to
// run.
struct TSkSystemResources {
    vcl::TFont* CaptionFont = nullptr;
    vcl::TFont* SmallCaptionFont = nullptr;
    vcl::TImageList* FrameButtons = nullptr;  // close, minimize, maximize, restore, rollup, tray
    TSkBitmap* ListGlyph = nullptr;
    int FrameWidth = 0, CaptionHeight = 0, SmallCaptionHeight = 0, CaptionButtonWidth = 0, CaptionButtonHeight = 0;
    TPixel WindowPixel = 0, BtnFacePixel = 0, BtnShadowPixel = 0;
};
const TSkSystemResources& SystemResources();
void InitGraphicsUnit();
void FinalizeGraphicsUnit();
// Caption fonts from the non-client metrics, for the frame's own use.
void LoadCaptionFonts(vcl::TFont* caption, vcl::TFont* smallCaption);

}  // namespace skin
