#include "skin/skins/sk_skin_objects2.h"

#include "platform/vcl/forms.h"
#include "skin/graphics/sk_text.h"
#include "skin/skins/sk_system_buttons.h"

namespace skin {

const vcl::TEnumInfo kRollKindInfo{"TSkRollKind", {"rkLeft", "rkTop", "rkRight", "rkBottom"}};

VCL_IMPLEMENT_CLASS(TSkLinkSkinObject, TSkSkinObject, [](auto& b) {
    b.Component();
    b.Str("LinkControl", &TSkLinkSkinObject::LinkControl, &TSkLinkSkinObject::SetLinkControl);
})

VCL_IMPLEMENT_CLASS(TSkActiveSkinObject, TSkSkinObject, [](auto& b) {
    b.Component();
    b.Int("ActiveColor", &TSkActiveSkinObject::ActiveColor, &TSkActiveSkinObject::SetActiveColor, std::nullopt)
        .identMap = vcl::ColorIdentMap();
    b.Object("ActiveFont", &TSkActiveSkinObject::ActiveFont);
})

VCL_IMPLEMENT_CLASS(TSkBitmapSkinObject, TSkSkinObject, [](auto& b) {
    b.Component();
    b.Object("Bitmap", &TSkBitmapSkinObject::Bitmap);
    b.Enum("TileStyle", &kTileStyleInfo, &TSkBitmapSkinObject::TileStyle, &TSkBitmapSkinObject::SetTileStyle,
           std::optional<TscTileStyle>());
})

VCL_IMPLEMENT_CLASS(TSkFormBitmapSkinObject, TSkBitmapSkinObject, [](auto& b) {
    b.Component();
    b.Object("InactiveBitmap", &TSkFormBitmapSkinObject::InactiveBitmap);
})

using C = TSkColorButtonObject;
VCL_IMPLEMENT_CLASS(TSkColorButtonObject, TSkSkinObject, [](auto& b) {
    b.Component();
    b.Int("HotColor", &C::HotColor, &C::SetHotColor, std::nullopt).identMap = vcl::ColorIdentMap();
    b.Object("HotFont", &C::HotFont);
    b.Int("PressedColor", &C::PressedColor, &C::SetPressedColor, std::nullopt).identMap = vcl::ColorIdentMap();
    b.Object("PressedFont", &C::PressedFont);
    b.Int("FocusedColor", &C::FocusedColor, &C::SetFocusedColor, std::nullopt).identMap = vcl::ColorIdentMap();
    b.Object("FocusedFont", &C::FocusedFont);
    b.Int("DisabledColor", &C::DisabledColor, &C::SetDisabledColor, std::nullopt).identMap = vcl::ColorIdentMap();
    b.Object("DisabledFont", &C::DisabledFont);
})

VCL_IMPLEMENT_CLASS(TSkBitmapBoxObject, TSkBitmapSkinObject, [](auto& b) {
    b.Component();
    b.Enum("BorderTileStyle", &kTileStyleInfo, &TSkBitmapBoxObject::BorderTileStyle,
           &TSkBitmapBoxObject::SetBorderTileStyle, std::optional<TscTileStyle>());
})

VCL_IMPLEMENT_CLASS(TSkActiveBitmapBoxObject, TSkBitmapBoxObject, [](auto& b) {
    b.Component();
    b.Object("FocusedBitmap", &TSkActiveBitmapBoxObject::FocusedBitmap);
})

using BB = TSkButtonBitmapBoxObject;
VCL_IMPLEMENT_CLASS(TSkButtonBitmapBoxObject, TSkBitmapBoxObject, [](auto& b) {
    b.Component();
    b.Object("HotBitmap", &BB::HotBitmap);
    b.Object("FocusedBitmap", &BB::FocusedBitmap);
    b.Object("PressedBitmap", &BB::PressedBitmap);
    b.Object("DisabledBitmap", &BB::DisabledBitmap);
})

VCL_IMPLEMENT_CLASS(TSkRollPanelObject, TSkSkinObject, [](auto& b) {
    b.Component();
    b.Enum("RollKind", &kRollKindInfo, &TSkRollPanelObject::RollKind, &TSkRollPanelObject::SetRollKind,
           std::optional<TSkRollKind>());
    b.Int("RollValue", &TSkRollPanelObject::RollValue, &TSkRollPanelObject::SetRollValue, std::nullopt);
})

void RegisterSkinObjects2()
{
    static const bool done = [] {
        for (vcl::TClass cls :
             {TSkLinkSkinObject::StaticClass(), TSkBitmapSkinObject::StaticClass(),
              TSkFormBitmapSkinObject::StaticClass(), TSkSysButtonSkinObject::StaticClass(),
              TSkActiveSkinObject::StaticClass(), TSkColorButtonObject::StaticClass(),
              TSkBitmapBoxObject::StaticClass(), TSkActiveBitmapBoxObject::StaticClass(),
              TSkButtonBitmapBoxObject::StaticClass(), TSkRollPanelObject::StaticClass()})
            RegisterSkinObject(cls);
        return true;
    }();
    (void)done;
}

namespace {

bool HotOrFocused(std::uint8_t state) { return state == kStateHot || state == kStateFocused; }

}  // namespace

// ------------------------------------------------------------ link object

void TSkLinkSkinObject::Paint(vcl::TCanvas* canvas)
{
    // Only the designer's placeholder view draws; at run time the linked
    // control stands where the object is.
    if (!Visible || Width() <= 0 || Height() <= 0 || State != kStateLinkPlaceholder)
        return;
    RECT r = GetBounds();
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->Brush()->SetColor(vcl::clWhite);
    canvas->FillRect(r);
    canvas->Brush()->SetColor(vcl::clBlack);
    canvas->FrameRect(r);
    canvas->Brush()->SetStyle(vcl::bsClear);
    canvas->Font()->SetName("Arial");
    canvas->Font()->SetColor(vcl::clBlack);
    canvas->Font()->SetStyle(vcl::TFontStyles{vcl::fsItalic});
    SkDrawText(canvas, vcl::AnsiToWide(linkControl_), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TSkLinkSkinObject::Assign(vcl::TPersistent* source)
{
    TSkSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkLinkSkinObject*>(source))
        linkControl_ = s->linkControl_;
}

// ---------------------------------------------------------- active object

TSkActiveSkinObject::TSkActiveSkinObject(vcl::TComponent* owner)
    : TSkSkinObject(owner), activeFont_(std::make_unique<vcl::TFont>())
{
}

TSkActiveSkinObject::~TSkActiveSkinObject() { DestroyComponents(); }

void TSkActiveSkinObject::MouseEnter()
{
    SetState(kStateHot);
    Changed();
}

void TSkActiveSkinObject::MouseLeave()
{
    SetState(kStateNormal);
    Changed();
}

vcl::TColor TSkActiveSkinObject::PaintColor() { return HotOrFocused(State) ? activeColor_ : Color(); }
vcl::TFont* TSkActiveSkinObject::PaintFont() { return HotOrFocused(State) ? activeFont_.get() : Font(); }

void TSkActiveSkinObject::SetCharset(BYTE charset)
{
    activeFont_->SetCharset(charset);
    TSkSkinObject::SetCharset(charset);
}

void TSkActiveSkinObject::Assign(vcl::TPersistent* source)
{
    TSkSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkActiveSkinObject*>(source)) {
        activeColor_ = s->activeColor_;
        activeFont_->Assign(s->activeFont_.get());
    }
}

std::vector<TSkSkinObject::HueColor> TSkActiveSkinObject::HueColors() const
{
    auto colors = TSkSkinObject::HueColors();
    colors.push_back({activeColor_, true});
    colors.push_back({activeFont_->Color(), false});
    return colors;
}

void TSkActiveSkinObject::SetHueColors(const std::vector<vcl::TColor>& colors)
{
    TSkSkinObject::SetHueColors(colors);
    activeColor_ = colors[2];
    activeFont_->SetColor(colors[3]);
}

// ---------------------------------------------------- bitmap skin object

TSkBitmapSkinObject::TSkBitmapSkinObject(vcl::TComponent* owner)
    : TSkSkinObject(owner), bitmap_(std::make_unique<TSkBitmapLink>())
{
}

TSkBitmapSkinObject::~TSkBitmapSkinObject() { DestroyComponents(); }

void TSkBitmapSkinObject::PaintPicture(vcl::TCanvas* canvas)
{
    TSkSlicePlan plan;
    plan.tileStyle = tileStyle_;
    plan.maskCentre = Masked();
    PaintLinkPicture(canvas, PictureLink(), GetBounds(), plan);
}

void TSkBitmapSkinObject::Paint(vcl::TCanvas* canvas)
{
    if (!Visible || Width() <= 0 || Height() <= 0)
        return;
    PaintPicture(canvas);
    PaintText(canvas);
}

HRGN TSkBitmapSkinObject::CreateRegion()
{
    if (!bitmap_->IsValid() || Width() <= 0 || Height() <= 0)
        return nullptr;
    if (Kind() == skClient)
        return TSkSkinObject::CreateRegion();
    return RegionOfPaintedPixels(this);
}

void TSkBitmapSkinObject::ResolveLinks()
{
    ResolveLink(bitmap_.get(), BitmapList);
    TSkSkinObject::ResolveLinks();
}

void TSkBitmapSkinObject::Assign(vcl::TPersistent* source)
{
    TSkSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkBitmapSkinObject*>(source)) {
        bitmap_->Assign(s->bitmap_.get());
        tileStyle_ = s->tileStyle_;
    }
}

// ------------------------------------------------------ form bitmap object

TSkFormBitmapSkinObject::TSkFormBitmapSkinObject(vcl::TComponent* owner)
    : TSkBitmapSkinObject(owner), inactive_(std::make_unique<TSkBitmapLink>())
{
}

TSkFormBitmapSkinObject::~TSkFormBitmapSkinObject() { DestroyComponents(); }

const TSkBitmapLink* TSkFormBitmapSkinObject::PictureLink()
{
    return Active ? Bitmap() : UsableOr(inactive_.get(), Bitmap());
}

void TSkFormBitmapSkinObject::ResolveLinks()
{
    ResolveLink(inactive_.get(), BitmapList);
    TSkBitmapSkinObject::ResolveLinks();
}

void TSkFormBitmapSkinObject::Assign(vcl::TPersistent* source)
{
    TSkBitmapSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkFormBitmapSkinObject*>(source))
        inactive_->Assign(s->inactive_.get());
}

// ------------------------------------------------------- colour button

TSkColorButtonObject::TSkColorButtonObject(vcl::TComponent* owner) : TSkSkinObject(owner)
{
    for (auto& f : fonts_)
        f = std::make_unique<vcl::TFont>();
}

TSkColorButtonObject::~TSkColorButtonObject() { DestroyComponents(); }

void TSkColorButtonObject::Paint(vcl::TCanvas* canvas)
{
    int slot = -1;
    switch (State) {
    case kStateHot: slot = 0; break;
    case kStatePressed: slot = 1; break;
    case kStateFocused: slot = 2; break;
    case kStateDisabled: slot = 3; break;
    default: break;
    }
    if (slot < 0) {
        TSkSkinObject::Paint(canvas);
        return;
    }
    // The state's font and colour stand in for the normal ones during the
    // paint, so the text and separator code sees them as the object's own.
    vcl::TFont saved;
    saved.Assign(Font());
    const vcl::TColor savedColor = Color();
    Font()->Assign(fonts_[slot].get());
    SetColor(colors_[slot]);
    try {
        TSkSkinObject::Paint(canvas);
    } catch (...) {
        Font()->Assign(&saved);
        SetColor(savedColor);
        throw;
    }
    Font()->Assign(&saved);
    SetColor(savedColor);
}

void TSkColorButtonObject::SetCharset(BYTE charset)
{
    for (auto& f : fonts_)
        f->SetCharset(charset);
    TSkSkinObject::SetCharset(charset);
}

void TSkColorButtonObject::Assign(vcl::TPersistent* source)
{
    TSkSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkColorButtonObject*>(source))
        for (int i = 0; i < 4; ++i) {
            colors_[i] = s->colors_[i];
            fonts_[i]->Assign(s->fonts_[i].get());
        }
}

std::vector<TSkSkinObject::HueColor> TSkColorButtonObject::HueColors() const
{
    auto colors = TSkSkinObject::HueColors();
    for (const auto& f : fonts_)
        colors.push_back({f->Color(), false});
    return colors;
}

void TSkColorButtonObject::SetHueColors(const std::vector<vcl::TColor>& colors)
{
    TSkSkinObject::SetHueColors(colors);
    for (int i = 0; i < 4; ++i)
        fonts_[i]->SetColor(colors[static_cast<size_t>(2 + i)]);
}

// ------------------------------------------------------------ bitmap boxes

void TSkBitmapBoxObject::PaintPicture(vcl::TCanvas* canvas)
{
    TSkSlicePlan plan;
    plan.marginLeft = MarginLeft();
    plan.marginTop = MarginTop();
    plan.marginRight = MarginRight();
    plan.marginBottom = MarginBottom();
    plan.tileStyle = TileStyle();
    plan.borderTileStyle = borderTileStyle_;
    plan.maskCentre = plan.maskBorder = plan.maskAngles = Masked();
    PaintLinkPicture(canvas, PictureLink(), GetBounds(), plan);
}

void TSkBitmapBoxObject::Assign(vcl::TPersistent* source)
{
    TSkBitmapSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkBitmapBoxObject*>(source))
        borderTileStyle_ = s->borderTileStyle_;
}

TSkActiveBitmapBoxObject::TSkActiveBitmapBoxObject(vcl::TComponent* owner)
    : TSkBitmapBoxObject(owner), focused_(std::make_unique<TSkBitmapLink>())
{
}

TSkActiveBitmapBoxObject::~TSkActiveBitmapBoxObject() { DestroyComponents(); }

const TSkBitmapLink* TSkActiveBitmapBoxObject::PictureLink()
{
    return HotOrFocused(State) ? UsableOr(focused_.get(), Bitmap()) : Bitmap();
}

void TSkActiveBitmapBoxObject::ResolveLinks()
{
    ResolveLink(focused_.get(), BitmapList);
    TSkBitmapBoxObject::ResolveLinks();
}

void TSkActiveBitmapBoxObject::Assign(vcl::TPersistent* source)
{
    TSkBitmapBoxObject::Assign(source);
    if (auto* s = dynamic_cast<TSkActiveBitmapBoxObject*>(source))
        focused_->Assign(s->focused_.get());
}

TSkButtonBitmapBoxObject::TSkButtonBitmapBoxObject(vcl::TComponent* owner) : TSkBitmapBoxObject(owner) {}

TSkButtonBitmapBoxObject::~TSkButtonBitmapBoxObject() { DestroyComponents(); }

const TSkBitmapLink* TSkButtonBitmapBoxObject::PictureLink()
{
    return links_.Pick(State, Bitmap());
}

void TSkButtonBitmapBoxObject::ResolveLinks()
{
    links_.Resolve(BitmapList);
    TSkBitmapBoxObject::ResolveLinks();
}

void TSkButtonBitmapBoxObject::Assign(vcl::TPersistent* source)
{
    TSkBitmapBoxObject::Assign(source);
    if (auto* s = dynamic_cast<TSkButtonBitmapBoxObject*>(source))
        links_.Assign(s->links_);
}

// ---------------------------------------------------------------- roll panel

void TSkRollPanelObject::Roll()
{
    if (!Owner())
        return;
    const bool horizontal = rollKind_ == rkLeft || rollKind_ == rkRight;
    const int size = horizontal ? Width() : Height();
    const bool rolled = size == rollValue_;
    int newSize = rollValue_;
    if (rolled) {
        newSize = unrolledSize_;
    } else {
        unrolledSize_ = size;
    }
    RECT r = GetBounds();
    switch (rollKind_) {
    case rkLeft: r.left = r.right - newSize; break;
    case rkTop: r.top = r.bottom - newSize; break;
    case rkRight: r.right = r.left + newSize; break;
    case rkBottom: r.bottom = r.top + newSize; break;
    }
    SetBounds(r);
    GetForm();
    if (vcl::Application)
        vcl::Application->ProcessMessages();
}

void TSkRollPanelObject::Assign(vcl::TPersistent* source)
{
    TSkSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkRollPanelObject*>(source)) {
        rollKind_ = s->rollKind_;
        rollValue_ = s->rollValue_;
    }
}

}  // namespace skin
