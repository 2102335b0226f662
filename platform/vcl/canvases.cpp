#include <unordered_map>

#include "platform/vcl/controls.h"
#include "platform/vcl/forms.h"

namespace vcl {

// ---------------------------------------------------------- TControlCanvas

VCL_IMPLEMENT_CLASS(TControlCanvas, TCanvas, [](auto&) {})

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* c)
{
    if (control_ == c)
        return;
    FreeHandle();
    control_ = c;
}

void TControlCanvas::FreeHandle()
{
    if (dc_) {
        SetHandle(nullptr);
        ReleaseDC(window_, dc_);
        dc_ = nullptr;
        window_ = nullptr;
    }
}

void TControlCanvas::CreateHandle()
{
    if (!control_)
        return;
    if (auto* w = dynamic_cast<TWinControl*>(control_)) {
        window_ = w->Handle();
        dc_ = GetDC(window_);
    } else if (control_->Parent()) {
        window_ = control_->Parent()->Handle();
        dc_ = GetDC(window_);
        SetWindowOrgEx(dc_, -control_->Left(), -control_->Top(), nullptr);
        IntersectClipRect(dc_, 0, 0, control_->Width(), control_->Height());
    }
    if (dc_)
        SetHandle(dc_);
}

// ---------------------------------------------------- painting base classes

VCL_IMPLEMENT_CLASS(TCustomControl, TWinControl, [](auto&) {})

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(new TControlCanvas())
{
    canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() { delete canvas_; }

void TCustomControl::PaintWindow(HDC dc)
{
    canvas_->FreeHandle();
    canvas_->SetHandle(dc);
    try {
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        throw;
    }
    canvas_->SetHandle(nullptr);
}

VCL_IMPLEMENT_CLASS(TGraphicControl, TControl, [](auto& b) { b.Message(WM_PAINT, &TGraphicControl::WMPaint); })

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(new TControlCanvas())
{
    canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() { delete canvas_; }

void TGraphicControl::WMPaint(TMessage& m)
{
    if (!m.WParam)
        return;
    canvas_->FreeHandle();
    canvas_->SetHandle(reinterpret_cast<HDC>(m.WParam));
    try {
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        throw;
    }
    canvas_->SetHandle(nullptr);
}

// --------------------------------------------------------- utility windows

namespace {

std::unordered_map<HWND, TWndMethod>& UtilWindows()
{
    static std::unordered_map<HWND, TWndMethod> m;
    return m;
}

LRESULT CALLBACK UtilWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto it = UtilWindows().find(hwnd);
    if (it == UtilWindows().end())
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    const TWndMethod method = it->second;  // the handler may deallocate the window
    try {
        method(m);
    } catch (...) {
        HandleControlException(nullptr);
    }
    return m.Result;
}

}  // namespace

HWND AllocateHWnd(const TWndMethod& method)
{
    static const char* kClass = "TPUtilWindow";
    WNDCLASSA existing{};
    if (!GetClassInfoA(nullptr, kClass, &existing)) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = UtilWndProc;
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
    }
    HWND h = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (h)
        UtilWindows()[h] = method;
    return h;
}

void DeallocateHWnd(HWND hwnd)
{
    UtilWindows().erase(hwnd);
    DestroyWindow(hwnd);
}

}  // namespace vcl
