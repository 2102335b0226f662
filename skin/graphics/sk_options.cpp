#include "skin/graphics/sk_options.h"

#include <algorithm>

namespace skin {

const vcl::TEnumInfo kFormDragModeInfo{"TSkFormDragMode", {"kfdmBorder", "kfdmFullDrag"}};

VCL_IMPLEMENT_CLASS(TSkBlending, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Bool("Enabled", &TSkBlending::Enabled, &TSkBlending::SetEnabled, false);
    b.Int("Value", &TSkBlending::Value, &TSkBlending::SetValue, 150);
})

VCL_IMPLEMENT_CLASS(TSkShadow, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Bool("Enabled", &TSkShadow::Enabled, &TSkShadow::SetEnabled, false);
    b.Int("Size", &TSkShadow::Size, &TSkShadow::SetSize, 4);
})

VCL_IMPLEMENT_CLASS(TSkGravitation, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Bool("Enabled", &TSkGravitation::Enabled, &TSkGravitation::SetEnabled, true);
    b.Int("Size", &TSkGravitation::Size, &TSkGravitation::SetSize, 20);
})

VCL_IMPLEMENT_CLASS(TSkDragging, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Bool("Moveable", &TSkDragging::Moveable, &TSkDragging::SetMoveable, true);
    b.Bool("Sizeable", &TSkDragging::Sizeable, &TSkDragging::SetSizeable, true);
    b.Enum("DragMode", &kFormDragModeInfo, &TSkDragging::DragMode, &TSkDragging::SetDragMode,
           std::optional<TSkFormDragMode>(kfdmFullDrag));
})

VCL_IMPLEMENT_CLASS(TSkAnimation, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Enum("Direction", &kDirectionInfo, &TSkAnimation::Direction, &TSkAnimation::SetDirection,
           std::optional<TSkDirection>(kdNone));
    b.Enum("Effect", &kEffectInfo, &TSkAnimation::Effect, &TSkAnimation::SetEffect, std::optional<TkeEffect>(keFade));
    b.Bool("Enabled", &TSkAnimation::Enabled, &TSkAnimation::SetEnabled, false);
    b.Int("Resolution", &TSkAnimation::Resolution, &TSkAnimation::SetResolution, 1);
    b.Int("TileCount", &TSkAnimation::TileCount, &TSkAnimation::SetTileCount, 1);
    b.Int("Time", &TSkAnimation::Time, &TSkAnimation::SetTime, 400);
})

VCL_IMPLEMENT_CLASS(TSkOptionGroup, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Object("Blending", &TSkOptionGroup::Blending, &TSkOptionGroup::SetBlending);
    b.Object("Shadow", &TSkOptionGroup::Shadow, &TSkOptionGroup::SetShadow);
    b.Object("Animation", &TSkOptionGroup::Animation, &TSkOptionGroup::SetAnimation);
})
VCL_IMPLEMENT_CLASS(TSkFormOptions, TSkOptionGroup, [](auto& b) { b.Persistent(); })
VCL_IMPLEMENT_CLASS(TSkPopupMenuOptions, TSkOptionGroup, [](auto& b) { b.Persistent(); })

// -------------------------------------------------------------- blending

void TSkBlending::SetEnabled(bool v)
{
    if (enabled_ == v)
        return;
    enabled_ = v;
    Changed();
}

void TSkBlending::SetValue(int v)
{
    if (value_ == v)
        return;
    value_ = std::clamp(v, 0, 255);
    Changed();
}

void TSkBlending::Assign(vcl::TPersistent* source)
{
    // Exact class: a shadow is no blending even though both have Enabled.
    if (source && source->ClassType() == ClassType()) {
        auto* s = static_cast<TSkBlending*>(source);
        enabled_ = s->enabled_;
        value_ = s->value_;
        Changed();
        return;
    }
    inherited::Assign(source);
}

// ---------------------------------------------------------------- shadow

void TSkShadow::SetEnabled(bool v)
{
    if (enabled_ == v)
        return;
    enabled_ = v;
    Changed();
}

void TSkShadow::SetSize(int v)
{
    if (size_ == v)
        return;
    size_ = v;
    if (v <= 0)
        enabled_ = false;
    if (v > 20)
        size_ = 20;
    Changed();
}

void TSkShadow::Assign(vcl::TPersistent* source)
{
    if (source && source->ClassType() == ClassType()) {
        auto* s = static_cast<TSkShadow*>(source);
        enabled_ = s->enabled_;
        size_ = s->size_;
        Changed();
        return;
    }
    inherited::Assign(source);
}

// ------------------------------------------------- gravitation, dragging

void TSkGravitation::SetSize(int v) { size_ = std::clamp(v, 1, 50); }

void TSkGravitation::Assign(vcl::TPersistent* source)
{
    if (source && source->ClassType() == ClassType()) {
        auto* s = static_cast<TSkGravitation*>(source);
        enabled_ = s->enabled_;
        size_ = s->size_;
        return;
    }
    inherited::Assign(source);
}

void TSkDragging::Assign(vcl::TPersistent* source)
{
    if (source && source->ClassType() == ClassType()) {
        auto* s = static_cast<TSkDragging*>(source);
        moveable_ = s->moveable_;
        sizeable_ = s->sizeable_;
        dragMode_ = s->dragMode_;
        return;
    }
    inherited::Assign(source);
}

// ------------------------------------------------------------- animation

void TSkAnimation::SetResolution(int v) { resolution_ = std::clamp(v, 1, 10); }
void TSkAnimation::SetTileCount(int v) { tileCount_ = std::clamp(v, 1, 20); }
void TSkAnimation::SetTime(int v) { time_ = std::clamp(v, 50, 9000); }

void TSkAnimation::Assign(vcl::TPersistent* source)
{
    if (source && source->ClassType() == ClassType()) {
        auto* s = static_cast<TSkAnimation*>(source);
        direction_ = s->direction_;
        effect_ = s->effect_;
        enabled_ = s->enabled_;
        resolution_ = s->resolution_;
        tileCount_ = s->tileCount_;
        time_ = s->time_;
        return;
    }
    inherited::Assign(source);
}

TSkTransition TSkAnimation::Transition() const
{
    TSkTransition t;
    t.Time = time_;
    t.Effect = effect_;
    t.Direction = direction_;
    t.Resolution = resolution_;
    t.TileCount = tileCount_;
    return t;
}

void PlayTransition(vcl::TCanvas* canvas, int x, int y, TSkAnimation* animation, TSkBitmap* newPicture,
                    TSkBitmap* oldPicture)
{
    if (animation)
        PlayTransition(canvas, x, y, animation->Transition(), newPicture, oldPicture);
}

// ----------------------------------------------------------------- groups

TSkOptionGroup::TSkOptionGroup()
    : blending_(new TSkBlending()), shadow_(new TSkShadow()), animation_(new TSkAnimation())
{
}

TSkOptionGroup::~TSkOptionGroup()
{
    delete blending_;
    delete shadow_;
    delete animation_;
}

void TSkOptionGroup::SetBlending(TSkBlending* v)
{
    blending_->Assign(v);
    Changed();
}

void TSkOptionGroup::SetShadow(TSkShadow* v)
{
    shadow_->Assign(v);
    Changed();
}

void TSkOptionGroup::SetAnimation(TSkAnimation* v)
{
    animation_->Assign(v);
    Changed();
}

void TSkOptionGroup::Assign(vcl::TPersistent* source)
{
    if (source && source->ClassType() == ClassType()) {
        auto* s = static_cast<TSkOptionGroup*>(source);
        blending_->Assign(s->blending_);
        shadow_->Assign(s->shadow_);
        animation_->Assign(s->animation_);
        Changed();
        return;
    }
    inherited::Assign(source);
}

void RegisterOptionClasses()
{
    vcl::RegisterClasses({TSkBlending::StaticClass(), TSkShadow::StaticClass(), TSkGravitation::StaticClass(),
                          TSkDragging::StaticClass(), TSkFormOptions::StaticClass(),
                          TSkPopupMenuOptions::StaticClass(), TSkAnimation::StaticClass()});
}

}  // namespace skin
