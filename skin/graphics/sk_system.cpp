#include "skin/graphics/sk_system.h"

#include <chrono>
#include <cmath>

#include "platform/vcl/forms.h"
#include "platform/user/winuser.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"
#include "skin/graphics/sk_transition.h"

namespace skin {

// ----------------------------------------------------------------- capture

namespace {

int captureCount = 0;
HWND captureWindow = nullptr;
TSkSystemResources resources;

}  // namespace

void CaptureMouse(HWND window)
{
    if (captureCount++ == 0) {
        captureWindow = window;
        SetCapture(window);
    }
}

void ReleaseMouse()
{
    if (captureCount == 0)
        return;
    if (--captureCount == 0) {
        // Another window may have taken the capture meanwhile; leave it be.
        if (GetCapture() == captureWindow)
            ReleaseCapture();
        captureWindow = nullptr;
    }
}

// ------------------------------------------------------------ key repeat

int KeyRepeatDelay()
{
    UINT value = 0;
    SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &value, 0);
    return static_cast<int>((value + 1) * 200);
}

int KeyRepeatInterval()
{
    UINT value = 0;
    SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &value, 0);
    return static_cast<int>(vcl::Round(1000.0 / ((value + 1) * 2.3)));
}

void RemoveClientEdge(HWND window)
{
    if (!window)
        return;
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) & ~static_cast<LONG>(WS_EX_CLIENTEDGE));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

vcl::TComponent* GetSkForm(vcl::TControl* control)
{
    if (!control)
        return nullptr;
    vcl::TControl* top = control;
    while (top->Parent())
        top = top->Parent();
    auto* form = dynamic_cast<vcl::TCustomForm*>(top);
    const vcl::TClass frameClass = vcl::GetClass("TSkCustomForm");
    if (!form || !frameClass)
        return nullptr;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        vcl::TComponent* c = form->Components(i);
        if (!c->InheritsFrom(frameClass))
            continue;
        const vcl::TPropInfo* active = c->ClassType()->FindProperty("Active");
        if (active && active->getOrd && active->getOrd(c) != 0)
            return c;
    }
    return nullptr;
}

// ------------------------------------------------------------- resources

const TSkSystemResources& SystemResources() { return resources; }

void LoadCaptionFonts(vcl::TFont* caption, vcl::TFont* smallCaption)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return;
    auto apply = [](vcl::TFont* font, const LOGFONTA& lf) {
        if (!font)
            return;
        font->SetName(lf.lfFaceName);
        font->SetHeight(lf.lfHeight);
        font->SetCharset(lf.lfCharSet);
        vcl::TFontStyles style;
        if (lf.lfWeight >= FW_BOLD)
            style.Include(vcl::fsBold);
        if (lf.lfItalic)
            style.Include(vcl::fsItalic);
        font->SetStyle(style);
    };
    apply(caption, metrics.lfCaptionFont);
    apply(smallCaption, metrics.lfSmCaptionFont);
}

void InitGraphicsUnit()
{
    if (resources.CaptionFont)
        return;
    resources.WindowPixel = ColorToPixel(vcl::clWindow);
    resources.BtnFacePixel = ColorToPixel(vcl::clBtnFace);
    resources.BtnShadowPixel = ColorToPixel(vcl::clBtnShadow);
    // The wall clock, not the program's clock: a virtual clock would give
    // every run the same effects.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    TransitionRandomize(static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    resources.CaptionFont = new vcl::TFont();
    resources.SmallCaptionFont = new vcl::TFont();
    LoadCaptionFonts(resources.CaptionFont, resources.SmallCaptionFont);

    resources.FrameButtons = new vcl::TImageList(nullptr);
    resources.FrameButtons->SetMasked(true);
    resources.FrameButtons->SetDrawingStyle(vcl::dsNormal);
    for (const char* name : {"SK_FORM_CLOSE", "SK_FORM_MINIMIZE", "SK_FORM_MAXIMIZE", "SK_FORM_RESTORE",
                             "SK_FORM_ROLLUP", "SK_FORM_TRAY"}) {
        vcl::TBitmap picture;
        try {
            picture.LoadFromResourceName(nullptr, name);
            if (resources.FrameButtons->Count() == 0) {
                resources.FrameButtons->SetWidth(picture.Width());
                resources.FrameButtons->SetHeight(picture.Height());
            }
            resources.FrameButtons->AddMasked(&picture, static_cast<vcl::TColor>(RGB(255, 0, 255)));
        } catch (const vcl::Exception&) {
            // A program that carries no frame-button pictures draws without them.
        }
    }

    resources.FrameWidth = GetSystemMetrics(SM_CXFRAME);
    resources.CaptionHeight = GetSystemMetrics(SM_CYCAPTION);
    resources.SmallCaptionHeight = GetSystemMetrics(SM_CYSMCAPTION);
    resources.CaptionButtonWidth = GetSystemMetrics(SM_CXSIZE);
    resources.CaptionButtonHeight = GetSystemMetrics(SM_CYSIZE);
    InitOsFlags();

    resources.ListGlyph = new TSkBitmap();
    try {
        vcl::TBitmap glyph;
        glyph.LoadFromResourceName(nullptr, "SK_LIST_TRUETYPE");
        resources.ListGlyph->Assign(&glyph);
    } catch (const vcl::Exception&) {
    }
    resources.ListGlyph->SetAlphaBlend(true);
    resources.ListGlyph->MaskColor(0x00FF00FF);
    ThemeApiAcquire();
}

void FinalizeGraphicsUnit()
{
    if (!resources.CaptionFont)
        return;
    FreeButtonGlyphs();
    delete resources.FrameButtons;
    delete resources.CaptionFont;
    delete resources.SmallCaptionFont;
    delete resources.ListGlyph;
    resources = TSkSystemResources{};
    ThemeApiRelease();
}

}  // namespace skin
