#pragma once

// TSkCustomProgressBar: a bar filled in proportion to its position, as
// separate blocks or one smooth bar, horizontal or vertical.

#include "skin/controls/sk_custom_control.h"

namespace skin {

enum TSkBarOrientation { kboHorizontal, kboVertical };
extern const vcl::TEnumInfo kBarOrientationInfo;

class TSkCustomProgressBar : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomProgressBar, TSkCustomControl)
public:
    explicit TSkCustomProgressBar(vcl::TComponent* owner);

    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    void SetPosition(int v);
    TSkBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TSkBarOrientation v);
    int BarBorderWidth() const { return barBorderWidth_; }
    void SetBarBorderWidth(int v);
    bool ShowBorder() const { return showBorder_; }
    void SetShowBorder(bool v);
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool v);

    // The filled part for `position`: 0 at Min and 1 at Max; positions
    // outside Min..Max count as the nearer end.
    float GetFraction(int position) const;

    void PaintClient() override;
    virtual void GetBarRect(RECT& rect) const;
    virtual void PaintBar();
    virtual void PaintFrame();

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    TSkBarOrientation orientation_ = kboHorizontal;
    int barBorderWidth_ = 0;
    bool showBorder_ = true;
    bool smooth_ = false;
};

}  // namespace skin
