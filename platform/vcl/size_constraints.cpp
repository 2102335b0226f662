#include <algorithm>

#include "platform/vcl/controls.h"

namespace vcl {

VCL_IMPLEMENT_CLASS(TSizeConstraints, TPersistent, [](auto& b) {
    b.Persistent();
    b.Int("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight, 0);
    b.Int("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth, 0);
    b.Int("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight, 0);
    b.Int("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth, 0);
})

namespace {

// Sets a limit and pulls its partner along so that a set maximum never falls
// below the minimum.
void SetLimit(int& limit, int& partner, int value, bool isMaximum)
{
    limit = value;
    if (value > 0 && partner > 0 && (isMaximum ? value < partner : value > partner))
        partner = value;
}

}  // namespace

void TSizeConstraints::SetMaxHeight(int v)
{
    if (v == maxHeight_)
        return;
    SetLimit(maxHeight_, minHeight_, v, true);
    Change();
}

void TSizeConstraints::SetMaxWidth(int v)
{
    if (v == maxWidth_)
        return;
    SetLimit(maxWidth_, minWidth_, v, true);
    Change();
}

void TSizeConstraints::SetMinHeight(int v)
{
    if (v == minHeight_)
        return;
    SetLimit(minHeight_, maxHeight_, v, false);
    Change();
}

void TSizeConstraints::SetMinWidth(int v)
{
    if (v == minWidth_)
        return;
    SetLimit(minWidth_, maxWidth_, v, false);
    Change();
}

void TSizeConstraints::Assign(TPersistent* source)
{
    if (auto* s = dynamic_cast<TSizeConstraints*>(source)) {
        maxHeight_ = s->maxHeight_;
        maxWidth_ = s->maxWidth_;
        minHeight_ = s->minHeight_;
        minWidth_ = s->minWidth_;
        Change();
        return;
    }
    inherited::Assign(source);
}

void TSizeConstraints::Apply(int& width, int& height) const
{
    Clamp(width, height, minWidth_, minHeight_, maxWidth_, maxHeight_);
}

void TSizeConstraints::Clamp(int& width, int& height, int minWidth, int minHeight, int maxWidth, int maxHeight)
{
    // A minimum above the maximum wins.
    if (maxWidth > 0 && width > maxWidth)
        width = maxWidth;
    if (minWidth > 0 && width < minWidth)
        width = minWidth;
    if (maxHeight > 0 && height > maxHeight)
        height = maxHeight;
    if (minHeight > 0 && height < minHeight)
        height = minHeight;
}

void TSizeConstraints::Change()
{
    // The control takes the new limits at once.
    if (control_)
        control_->SetBounds(control_->Left(), control_->Top(), control_->Width(), control_->Height());
    OnChange(this);
}

// ------------------------------------------------- the control's resize path

void TControl::SetAutoSize(bool v)
{
    if (autoSize_ == v)
        return;
    autoSize_ = v;
    if (v)
        AdjustSize();
}

void TControl::AdjustSize()
{
    const TComponentState state = ComponentState();
    if (adjustingSize_ || state.Contains(csLoading) || state.Contains(csReading) || state.Contains(csDestroying))
        return;
    // SetBounds with the current size lets CanAutoSize give the new one.
    adjustingSize_ = true;
    try {
        SetBounds(left_, top_, width_, height_);
    } catch (...) {
        adjustingSize_ = false;
        throw;
    }
    adjustingSize_ = false;
}

bool TControl::CanResize(int& newWidth, int& newHeight)
{
    bool resize = true;
    OnCanResize(this, newWidth, newHeight, resize);
    return resize;
}

void TControl::ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight)
{
    OnConstrainedResize(this, minWidth, minHeight, maxWidth, maxHeight);
}

bool TControl::DoCanAutoSize(int& width, int& height)
{
    // An aligned control takes its size from the parent on the aligned
    // sides; only the free ones follow the content.
    if (align_ == alClient)
        return true;
    int w = width, h = height;
    const bool result = CanAutoSize(w, h);
    if (align_ == alNone || align_ == alLeft || align_ == alRight)
        width = w;
    if (align_ == alNone || align_ == alTop || align_ == alBottom)
        height = h;
    return result;
}

bool TControl::CheckNewSize(int& width, int& height)
{
    int w = width, h = height;
    if (!CanResize(w, h))
        return false;
    if (autoSize_) {
        int aw = w, ah = h;
        const bool keeps = DoCanAutoSize(aw, ah) && aw == w && ah == h;
        // A size the content changed must be acceptable in turn.
        if (!keeps && !CanResize(aw, ah))
            return false;
        w = aw;
        h = ah;
    }
    int minWidth = constraints_->MinWidth(), minHeight = constraints_->MinHeight();
    int maxWidth = constraints_->MaxWidth(), maxHeight = constraints_->MaxHeight();
    ConstrainedResize(minWidth, minHeight, maxWidth, maxHeight);
    TSizeConstraints::Clamp(w, h, minWidth, minHeight, maxWidth, maxHeight);
    width = w;
    height = h;
    return true;
}

bool TWinControl::CanAutoSize(int& newWidth, int& newHeight)
{
    RECT client = GetClientRect();
    AdjustClientRect(client);
    int right = 0, bottom = 0;
    bool horizontal = false, vertical = false;
    for (TControl* c : controls_) {
        if (!c->Visible())
            continue;
        // A child aligned along a side spans that side and cannot set it.
        const TAlign a = c->Align();
        if (a != alTop && a != alBottom && a != alClient) {
            right = std::max(right, c->Left() + c->Width());
            horizontal = true;
        }
        if (a != alLeft && a != alRight && a != alClient) {
            bottom = std::max(bottom, c->Top() + c->Height());
            vertical = true;
        }
    }
    if (horizontal)
        newWidth = std::max(0, Width() - (client.right - client.left) + right - client.left);
    if (vertical)
        newHeight = std::max(0, Height() - (client.bottom - client.top) + bottom - client.top);
    return true;
}

}  // namespace vcl
