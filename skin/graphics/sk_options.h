#pragma once

// Small persistent option objects that controls, forms, menus and the
// message dialog publish as sub-properties: blending, drop shadow, edge
// snapping, dragging rules, transition animation, and the groups of three
// for forms and popup menus.

#include "platform/vcl/classes.h"
#include "skin/graphics/sk_transition.h"

namespace skin {

enum TSkFormDragMode { kfdmBorder, kfdmFullDrag };
extern const vcl::TEnumInfo kFormDragModeInfo;

class TSkBlending : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkBlending, vcl::TPersistent)
public:
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int Value() const { return value_; }
    void SetValue(int v);  // clamped to 0..255
    void Assign(vcl::TPersistent* source) override;
    void Changed() { OnChange(this); }
    vcl::TNotifyEvent OnChange;

private:
    bool enabled_ = false;
    int value_ = 150;
};

class TSkShadow : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkShadow, vcl::TPersistent)
public:
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int Size() const { return size_; }
    void SetSize(int v);  // 0 or less turns the shadow off; at most 20
    void Assign(vcl::TPersistent* source) override;
    void Changed() { OnChange(this); }
    vcl::TNotifyEvent OnChange;

private:
    bool enabled_ = false;
    int size_ = 4;
};

class TSkGravitation : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkGravitation, vcl::TPersistent)
public:
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    int Size() const { return size_; }
    void SetSize(int v);  // 1..50
    void Assign(vcl::TPersistent* source) override;

private:
    bool enabled_ = true;
    int size_ = 20;
};

class TSkDragging : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkDragging, vcl::TPersistent)
public:
    bool Moveable() const { return moveable_; }
    void SetMoveable(bool v) { moveable_ = v; }
    bool Sizeable() const { return sizeable_; }
    void SetSizeable(bool v) { sizeable_ = v; }
    TSkFormDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TSkFormDragMode v) { dragMode_ = v; }
    void Assign(vcl::TPersistent* source) override;

private:
    bool moveable_ = true;
    bool sizeable_ = true;
    TSkFormDragMode dragMode_ = kfdmFullDrag;
};

class TSkAnimation : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkAnimation, vcl::TPersistent)
public:
    TSkDirection Direction() const { return direction_; }
    void SetDirection(TSkDirection v) { direction_ = v; }
    TkeEffect Effect() const { return effect_; }
    void SetEffect(TkeEffect v) { effect_ = v; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    int Resolution() const { return resolution_; }
    void SetResolution(int v);  // 1..10
    int TileCount() const { return tileCount_; }
    void SetTileCount(int v);  // 1..20
    int Time() const { return time_; }
    void SetTime(int v);  // 50..9000 ms
    void Assign(vcl::TPersistent* source) override;
    // What PlayTransition reads.
    TSkTransition Transition() const;

private:
    TSkDirection direction_ = kdNone;
    TkeEffect effect_ = keFade;
    bool enabled_ = false;
    int resolution_ = 1;
    int tileCount_ = 1;
    int time_ = 400;
};

// The group of three; TSkFormOptions and TSkPopupMenuOptions differ only
// in name.
class TSkOptionGroup : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkOptionGroup, vcl::TPersistent)
public:
    TSkOptionGroup();
    ~TSkOptionGroup() override;
    TSkBlending* Blending() const { return blending_; }
    void SetBlending(TSkBlending* v);
    TSkShadow* Shadow() const { return shadow_; }
    void SetShadow(TSkShadow* v);
    TSkAnimation* Animation() const { return animation_; }
    void SetAnimation(TSkAnimation* v);
    void Assign(vcl::TPersistent* source) override;
    void Changed() { OnChange(this); }
    vcl::TNotifyEvent OnChange;

private:
    TSkBlending* blending_;
    TSkShadow* shadow_;
    TSkAnimation* animation_;
};

class TSkFormOptions : public TSkOptionGroup {
    VCL_DECLARE_CLASS(TSkFormOptions, TSkOptionGroup)
};

class TSkPopupMenuOptions : public TSkOptionGroup {
    VCL_DECLARE_CLASS(TSkPopupMenuOptions, TSkOptionGroup)
};

void PlayTransition(vcl::TCanvas* canvas, int x, int y, TSkAnimation* animation, TSkBitmap* newPicture,
                    TSkBitmap* oldPicture);

// Registers the option classes with the streaming system.
void RegisterOptionClasses();

}  // namespace skin
