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
    if (maxWidth_ > 0 && width > maxWidth_)
        width = maxWidth_;
    if (minWidth_ > 0 && width < minWidth_)
        width = minWidth_;
    if (maxHeight_ > 0 && height > maxHeight_)
        height = maxHeight_;
    if (minHeight_ > 0 && height < minHeight_)
        height = minHeight_;
}

void TSizeConstraints::Change()
{
    // The control takes the new limits at once.
    if (control_)
        control_->SetBounds(control_->Left(), control_->Top(), control_->Width(), control_->Height());
    OnChange(this);
}

}  // namespace vcl
