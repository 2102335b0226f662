#include "skin/skins/sk_bitmap_objects.h"


namespace skin {

using B = TSkBitmapObject;

VCL_IMPLEMENT_CLASS(TSkBitmapObject, TSkSkinObject, [](auto& b) {
    b.Component();
    b.Object("Bitmap", &B::Bitmap);
    b.Enum("BorderTileStyle", &kTileStyleInfo, &B::BorderTileStyle, &B::SetBorderTileStyle,
           std::optional<TscTileStyle>());
    b.Bool("MaskedBorder", &B::MaskedBorder, &B::SetMaskedBorder, std::nullopt);
    b.Bool("MaskedAngles", &B::MaskedAngles, &B::SetMaskedAngles, std::nullopt);
    b.Enum("TileStyle", &kTileStyleInfo, &B::TileStyle, &B::SetTileStyle, std::optional<TscTileStyle>());
})

VCL_IMPLEMENT_CLASS(TSkActiveBitmap, TSkBitmapObject, [](auto& b) {
    b.Component();
    b.Object("ActiveBitmap", &TSkActiveBitmap::ActiveBitmap);
    b.Object("ActiveFont", &TSkActiveBitmap::ActiveFont);
})

VCL_IMPLEMENT_CLASS(TSkButtonObject, TSkBitmapObject, [](auto& b) {
    b.Component();
    b.Object("BitmapHot", &TSkButtonObject::BitmapHot);
    b.Object("BitmapFocused", &TSkButtonObject::BitmapFocused);
    b.Object("BitmapPressed", &TSkButtonObject::BitmapPressed);
    b.Object("BitmapDisabled", &TSkButtonObject::BitmapDisabled);
})

// ---------------------------------------------------------- bitmap object

TSkBitmapObject::TSkBitmapObject(vcl::TComponent* owner)
    : TSkSkinObject(owner), bitmap_(std::make_unique<TSkBitmapLink>())
{
}

TSkBitmapObject::~TSkBitmapObject() { DestroyComponents(); }

TSkSlicePlan TSkBitmapObject::SlicePlan() const
{
    TSkSlicePlan plan;
    plan.marginLeft = MarginLeft();
    plan.marginTop = MarginTop();
    plan.marginRight = MarginRight();
    plan.marginBottom = MarginBottom();
    plan.tileStyle = tileStyle_;
    plan.borderTileStyle = borderTileStyle_;
    plan.maskCentre = Masked();
    plan.maskBorder = maskedBorder_;
    plan.maskAngles = maskedAngles_;
    return plan;
}

void TSkBitmapObject::PaintPicture(vcl::TCanvas* canvas)
{
    PaintLinkPicture(canvas, PictureLink(), GetBounds(), SlicePlan());
}

void TSkBitmapObject::Paint(vcl::TCanvas* canvas)
{
    if (!Visible || Width() <= 0 || Height() <= 0)
        return;
    PaintPicture(canvas);
    PaintText(canvas);
    // Children may follow text-dependent widths set since the last layout.
    AlignChildren();
    PaintChildren(canvas);
}

HRGN TSkBitmapObject::CreateRegion()
{
    if (!bitmap_->IsValid() || Width() <= 0 || Height() <= 0)
        return nullptr;
    if (Kind() == skClient || !Masked())
        return TSkSkinObject::CreateRegion();
    return RegionOfPaintedPixels(this);
}

void TSkBitmapObject::ResolveLinks()
{
    ResolveLink(bitmap_.get(), BitmapList);
    TSkSkinObject::ResolveLinks();
}

void TSkBitmapObject::Assign(vcl::TPersistent* source)
{
    TSkSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkBitmapObject*>(source)) {
        bitmap_->Assign(s->bitmap_.get());
        borderTileStyle_ = s->borderTileStyle_;
        maskedBorder_ = s->maskedBorder_;
        maskedAngles_ = s->maskedAngles_;
        tileStyle_ = s->tileStyle_;
    }
}

// ---------------------------------------------------------- active bitmap

namespace {

bool HotOrFocused(std::uint8_t state) { return state == kStateHot || state == kStateFocused; }

}  // namespace

TSkActiveBitmap::TSkActiveBitmap(vcl::TComponent* owner)
    : TSkBitmapObject(owner), activeBitmap_(std::make_unique<TSkBitmapLink>()),
      activeFont_(std::make_unique<vcl::TFont>())
{
}

TSkActiveBitmap::~TSkActiveBitmap() { DestroyComponents(); }

vcl::TFont* TSkActiveBitmap::GetFont()
{
    return HotOrFocused(State) ? activeFont_.get() : TSkBitmapObject::GetFont();
}

const TSkBitmapLink* TSkActiveBitmap::PictureLink()
{
    if (Active || HotOrFocused(State))
        return UsableOr(activeBitmap_.get(), Bitmap());
    return Bitmap();
}

void TSkActiveBitmap::SetCharset(BYTE charset)
{
    activeFont_->SetCharset(charset);
    TSkBitmapObject::SetCharset(charset);
}

void TSkActiveBitmap::ResolveLinks()
{
    ResolveLink(activeBitmap_.get(), BitmapList);
    TSkBitmapObject::ResolveLinks();
}

void TSkActiveBitmap::Assign(vcl::TPersistent* source)
{
    TSkBitmapObject::Assign(source);
    if (auto* s = dynamic_cast<TSkActiveBitmap*>(source)) {
        activeBitmap_->Assign(s->activeBitmap_.get());
        activeFont_->Assign(s->activeFont_.get());
    }
}

std::vector<TSkSkinObject::HueColor> TSkActiveBitmap::HueColors() const
{
    auto colors = TSkBitmapObject::HueColors();
    colors.push_back({activeFont_->Color(), false});
    return colors;
}

void TSkActiveBitmap::SetHueColors(const std::vector<vcl::TColor>& colors)
{
    TSkBitmapObject::SetHueColors(colors);
    activeFont_->SetColor(colors[2]);
}

// ---------------------------------------------------------- button object

TSkButtonObject::TSkButtonObject(vcl::TComponent* owner) : TSkBitmapObject(owner) {}

TSkButtonObject::~TSkButtonObject() { DestroyComponents(); }

const TSkBitmapLink* TSkButtonObject::PictureLink()
{
    return links_.Pick(State, Bitmap());
}

void TSkButtonObject::ResolveLinks()
{
    links_.Resolve(BitmapList);
    TSkBitmapObject::ResolveLinks();
}

void TSkButtonObject::Assign(vcl::TPersistent* source)
{
    TSkBitmapObject::Assign(source);
    if (auto* s = dynamic_cast<TSkButtonObject*>(source))
        links_.Assign(s->links_);
}

}  // namespace skin
