#include "skin/skins/sk_skin_object.h"

#include <algorithm>

#include "platform/vcl/filer.h"
#include "platform/user/winuser.h"
#include "skin/graphics/sk_stream_io.h"
#include "skin/graphics/sk_text.h"
#include "skin/skins/sk_object_stream.h"
#include "skin/skins/sk_system_buttons.h"

namespace skin {

const vcl::TEnumInfo kSkAlignInfo{"TSkAlign",
                                  {"saNone", "saLeft", "saMostLeft", "saTop", "saMostTop", "saRight", "saMostRight",
                                   "saBottom", "saMostBottom", "saClient", "saTopLeft", "saTopRight", "saBottomLeft",
                                   "saBottomRight", "saCenter", "saText"}};
const vcl::TEnumInfo kSkKindInfo{
    "TSkKind",
    {"skNone", "skForm", "skCaption", "skTitle", "skTop", "skLeft", "skRight", "skBottom", "skTopLeft", "skTopRight",
     "skBottomLeft", "skBottomRight", "skSysButton", "skClient", "skMenuBar", "skMenuBarItem", "skMenuBarItemText",
     "skPopupMenu", "skPopupMenuItem", "skPopupMenuItemText", "skItemText", "skTranparent"}};
const vcl::TEnumInfo kSkTextAlignInfo{"TSkTextAlign",
                                      {"taTopLeft", "taTopCenter", "taTopRight", "taLeft", "taCenter", "taRight",
                                       "taBottomLeft", "taBottomCenter", "taBottomRight"}};
const vcl::TEnumInfo kSkTextEffectInfo{"TSkTextEffect", {"teNone", "teShadow"}};

using O = TSkSkinObject;

VCL_IMPLEMENT_CLASS(TSkSkinObject, vcl::TComponent, [](auto& b) {
    b.Component();
    b.Enum("Align", &kSkAlignInfo, &O::Align, &O::SetAlign, std::optional<TSkAlign>());
    b.Int("Color", &O::Color, &O::SetColor, std::nullopt).identMap = vcl::ColorIdentMap();
    b.Bool("DrawIfOwner", &O::DrawIfOwner, &O::SetDrawIfOwner, std::nullopt);
    b.Object("Font", &O::Font);
    b.Enum("Kind", &kSkKindInfo, &O::Kind, &O::SetKind, std::optional<TSkKind>());
    b.Bool("Masked", &O::Masked, &O::SetMasked, std::nullopt);
    b.Int("Left", &O::Left, &O::SetLeft, std::nullopt);
    b.Int("Top", &O::Top, &O::SetTop, std::nullopt);
    b.Int("Height", &O::Height, &O::SetHeight, std::nullopt);
    b.Int("Width", &O::Width, &O::SetWidth, std::nullopt);
    b.Int("MarginLeft", &O::MarginLeft, &O::SetMarginLeft, std::nullopt);
    b.Int("MarginRight", &O::MarginRight, &O::SetMarginRight, std::nullopt);
    b.Int("MarginTop", &O::MarginTop, &O::SetMarginTop, std::nullopt);
    b.Int("MarginBottom", &O::MarginBottom, &O::SetMarginBottom, std::nullopt);
    b.Enum("TextAlign", &kSkTextAlignInfo, &O::TextAlign, &O::SetTextAlign, std::optional<TSkTextAlign>());
    b.Enum("TextEffect", &kSkTextEffectInfo, &O::TextEffect, &O::SetTextEffect, std::optional<TSkTextEffect>());
    b.Int("TextMarginLeft", &O::TextMarginLeft, &O::SetTextMarginLeft, std::nullopt);
    b.Int("TextMarginRight", &O::TextMarginRight, &O::SetTextMarginRight, std::nullopt);
    b.Int("TextMarginTop", &O::TextMarginTop, &O::SetTextMarginTop, std::nullopt);
})

VCL_IMPLEMENT_CLASS(TSkActiveObject, TSkSkinObject, [](auto& b) {
    b.Component();
    b.Int("ActiveColor", &TSkActiveObject::ActiveColor, &TSkActiveObject::SetActiveColor, std::nullopt).identMap =
        vcl::ColorIdentMap();
    b.Object("ActiveFont", &TSkActiveObject::ActiveFont);
})

VCL_IMPLEMENT_CLASS(TSkTextObject, TSkSkinObject, [](auto& b) {
    b.Component();
    b.Object("FontHot", &TSkTextObject::FontHot);
    b.Object("FontFocused", &TSkTextObject::FontFocused);
    b.Object("FontPressed", &TSkTextObject::FontPressed);
    b.Object("FontDisabled", &TSkTextObject::FontDisabled);
})

// ------------------------------------------------------------- registry

namespace {

std::vector<vcl::TClass>& SkinObjectClasses()
{
    static std::vector<vcl::TClass> classes;
    return classes;
}

bool IsActiveState(std::uint8_t s) { return s == kStateHot || s == kStatePressed || s == kStateFocused; }

}  // namespace

void RegisterSkinObject(vcl::TClass cls)
{
    auto& classes = SkinObjectClasses();
    if (std::find(classes.begin(), classes.end(), cls) == classes.end())
        classes.push_back(cls);
    // Streams made from the text form find classes in the library's own registry.
    vcl::RegisterClass(cls);
}

void RegisterBaseSkinObjects()
{
    static const bool done = [] {
        for (vcl::TClass cls : {TSkSkinObject::StaticClass(), TSkActiveObject::StaticClass(),
                                TSkBitmapObject::StaticClass(), TSkActiveBitmap::StaticClass(),
                                TSkSystemButton::StaticClass(), TSkButtonObject::StaticClass(),
                                TSkTextObject::StaticClass()})
            RegisterSkinObject(cls);
        RegisterSkinObjects2();
        return true;
    }();
    (void)done;
}

vcl::TClass FindSkinObjectClass(const vcl::AnsiString& className)
{
    RegisterBaseSkinObjects();
    for (vcl::TClass cls : SkinObjectClasses())
        if (cls->ClassName() == className)
            return cls;
    return nullptr;
}

TSkSkinObject* CloneSkinObject(TSkSkinObject* source, vcl::TComponent* owner)
{
    if (!source)
        return nullptr;
    const vcl::TClass cls = FindSkinObjectClass(source->ClassName());
    if (!cls || !cls->create)
        return nullptr;
    auto* clone = static_cast<TSkSkinObject*>(cls->create(owner));
    try {
        clone->Assign(source);
    } catch (...) {
        delete clone;
        throw;
    }
    return clone;
}

// --------------------------------------------------------- construction

TSkSkinObject::TSkSkinObject(vcl::TComponent* owner) : vcl::TComponent(owner), font_(new vcl::TFont()) {}

TSkSkinObject::~TSkSkinObject()
{
    // Children go first, while the fonts they might reach are still here.
    DestroyComponents();
    delete font_;
}

int TSkSkinObject::GetCount() const { return ComponentCount(); }

TSkSkinObject* TSkSkinObject::GetObject(int index) const
{
    if (index < 0 || index >= ComponentCount())
        return nullptr;
    return dynamic_cast<TSkSkinObject*>(Components(index));
}

void TSkSkinObject::DefineProperties(vcl::TFiler* filer)
{
    inherited::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "Objects", [this](vcl::TStream* s) { ReadObjects(s); }, [this](vcl::TStream* s) { WriteObjects(s); }, true);
}

void TSkSkinObject::WriteObjects(vcl::TStream* stream)
{
    WriteInt32(stream, GetCount() | 0x000F0000);
    for (int i = 0; i < GetCount(); ++i)
        WriteSkinObjectBinary(stream, GetObject(i));
}

void TSkSkinObject::ReadObjects(vcl::TStream* stream)
{
    const std::int32_t header = ReadInt32(stream);
    const bool binary = (header & 0x000F0000) == 0x000F0000;
    const std::int32_t count = binary ? (header & ~0x000F0000) : header;
    // Each child takes at least its class-name record and one length.
    CheckCount(stream, count, 8, "child object");
    for (std::int32_t i = 0; i < count; ++i) {
        if (binary)
            ReadSkinObjectBinary(stream, this);
        else
            ReadSkinObjectText(stream, this);
    }
}

void TSkSkinObject::Assign(vcl::TPersistent* source)
{
    auto* s = dynamic_cast<TSkSkinObject*>(source);
    if (!s) {
        inherited::Assign(source);
        return;
    }
    SetName(s->Name());
    masked_ = s->masked_;
    align_ = s->align_;
    kind_ = s->kind_;
    BitmapList = s->BitmapList;
    color_ = s->color_;
    drawIfOwner_ = s->drawIfOwner_;
    font_->Assign(s->font_);
    textAlign_ = s->textAlign_;
    textEffect_ = s->textEffect_;
    textMarginLeft_ = s->textMarginLeft_;
    textMarginRight_ = s->textMarginRight_;
    textMarginTop_ = s->textMarginTop_;
    marginLeft_ = s->marginLeft_;
    marginRight_ = s->marginRight_;
    marginTop_ = s->marginTop_;
    marginBottom_ = s->marginBottom_;
    for (int i = 0; i < s->GetCount(); ++i)
        CloneSkinObject(s->GetObject(i), this);
    left_ = s->left_;
    top_ = s->top_;
    width_ = s->width_;
    height_ = s->height_;
}

// --------------------------------------------------------------- lookups

TSkSkinObject* TSkSkinObject::FindObject(const vcl::AnsiString& name)
{
    if (vcl::LowerCase(Name()) == vcl::LowerCase(name))
        return this;
    for (int i = 0; i < GetCount(); ++i)
        if (TSkSkinObject* hit = GetObject(i)->FindObject(name))
            return hit;
    return nullptr;
}

TSkSkinObject* TSkSkinObject::FindObjectByKind(TSkKind kind)
{
    if (kind_ == kind)
        return this;
    for (int i = 0; i < GetCount(); ++i)
        if (TSkSkinObject* hit = GetObject(i)->FindObjectByKind(kind))
            return hit;
    return nullptr;
}

TSkSkinObject* TSkSkinObject::ObjectAtPoint(POINT point)
{
    const RECT bounds = GetBounds();
    if (!Visible || !PtInRect(&bounds, point) || kind_ == skTranparent)
        return nullptr;
    TSkSkinObject* hit = nullptr;
    for (int i = 0; i < GetCount(); ++i)
        if (TSkSkinObject* h = GetObject(i)->ObjectAtPoint(point))
            hit = h;
    return hit ? hit : this;
}

// ---------------------------------------------------------------- layout

void TSkSkinObject::SetBounds(const RECT& rect)
{
    const int w = std::max(0, static_cast<int>(rect.right - rect.left));
    const int h = std::max(0, static_cast<int>(rect.bottom - rect.top));
    if (rect.left == left_ && rect.top == top_ && w == width_ && h == height_)
        return;
    PreviousWidth = width_;
    PreviousHeight = height_;
    left_ = rect.left;
    top_ = rect.top;
    width_ = w;
    height_ = h;
    AlignChildren();
}

void TSkSkinObject::AlignChildren()
{
    RECT r = GetBounds();
    const int count = GetCount();
    auto visible = [this](int i) { return GetObject(i)->Visible; };
    auto placeTop = [&r](TSkSkinObject* c) {
        const int h = c->height_;
        c->SetBounds(RECT{r.left, r.top, r.right, r.top + h});
        r.top += h;
    };
    auto placeBottom = [&r](TSkSkinObject* c) {
        const int h = c->height_;
        c->SetBounds(RECT{r.left, r.bottom - h, r.right, r.bottom});
        r.bottom -= h;
    };
    auto placeLeft = [&r](TSkSkinObject* c) {
        const int w = c->width_;
        c->SetBounds(RECT{r.left, r.top, r.left + w, r.bottom});
        r.left += w;
    };
    auto placeRight = [&r](TSkSkinObject* c) {
        const int w = c->width_;
        c->SetBounds(RECT{r.right - w, r.top, r.right, r.bottom});
        r.right -= w;
    };
    auto pass = [&](TSkAlign a, auto placeA, TSkAlign b, auto placeB) {
        for (int i = 0; i < count; ++i) {
            if (!visible(i))
                continue;
            TSkSkinObject* c = GetObject(i);
            if (c->align_ == a)
                placeA(c);
            else if (c->align_ == b)
                placeB(c);
        }
    };
    pass(saMostTop, placeTop, saMostBottom, placeBottom);
    pass(saMostLeft, placeLeft, saMostRight, placeRight);
    pass(saTop, placeTop, saBottom, placeBottom);
    pass(saLeft, placeLeft, saRight, placeRight);

    bool haveText = false;
    for (int i = 0; i < count; ++i)
        haveText = haveText || (visible(i) && GetObject(i)->align_ == saText);
    if (haveText) {
        HDC screen = GetDC(nullptr);
        vcl::TCanvas canvas;
        canvas.SetHandle(screen);
        for (int i = count - 1; i >= 0; --i) {
            TSkSkinObject* c = GetObject(i);
            if (!visible(i) || c->align_ != saText)
                continue;
            canvas.Font()->Assign(c->GetFont());
            const int w = SkTextWidth(&canvas, c->Text, 0) + c->textMarginLeft_ + c->textMarginRight_;
            c->SetBounds(RECT{c->left_, c->top_, c->left_ + w, c->top_ + c->height_});
        }
        canvas.SetHandle(nullptr);
        ReleaseDC(nullptr, screen);
    }
    for (int i = count - 1; i >= 0; --i) {
        TSkSkinObject* c = GetObject(i);
        if (!visible(i) || c->align_ != saCenter)
            continue;
        const int left = r.left + (r.right - r.left - c->width_) / 2;
        const int top = r.top + (r.bottom - r.top - c->height_) / 2;
        c->SetBounds(RECT{left, top, left + c->width_, top + c->height_});
    }
    for (int i = 0; i < count; ++i)
        if (visible(i) && GetObject(i)->align_ == saClient)
            GetObject(i)->SetBounds(r);
    // Corner anchors move by the size change; their own children stay.
    for (int i = 0; i < count; ++i) {
        TSkSkinObject* c = GetObject(i);
        switch (c->align_) {
        case saTopRight:
            if (PreviousWidth > 0)
                c->left_ += width_ - PreviousWidth;
            break;
        case saBottomLeft:
            c->top_ += height_ - PreviousHeight;
            break;
        case saBottomRight:
            if (PreviousWidth > 0)
                c->left_ += width_ - PreviousWidth;
            c->top_ += height_ - PreviousHeight;
            break;
        default:
            break;
        }
    }
}

// ------------------------------------------------------------ tree state

void TSkSkinObject::SetActive(bool value)
{
    if (Active == value)
        return;
    Active = value;
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->SetActive(value);
}

void TSkSkinObject::SetState(std::uint8_t state)
{
    State = state;
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->SetState(state);
}

void TSkSkinObject::SetControl(vcl::TControl* control)
{
    Control = control;
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->SetControl(control);
    if (control)
        SetBiDiMode(static_cast<std::uint8_t>(control->BiDiMode()));
}

void TSkSkinObject::SetBiDiMode(std::uint8_t mode)
{
    BiDiMode = mode;
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->SetBiDiMode(mode);
}

void TSkSkinObject::SetBitmapList(TSkBitmapList* list)
{
    BitmapList = list;
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->SetBitmapList(list);
}

void TSkSkinObject::SetCharset(BYTE charset)
{
    font_->SetCharset(charset);
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->SetCharset(charset);
}

void TSkSkinObject::ResolveLinks()
{
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->ResolveLinks();
}

vcl::TFont* TSkSkinObject::GetFont() { return font_; }

// ------------------------------------------------------------------- hue

std::vector<TSkSkinObject::HueColor> TSkSkinObject::HueColors() const
{
    return {{color_, true}, {font_->Color(), true}};
}

void TSkSkinObject::SetHueColors(const std::vector<vcl::TColor>& colors)
{
    color_ = colors[0];
    font_->SetColor(colors[1]);
}

void TSkSkinObject::ChangeHue(int delta)
{
    if (!hueBase_)
        hueBase_ = HueColors();
    hueTotal_ += delta;
    std::vector<vcl::TColor> colors;
    for (const HueColor& c : *hueBase_) {
        if ((c.keepNone && c.value == vcl::clNone) || hueTotal_ == 0)
            colors.push_back(c.value);
        else
            colors.push_back(PixelToColor(ShiftHue(ColorToPixel(c.value), hueTotal_)));
    }
    SetHueColors(colors);
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->ChangeHue(delta);
}

// ---------------------------------------------------------------- regions

HRGN TSkSkinObject::CreateRegion()
{
    return CreateRectRgn(left_, top_, left_ + width_, top_ + height_);
}

HRGN TSkSkinObject::GetRegion()
{
    if (width_ <= 0 || height_ <= 0)
        return nullptr;
    if (GetCount() == 0 || drawIfOwner_ || !masked_)
        return CreateRegion();
    HRGN result = nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        TSkSkinObject* c = GetObject(i);
        if (!c->Visible)
            continue;
        HRGN part = c->GetRegion();
        if (!part)
            continue;
        if (!result) {
            result = part;
        } else {
            CombineRgn(result, result, part, RGN_OR);
            DeleteObject(part);
        }
    }
    return result;
}

// -------------------------------------------------------------- messages

vcl::TComponent* TSkSkinObject::GetForm()
{
    if (!Control)
        return nullptr;
    LRESULT answer;
    auto* win = dynamic_cast<vcl::TWinControl*>(Control);
    if (win && win->HandleAllocated())
        answer = SendMessageA(win->Handle(), SKM_GETFORM, 0, 0);
    else
        answer = Control->Perform(SKM_GETFORM, 0, 0);
    auto* form = reinterpret_cast<vcl::TComponent*>(answer);
    return form && vcl::IsLiveObject(form) ? form : nullptr;
}

void TSkSkinObject::Changed()
{
    if (!Visible || !Control)
        return;
    const auto lParam = reinterpret_cast<LPARAM>(this);
    auto* win = dynamic_cast<vcl::TWinControl*>(Control);
    if (win && win->HandleAllocated())
        SendMessageA(win->Handle(), SKM_OBJECTCHANGED, 0, lParam);
    else
        Control->Perform(SKM_OBJECTCHANGED, 0, lParam);
}

// -------------------------------------------------------------- painting

void TSkSkinObject::Paint(vcl::TCanvas* canvas)
{
    if (!Visible || width_ <= 0 || height_ <= 0)
        return;
    if (GetCount() == 0 || drawIfOwner_) {
        const vcl::TColor fill = PaintColor();
        if (fill != vcl::clNone) {
            canvas->Brush()->SetStyle(vcl::bsSolid);
            canvas->Brush()->SetColor(fill);
            canvas->FillRect(GetBounds());
        }
        PaintText(canvas);
    }
    PaintChildren(canvas);
}

void TSkSkinObject::PaintChildren(vcl::TCanvas* canvas)
{
    for (int i = 0; i < GetCount(); ++i) {
        TSkSkinObject* c = GetObject(i);
        if (c->Visible && c->width_ > 0 && c->height_ > 0)
            c->Paint(canvas);
    }
}

void TSkSkinObject::PaintText(vcl::TCanvas* canvas)
{
    if (Text == u"-") {
        const int y = top_ + height_ / 2 - 1;
        canvas->Brush()->SetStyle(vcl::bsSolid);
        canvas->Brush()->SetColor(GetFont()->Color());
        canvas->FillRect(RECT{left_ + 3, y, left_ + width_ - 3, y + 1});
        return;
    }
    if (Text.empty() && ShortCutText.empty())
        return;
    RECT r = GetBounds();
    r.left += textMarginLeft_;
    r.right -= textMarginRight_;
    r.top += textMarginTop_;
    canvas->Font()->Assign(PaintFont());
    if (!Enabled)
        canvas->Font()->SetColor(0x808080);
    auto draw = [&](const vcl::WideString& text, UINT flags) {
        if (textEffect_ == teShadow) {
            const vcl::TColor color = canvas->Font()->Color();
            canvas->Font()->SetColor(vcl::clBlack);
            RECT shadow{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
            SkDrawText(canvas, text, shadow, flags);
            canvas->Font()->SetColor(color);
        }
        SkDrawText(canvas, text, r, flags);
    };
    if (!Text.empty()) {
        vcl::WideString text = Text;
        if (kind_ == skTitle) {
            canvas->RequiredState({vcl::csHandleValid, vcl::csFontValid});
            EllipsisText(canvas->Handle(), Text, width_ - textMarginLeft_ - textMarginRight_, text);
        }
        static constexpr UINT kFlags[9] = {
            DT_LEFT | DT_TOP,         DT_CENTER | DT_TOP,         DT_RIGHT | DT_TOP,
            DT_LEFT | DT_VCENTER,     DT_CENTER | DT_VCENTER,     DT_RIGHT | DT_VCENTER,
            DT_LEFT | DT_BOTTOM,      DT_CENTER | DT_BOTTOM,      DT_RIGHT | DT_BOTTOM};
        // Right-to-left mirroring only applies on a right-to-left system
        // locale, which ours never is.
        draw(text, kFlags[textAlign_] | DT_SINGLELINE);
    }
    // A menu item's key stands at the right end of the same rectangle.
    if (!ShortCutText.empty())
        draw(ShortCutText, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}

// --------------------------------------------------------- active object

TSkActiveObject::TSkActiveObject(vcl::TComponent* owner) : TSkSkinObject(owner), activeFont_(new vcl::TFont()) {}

TSkActiveObject::~TSkActiveObject()
{
    DestroyComponents();
    delete activeFont_;
}

bool TSkActiveObject::ShowsActive() const { return Active || IsActiveState(State); }

vcl::TFont* TSkActiveObject::GetFont() { return IsActiveState(State) ? activeFont_ : TSkSkinObject::GetFont(); }
vcl::TColor TSkActiveObject::PaintColor() { return ShowsActive() ? activeColor_ : Color(); }
vcl::TFont* TSkActiveObject::PaintFont() { return ShowsActive() ? activeFont_ : Font(); }

void TSkActiveObject::SetCharset(BYTE charset)
{
    activeFont_->SetCharset(charset);
    TSkSkinObject::SetCharset(charset);
}

void TSkActiveObject::Assign(vcl::TPersistent* source)
{
    TSkSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkActiveObject*>(source)) {
        activeColor_ = s->activeColor_;
        activeFont_->Assign(s->activeFont_);
    }
}

std::vector<TSkSkinObject::HueColor> TSkActiveObject::HueColors() const
{
    auto colors = TSkSkinObject::HueColors();
    colors.push_back({activeColor_, true});
    colors.push_back({activeFont_->Color(), false});
    return colors;
}

void TSkActiveObject::SetHueColors(const std::vector<vcl::TColor>& colors)
{
    TSkSkinObject::SetHueColors(colors);
    activeColor_ = colors[2];
    activeFont_->SetColor(colors[3]);
}

// ----------------------------------------------------------- text object

TSkTextObject::TSkTextObject(vcl::TComponent* owner) : TSkSkinObject(owner)
{
    for (auto*& f : fonts_)
        f = new vcl::TFont();
}

TSkTextObject::~TSkTextObject()
{
    DestroyComponents();
    for (auto* f : fonts_)
        delete f;
}

vcl::TFont* TSkTextObject::GetFont()
{
    switch (State) {
    case kStateHot: return FontHot();
    case kStatePressed: return FontPressed();
    case kStateFocused: return FontFocused();
    case kStateDisabled: return FontDisabled();
    default: return TSkSkinObject::GetFont();
    }
}

void TSkTextObject::SetCharset(BYTE charset)
{
    for (auto* f : fonts_)
        f->SetCharset(charset);
    TSkSkinObject::SetCharset(charset);
}

void TSkTextObject::Assign(vcl::TPersistent* source)
{
    TSkSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkTextObject*>(source))
        for (int i = 0; i < 4; ++i)
            fonts_[i]->Assign(s->fonts_[i]);
}

std::vector<TSkSkinObject::HueColor> TSkTextObject::HueColors() const
{
    auto colors = TSkSkinObject::HueColors();
    for (auto* f : fonts_)
        colors.push_back({f->Color(), false});
    return colors;
}

void TSkTextObject::SetHueColors(const std::vector<vcl::TColor>& colors)
{
    TSkSkinObject::SetHueColors(colors);
    for (int i = 0; i < 4; ++i)
        fonts_[i]->SetColor(colors[static_cast<size_t>(2 + i)]);
}

}  // namespace skin
