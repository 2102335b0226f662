#pragma once

// TSkStatusPanel and TSkStatusPanels: the panels of the status bar, each with
// text, an image, or a control, a width with a maximum and two priorities
// that decide which panels show and which take the spare room.

#include <algorithm>

#include "platform/vcl/collection.h"
#include "platform/vcl/controls.h"

namespace skin {

class TSkCustomStatusBar;

enum TSkStatusGliphLayout { sglGlyphLeft, sglGlyphRight };
enum TSkStatusPanelstyle { psText, psOwnerDraw };
extern const vcl::TEnumInfo kStatusGliphLayoutInfo, kStatusPanelStyleInfo;

class TSkStatusPanel : public vcl::TCollectionItem {
    VCL_DECLARE_CLASS(TSkStatusPanel, vcl::TCollectionItem)
public:
    explicit TSkStatusPanel(vcl::TCollection* collection = nullptr) : vcl::TCollectionItem(collection) {}
    ~TSkStatusPanel() override;

    vcl::WideString Text() const { return text_; }
    void SetText(const vcl::WideString& v);
    int Width() const { return width_; }
    void SetWidth(int v);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int v);
    vcl::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(vcl::TAlignment v);
    TSkStatusGliphLayout Layout() const { return layout_; }
    void SetLayout(TSkStatusGliphLayout v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    bool ShowImage() const { return showImage_; }
    void SetShowImage(bool v);
    int Margin() const { return margin_; }
    void SetMargin(int v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    TSkStatusPanelstyle Style() const { return style_; }
    void SetStyle(TSkStatusPanelstyle v);
    bool Framed() const { return framed_; }
    void SetFramed(bool v);
    int ViewPriority() const { return viewPriority_; }
    void SetViewPriority(int v);
    int StretchPriority() const { return stretchPriority_; }
    void SetStretchPriority(int v);
    vcl::TControl* Control() const { return control_; }
    void SetControl(vcl::TControl* v);

    // Layout results.
    int CurrentWidth() const { return currentWidth_; }
    int EffectiveWidth() const { return std::min(maxWidth_, currentWidth_); }
    bool Shown() const { return shown_; }
    int PanelLeft() const { return left_; }
    int PanelRight() const { return right_; }

    TSkCustomStatusBar* StatusBar() const;
    void Assign(vcl::TPersistent* source) override;
    vcl::AnsiString GetDisplayName() const override;

private:
    friend class TSkCustomStatusBar;
    void PanelChanged() { Changed(false); }
    void LayoutChanged() { Changed(true); }

    vcl::WideString text_;
    int width_ = 50;
    int maxWidth_ = 10000;
    vcl::TAlignment alignment_ = vcl::taLeftJustify;
    TSkStatusGliphLayout layout_ = sglGlyphLeft;
    int imageIndex_ = -1;
    bool showImage_ = true;
    int margin_ = 2;
    int spacing_ = 4;
    TSkStatusPanelstyle style_ = psText;
    bool framed_ = true;
    int viewPriority_ = 100;
    int stretchPriority_ = 0;
    vcl::TControl* control_ = nullptr;
    int currentWidth_ = 0;
    bool shown_ = false;
    int left_ = 0;
    int right_ = 0;
};

class TSkStatusPanels : public vcl::TCollection {
    VCL_DECLARE_CLASS(TSkStatusPanels, vcl::TCollection)
public:
    explicit TSkStatusPanels(TSkCustomStatusBar* bar);
    TSkStatusPanel* Items(int index) const { return static_cast<TSkStatusPanel*>(vcl::TCollection::Items(index)); }
    // Made through the bar, so that it may choose the panel class.
    vcl::TCollectionItem* Add() override;
    TSkStatusPanel* AddPanel() { return static_cast<TSkStatusPanel*>(Add()); }
    // Moves `item` into this collection at `index` (at most the last index).
    void InsertPanel(TSkStatusPanel* item, int index);
    TSkCustomStatusBar* Bar() const { return bar_; }

protected:
    void Update(vcl::TCollectionItem* item) override;

private:
    TSkCustomStatusBar* bar_;
};

}  // namespace skin
