#pragma once

// The skin object tree: rectangles with an alignment rule, a colour, a font
// and text placement, laid out, hit-tested and painted on a canvas. The
// children of an object are its owned components, in creation order, and
// stream as the binary property "Objects".

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/vcl/controls.h"
#include "platform/vcl/graphics.h"
#include "skin/graphics/sk_bitmap.h"

namespace skin {

enum TSkAlign {
    saNone, saLeft, saMostLeft, saTop, saMostTop, saRight, saMostRight, saBottom, saMostBottom, saClient,
    saTopLeft, saTopRight, saBottomLeft, saBottomRight, saCenter, saText
};
enum TSkKind {
    skNone, skForm, skCaption, skTitle, skTop, skLeft, skRight, skBottom, skTopLeft, skTopRight, skBottomLeft,
    skBottomRight, skSysButton, skClient, skMenuBar, skMenuBarItem, skMenuBarItemText, skPopupMenu,
    skPopupMenuItem, skPopupMenuItemText, skItemText, skTranparent
};
enum TSkTextAlign {
    taTopLeft, taTopCenter, taTopRight, taLeft, taCenter, taRight, taBottomLeft, taBottomCenter, taBottomRight
};
enum TSkTextEffect { teNone, teShadow };
extern const vcl::TEnumInfo kSkAlignInfo, kSkKindInfo, kSkTextAlignInfo, kSkTextEffectInfo;

// Messages an object sends to the window of the control that paints it.
constexpr UINT SKM_OBJECTCHANGED = 2121;
constexpr UINT SKM_GETFORM = 2122;

// Draw states controls pass down.
constexpr std::uint8_t kStateNormal = 0, kStateLinkPlaceholder = 1, kStateMaximized = 2, kStateMinimized = 3,
                       kStateRolledUp = 4, kStateHot = 5, kStatePressed = 6, kStateFocused = 7, kStateDisabled = 8;

class TSkSkinObject : public vcl::TComponent {
    VCL_DECLARE_CLASS(TSkSkinObject, vcl::TComponent)
public:
    explicit TSkSkinObject(vcl::TComponent* owner);
    ~TSkSkinObject() override;

    // Published.
    TSkAlign Align() const { return align_; }
    void SetAlign(TSkAlign v) { align_ = v; }
    vcl::TColor Color() const { return color_; }
    void SetColor(vcl::TColor v) { color_ = v; }
    bool DrawIfOwner() const { return drawIfOwner_; }
    void SetDrawIfOwner(bool v) { drawIfOwner_ = v; }
    vcl::TFont* Font() const { return font_; }
    TSkKind Kind() const { return kind_; }
    void SetKind(TSkKind v) { kind_ = v; }
    bool Masked() const { return masked_; }
    void SetMasked(bool v) { masked_ = v; }
    int Left() const { return left_; }
    void SetLeft(int v) { SetBounds(RECT{v, top_, v + width_, top_ + height_}); }
    int Top() const { return top_; }
    void SetTop(int v) { SetBounds(RECT{left_, v, left_ + width_, v + height_}); }
    int Height() const { return height_; }
    void SetHeight(int v) { SetBounds(RECT{left_, top_, left_ + width_, top_ + v}); }
    int Width() const { return width_; }
    void SetWidth(int v) { SetBounds(RECT{left_, top_, left_ + v, top_ + height_}); }
    int MarginLeft() const { return marginLeft_; }
    void SetMarginLeft(int v) { marginLeft_ = v; }
    int MarginRight() const { return marginRight_; }
    void SetMarginRight(int v) { marginRight_ = v; }
    int MarginTop() const { return marginTop_; }
    void SetMarginTop(int v) { marginTop_ = v; }
    int MarginBottom() const { return marginBottom_; }
    void SetMarginBottom(int v) { marginBottom_ = v; }
    TSkTextAlign TextAlign() const { return textAlign_; }
    void SetTextAlign(TSkTextAlign v) { textAlign_ = v; }
    TSkTextEffect TextEffect() const { return textEffect_; }
    void SetTextEffect(TSkTextEffect v) { textEffect_ = v; }
    int TextMarginLeft() const { return textMarginLeft_; }
    void SetTextMarginLeft(int v) { textMarginLeft_ = v; }
    int TextMarginRight() const { return textMarginRight_; }
    void SetTextMarginRight(int v) { textMarginRight_ = v; }
    int TextMarginTop() const { return textMarginTop_; }
    void SetTextMarginTop(int v) { textMarginTop_ = v; }

    // Public state that is not streamed.
    bool Visible = true;
    bool Enabled = true;
    bool Active = false;
    std::uint8_t State = 0;
    vcl::TControl* Control = nullptr;
    vcl::WideString Text;
    // A menu item's shortcut keys, drawn right-aligned beside `Text`.
    vcl::WideString ShortCutText;
    std::uint8_t BiDiMode = 0;
    TSkBitmapList* BitmapList = nullptr;
    int PreviousWidth = 0;
    int PreviousHeight = 0;

    virtual vcl::TFont* GetFont();
    virtual void SetState(std::uint8_t state);
    virtual void ResolveLinks();
    virtual void Paint(vcl::TCanvas* canvas);
    virtual HRGN CreateRegion();
    virtual void ChangeHue(int delta);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void MouseDown(vcl::TMouseButton, int, int) {}
    virtual void MouseMove(vcl::TShiftState, int, int) {}
    virtual void MouseUp(vcl::TMouseButton, int, int) {}
    virtual void DblClick(vcl::TMouseButton, int, int) {}
    virtual void SetCharset(BYTE charset);

    void DefineProperties(vcl::TFiler* filer) override;
    void Assign(vcl::TPersistent* source) override;

    int GetCount() const;
    TSkSkinObject* GetObject(int index) const;
    TSkSkinObject* FindObject(const vcl::AnsiString& name);
    TSkSkinObject* FindObjectByKind(TSkKind kind);
    TSkSkinObject* ObjectAtPoint(POINT point);
    RECT GetBounds() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    void SetBounds(const RECT& rect);
    void SetActive(bool value);
    void SetControl(vcl::TControl* control);
    void SetBiDiMode(std::uint8_t mode);
    void SetBitmapList(TSkBitmapList* list);
    HRGN GetRegion();
    vcl::TComponent* GetForm();
    void Changed();
    void AlignChildren();

    // The "Objects" property: the children in the binary form.
    void WriteObjects(vcl::TStream* stream);
    void ReadObjects(vcl::TStream* stream);

protected:
    // What Paint fills with and writes in; subclasses swap in their state's.
    virtual vcl::TColor PaintColor() { return color_; }
    virtual vcl::TFont* PaintFont() { return font_; }
    void PaintText(vcl::TCanvas* canvas);
    void PaintChildren(vcl::TCanvas* canvas);

    // Hue shifts are made from the colours as they were before the first
    // shift, so that repeated changes don't drift. Subclasses add theirs.
    struct HueColor {
        vcl::TColor value;
        bool keepNone;  // clNone stays as it is
    };
    virtual std::vector<HueColor> HueColors() const;
    virtual void SetHueColors(const std::vector<vcl::TColor>& colors);

private:
    TSkAlign align_ = saNone;
    vcl::TColor color_ = 0xFFFFFF;
    bool drawIfOwner_ = false;
    vcl::TFont* font_;
    TSkKind kind_ = skNone;
    bool masked_ = true;
    int left_ = 0, top_ = 0, height_ = 0, width_ = 0;
    int marginLeft_ = 0, marginRight_ = 0, marginTop_ = 0, marginBottom_ = 0;
    TSkTextAlign textAlign_ = taLeft;
    TSkTextEffect textEffect_ = teNone;
    int textMarginLeft_ = 0, textMarginRight_ = 0, textMarginTop_ = 0;
    std::optional<std::vector<HueColor>> hueBase_;
    int hueTotal_ = 0;
};

class TSkActiveObject : public TSkSkinObject {
    VCL_DECLARE_CLASS(TSkActiveObject, TSkSkinObject)
public:
    explicit TSkActiveObject(vcl::TComponent* owner);
    ~TSkActiveObject() override;
    vcl::TColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(vcl::TColor v) { activeColor_ = v; }
    vcl::TFont* ActiveFont() const { return activeFont_; }
    vcl::TFont* GetFont() override;
    void SetCharset(BYTE charset) override;
    void Assign(vcl::TPersistent* source) override;

protected:
    vcl::TColor PaintColor() override;
    vcl::TFont* PaintFont() override;
    std::vector<HueColor> HueColors() const override;
    void SetHueColors(const std::vector<vcl::TColor>& colors) override;

private:
    bool ShowsActive() const;
    vcl::TColor activeColor_ = 0xFFFFFF;
    vcl::TFont* activeFont_;
};

class TSkTextObject : public TSkSkinObject {
    VCL_DECLARE_CLASS(TSkTextObject, TSkSkinObject)
public:
    explicit TSkTextObject(vcl::TComponent* owner);
    ~TSkTextObject() override;
    vcl::TFont* FontHot() const { return fonts_[0]; }
    vcl::TFont* FontFocused() const { return fonts_[1]; }
    vcl::TFont* FontPressed() const { return fonts_[2]; }
    vcl::TFont* FontDisabled() const { return fonts_[3]; }
    vcl::TFont* GetFont() override;
    void SetCharset(BYTE charset) override;
    void Assign(vcl::TPersistent* source) override;

protected:
    vcl::TFont* PaintFont() override { return GetFont(); }
    std::vector<HueColor> HueColors() const override;
    void SetHueColors(const std::vector<vcl::TColor>& colors) override;

private:
    vcl::TFont* fonts_[4];
};

// The classes a skin stream may name, found by exact class name.
void RegisterSkinObject(vcl::TClass cls);
vcl::TClass FindSkinObjectClass(const vcl::AnsiString& className);
// Registers every skin-object class, this unit's first (done once, before
// the first lookup).
void RegisterBaseSkinObjects();

TSkSkinObject* CloneSkinObject(TSkSkinObject* source, vcl::TComponent* owner);

}  // namespace skin
