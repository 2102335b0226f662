#include "skin/skins/sk_system_buttons.h"

#include "platform/vcl/forms.h"
#include "platform/user/winuser.h"
#include "skin/skins/sk_frame_actions.h"

namespace skin {

const vcl::TEnumInfo kSkActionInfo{"TSkAction",
                                   {"sbaNone", "sbaClose", "sbaHelp", "sbaMinimize", "sbaMaximize", "sbaRestore",
                                    "sbaRollUp", "sbaRollDown", "sbaTray", "sbaSysMenu", "sbaRollPanel", "sbaCustom"}};

using S = TSkSystemButton;
VCL_IMPLEMENT_CLASS(TSkSystemButton, TSkActiveBitmap, [](auto& b) {
    b.Component();
    b.Enum("Action", &kSkActionInfo, &S::Action, &S::SetAction, std::optional<TSkAction>());
    b.Object("BitmapHot", &S::BitmapHot);
    b.Object("BitmapPressed", &S::BitmapPressed);
})

using SO = TSkSysButtonSkinObject;
VCL_IMPLEMENT_CLASS(TSkSysButtonSkinObject, TSkBitmapSkinObject, [](auto& b) {
    b.Component();
    b.Enum("Action", &kSkActionInfo, &SO::Action, &SO::SetAction, std::optional<TSkAction>());
    b.Object("BitmapHover", &SO::BitmapHover);
    b.Object("BitmapDown", &SO::BitmapDown);
    b.Str("RollPanel", &SO::RollPanel, &SO::SetRollPanel);
})

TSkFrameActions* FrameActionsOf(TSkSkinObject* object)
{
    return object ? dynamic_cast<TSkFrameActions*>(object->GetForm()) : nullptr;
}

namespace {

bool HiddenInFrameState(TSkAction action, std::uint8_t value)
{
    switch (value) {
    case kStateNormal: return action == sbaRestore || action == sbaRollDown;
    case kStateMaximized: return action == sbaMaximize || action == sbaRollDown;
    case kStateMinimized:
        return action == sbaMinimize || action == sbaMaximize || action == sbaRollUp || action == sbaRollDown;
    case kStateRolledUp: return action == sbaRestore || action == sbaRollUp;
    default: return false;
    }
}

// The border icon an action needs, or -1.
int NeededIcon(TSkAction action)
{
    switch (action) {
    case sbaClose: return kfiClose;
    case sbaHelp: return kfiHelp;
    case sbaMinimize: return kfiMinimize;
    case sbaMaximize:
    case sbaRestore: return kfiMaximize;
    case sbaRollUp:
    case sbaRollDown: return kfiRollup;
    case sbaTray: return kfiTray;
    case sbaSysMenu: return kfiSystemMenu;
    default: return -1;
    }
}

TSkSkinObject* TreeRoot(TSkSkinObject* object)
{
    while (auto* parent = dynamic_cast<TSkSkinObject*>(object->Owner()))
        object = parent;
    return object;
}

}  // namespace

// ---------------------------------------------------------------- tracker

void TSkSystemButtonTracker::FollowFrameState(TSkSkinObject& button, TSkAction action, std::uint8_t value) const
{
    TSkFrameActions* frame = FrameActionsOf(&button);
    if (!frame)
        return;
    if (value == kStateNormal || value == kStateMaximized || value == kStateMinimized || value == kStateRolledUp)
        button.Visible = !HiddenInFrameState(action, value);
    const int icon = NeededIcon(action);
    if (icon >= 0 && (frame->FrameBorderIcons() & (1u << icon)) == 0)
        button.Visible = false;
}

void TSkSystemButtonTracker::MouseEnter(TSkSkinObject& button)
{
    hover = shift.Contains(vcl::ssLeft) ? 2 : 1;
    button.Changed();
}

void TSkSystemButtonTracker::MouseLeave(TSkSkinObject& button)
{
    hover = 0;
    button.Changed();
}

void TSkSystemButtonTracker::MouseDown(TSkSkinObject& button, vcl::TMouseButton which)
{
    if (which != vcl::mbLeft)
        return;
    hover = 2;
    button.Changed();
}

namespace {

bool ShownOnScreen(vcl::TControl* control)
{
    if (!control)
        return false;
    auto* window = dynamic_cast<vcl::TWinControl*>(control);
    return control->Parent() || (window && window->HandleAllocated());
}

}  // namespace

void TSkSystemButtonTracker::MouseMove(TSkSkinObject& button, vcl::TShiftState state)
{
    if (hover == 2 && state.Contains(vcl::ssLeft))
        button.Changed();
    else if (ShownOnScreen(button.Control) && vcl::Application)
        vcl::Application->ActivateHint(button.Control->ClientToScreen(POINT{button.Left(), button.Top()}));
    shift = state;
}

bool TSkSystemButtonTracker::MouseUp(TSkSkinObject& button, vcl::TMouseButton which)
{
    const bool act = hover == 2 && which == vcl::mbLeft;
    if (act) {
        hover = 1;
        button.Changed();
    }
    shift = vcl::TShiftState();
    return act;
}

void TSkSystemButtonTracker::DblClick(TSkSkinObject& button, TSkAction action, vcl::TMouseButton which) const
{
    if (which != vcl::mbLeft || action != sbaSysMenu)
        return;
    if (TSkFrameActions* frame = FrameActionsOf(&button))
        frame->FrameClose();
}

void DoSystemAction(TSkSkinObject& button, TSkAction action, const vcl::AnsiString& rollPanel)
{
    TSkFrameActions* frame = FrameActionsOf(&button);
    if (!frame)
        return;
    switch (action) {
    case sbaClose: frame->FrameClose(); break;
    case sbaHelp: frame->FrameHelp(); break;
    case sbaMinimize: frame->FrameMinimize(); break;
    case sbaMaximize: frame->FrameMaximize(); break;
    case sbaRestore:
    case sbaRollDown: frame->FrameRestore(); break;
    case sbaRollUp: frame->FrameRollup(); break;
    case sbaTray: frame->FrameMinimizeToTray(); break;
    case sbaSysMenu: frame->FrameShowSystemMenu(); break;
    case sbaCustom: frame->FrameCustomAction(&button); break;
    case sbaRollPanel:
        if (dynamic_cast<TSkSysButtonSkinObject*>(&button))
            if (auto* panel = dynamic_cast<TSkRollPanelObject*>(TreeRoot(&button)->FindObject(rollPanel)))
                panel->Roll();
        break;
    case sbaNone: break;
    }
}

bool PaintSystemMenuIcon(TSkSkinObject& button, TSkAction action, vcl::TCanvas* canvas)
{
    if (action != sbaSysMenu)
        return false;
    auto* form = dynamic_cast<vcl::TCustomForm*>(button.Control);
    if (!form)
        return false;
    HICON icon = nullptr;
    if (form->Icon() && !form->Icon()->Empty())
        icon = form->Icon()->Handle();
    else if (vcl::Application && vcl::Application->Icon() && !vcl::Application->Icon()->Empty())
        icon = vcl::Application->Icon()->Handle();
    else
        icon = LoadIconA(nullptr, IDI_APPLICATION);
    int w = GetSystemMetrics(SM_CXSMICON);
    int h = GetSystemMetrics(SM_CYSMICON);
    if (w == 0)
        w = GetSystemMetrics(SM_CXSIZE);
    if (h == 0)
        h = GetSystemMetrics(SM_CYSIZE);
    if (!icon)
        return true;
    HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, w, h, LR_COPYFROMRESOURCE));
    DrawIconEx(canvas->Handle(), button.Left(), button.Top(), copy ? copy : icon, w, h, 0, nullptr, DI_NORMAL);
    if (copy)
        DestroyIcon(copy);
    return true;
}

// ---------------------------------------------------- system button (bitmap)

TSkSystemButton::TSkSystemButton(vcl::TComponent* owner)
    : TSkActiveBitmap(owner), hot_(std::make_unique<TSkBitmapLink>()), pressed_(std::make_unique<TSkBitmapLink>())
{
    SetKind(skSysButton);
}

TSkSystemButton::~TSkSystemButton() { DestroyComponents(); }

void TSkSystemButton::SetState(std::uint8_t state)
{
    TSkActiveBitmap::SetState(state);
    tracker_.FollowFrameState(*this, action_, state);
}

void TSkSystemButton::SetChildState(std::uint8_t state)
{
    for (int i = 0; i < GetCount(); ++i)
        GetObject(i)->SetState(state);
}

const TSkBitmapLink* TSkSystemButton::PictureLink()
{
    return hoverPicture_ ? hoverPicture_ : TSkActiveBitmap::PictureLink();
}

void TSkSystemButton::PaintPicture(vcl::TCanvas* canvas)
{
    if (!PaintSystemMenuIcon(*this, action_, canvas))
        TSkActiveBitmap::PaintPicture(canvas);
}

void TSkSystemButton::PaintHovered(vcl::TCanvas* canvas, const TSkBitmapLink* picture, std::uint8_t childState)
{
    // The hovered look is the inactive picture swapped for the hover one,
    // with the children (a glyph, a text) in the matching state.
    const bool wasActive = Active;
    if (picture)
        SetActive(false);
    hoverPicture_ = picture;
    SetChildState(childState);
    auto restore = [&] {
        hoverPicture_ = nullptr;
        SetActive(wasActive);
        SetChildState(kStateNormal);
    };
    try {
        TSkActiveBitmap::Paint(canvas);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TSkSystemButton::Paint(vcl::TCanvas* canvas)
{
    if (!Visible || Width() <= 0 || Height() <= 0)
        return;
    if (!Active)
        PaintHovered(canvas, nullptr, kStateDisabled);
    else if (tracker_.hover == 0)
        TSkActiveBitmap::Paint(canvas);
    else if (tracker_.hover == 1)
        PaintHovered(canvas, UsableOr(hot_.get(), Bitmap()), kStateHot);
    else
        PaintHovered(canvas, UsableOr(pressed_.get(), Bitmap()), kStatePressed);
}

void TSkSystemButton::MouseUp(vcl::TMouseButton button, int, int)
{
    if (tracker_.MouseUp(*this, button))
        DoAction();
}

void TSkSystemButton::ResolveLinks()
{
    ResolveLink(hot_.get(), BitmapList);
    ResolveLink(pressed_.get(), BitmapList);
    TSkActiveBitmap::ResolveLinks();
}

void TSkSystemButton::Assign(vcl::TPersistent* source)
{
    TSkActiveBitmap::Assign(source);
    if (auto* s = dynamic_cast<TSkSystemButton*>(source)) {
        action_ = s->action_;
        hot_->Assign(s->hot_.get());
        pressed_->Assign(s->pressed_.get());
    }
}

// ------------------------------------------------- system button (plain)

TSkSysButtonSkinObject::TSkSysButtonSkinObject(vcl::TComponent* owner)
    : TSkBitmapSkinObject(owner), hover_(std::make_unique<TSkBitmapLink>()), down_(std::make_unique<TSkBitmapLink>())
{
    SetKind(skSysButton);
}

TSkSysButtonSkinObject::~TSkSysButtonSkinObject() { DestroyComponents(); }

void TSkSysButtonSkinObject::SetState(std::uint8_t state)
{
    TSkBitmapSkinObject::SetState(state);
    tracker_.FollowFrameState(*this, action_, state);
}

const TSkBitmapLink* TSkSysButtonSkinObject::PictureLink()
{
    if (tracker_.hover == 1)
        return UsableOr(hover_.get(), Bitmap());
    if (tracker_.hover == 2)
        return UsableOr(down_.get(), Bitmap());
    return Bitmap();
}

void TSkSysButtonSkinObject::PaintPicture(vcl::TCanvas* canvas)
{
    if (!PaintSystemMenuIcon(*this, action_, canvas))
        TSkBitmapSkinObject::PaintPicture(canvas);
}

void TSkSysButtonSkinObject::MouseUp(vcl::TMouseButton button, int, int)
{
    if (tracker_.MouseUp(*this, button))
        DoAction();
}

void TSkSysButtonSkinObject::ResolveLinks()
{
    ResolveLink(hover_.get(), BitmapList);
    ResolveLink(down_.get(), BitmapList);
    TSkBitmapSkinObject::ResolveLinks();
}

void TSkSysButtonSkinObject::Assign(vcl::TPersistent* source)
{
    TSkBitmapSkinObject::Assign(source);
    if (auto* s = dynamic_cast<TSkSysButtonSkinObject*>(source)) {
        action_ = s->action_;
        hover_->Assign(s->hover_.get());
        down_->Assign(s->down_.get());
        rollPanel_ = s->rollPanel_;
    }
}

}  // namespace skin
