#include "skin/skins/sk_skin_form.h"

#include "platform/vcl/sysutils.h"
#include "skin/controls/sk_status_bar.h"
#include "skin/graphics/sk_pixels.h"
#include "skin/skins/sk_skin_items.h"
#include "skin/skins/sk_skin_objects2.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinForm, TSkCustomForm, [](auto& b) {
    using T = TSkSkinForm;
    b.Object("SkinManager", &T::SkinManager, &T::SetSkinManager);
    b.Str("SkinObject", &T::SkinObject, &T::SetSkinObject);
    b.Str("Version", &T::Version, &T::SetVersion);
    b.Event("OnCustomAction", &T::OnCustomAction);
    b.Message(SKM_OBJECTCHANGED, &T::SkmObjectChanged);
    b.Message(SKM_GETFORM, &T::SkmGetForm);
    b.Message(SKM_SKINWILLCHANGE, &T::SkmSkinWillChange);
    b.Message(SKM_SKINCHANGED, &T::SkmSkinChanged);
})

namespace {

constexpr unsigned kHoverInterval = 100;

}  // namespace

TSkSkinForm::TSkSkinForm(vcl::TComponent* owner) : TSkCustomForm(owner)
{
    SetActive(true);
    timer_ = new vcl::TTimer(this);
    timer_->SetInterval(kHoverInterval);
    timer_->OnTimer = [this](vcl::TObject*) { TrackHover(); };
    timer_->SetEnabled(!Designing());
}

TSkSkinForm::~TSkSkinForm()
{
    UntrackSkinManager(*this, manager_);
    DropFrame();
    delete timer_;
    timer_ = nullptr;
}

// ------------------------------------------------------------ the skin copy

bool TSkSkinForm::SourceUsable() const
{
    const TSkSkinSource* source = manager_ ? manager_->Source() : nullptr;
    return source && !source->Reloading && source->GetObjectCount() > 0;
}

bool TSkSkinForm::IsSkinned() const
{
    const vcl::TComponentState state = ComponentState();
    if (state.Contains(vcl::csDestroying) || state.Contains(vcl::csLoading))
        return false;
    return SourceUsable() && frame_ != nullptr;
}

bool TSkSkinForm::MaximizedMDIChild() const
{
    vcl::TCustomForm* form = OwnerForm();
    return form && form->FormStyle() == vcl::fsMDIChild && WindowState() == kwsMaximized;
}

void TSkSkinForm::DropFrame()
{
    tracked_ = nullptr;
    pressed_ = nullptr;
    client_ = nullptr;
    title_ = nullptr;
    frame_.reset();
}

void TSkSkinForm::SetSkinManager(TSkSkinManager* value)
{
    TrackSkinManager(*this, manager_, value);
    vcl::TCustomForm* form = OwnerForm();
    DropFrame();
    if (SourceUsable()) {
        TSkSkinSource* source = manager_->Source();
        TSkSkinObject* original = nullptr;
        if (objectName_ == "Form")
            original = source->GetFormObject();
        if (!original)
            original = source->FindObject(objectName_);
        if (!original)
            original = source->GetFormObject();
        if (original)
            frame_.reset(CloneSkinObject(original, nullptr));
        if (frame_) {
            frame_->SetControl(form);
            title_ = frame_->FindObjectByKind(skTitle);
            client_ = frame_->FindObjectByKind(skClient);
            if (form) {
                form->Font()->Assign(frame_->Font());
                form->SetColor(frame_->Color());
            }
        }
    } else if (form) {
        form->SetColor(vcl::clBtnFace);
    }
    if (IsSkinned() && !client_)
        FitToFrameObject();
    if (!Loading())
        UpdateFrame();
}

void TSkSkinForm::FitToFrameObject()
{
    if (vcl::TCustomForm* form = OwnerForm(); form && frame_)
        form->SetBounds(form->Left(), form->Top(), frame_->Width(), frame_->Height());
}

void TSkSkinForm::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomForm::Notification(component, operation);
    // The copy stays until the destructor, but IsSkinned is false from now on.
    if (operation == vcl::opRemove && component == manager_)
        manager_ = nullptr;
}

void TSkSkinForm::Loaded()
{
    if (BorderStyle() == kbsToolWindow) {
        objectName_ = "ToolWindow";
        SetSkinManager(manager_);
    }
    TSkCustomForm::Loaded();
    if (frame_ && !client_)
        FitToFrameObject();
    NotifyControls();
}

void TSkSkinForm::NotifyControls()
{
    vcl::TCustomForm* form = OwnerForm();
    if (!form)
        return;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        vcl::TComponent* c = form->Components(i);
        if (auto* frame = dynamic_cast<vcl::TCustomFrame*>(c)) {
            frame->SetColor(IsSkinned() ? frame_->Color() : form->Color());
            frame->Perform(SKM_OBJECTCHANGED, 0, 0);
        } else if (auto* win = dynamic_cast<vcl::TWinControl*>(c)) {
            SendMessageA(win->Handle(), SKM_OBJECTCHANGED, 0, 0);
        } else if (auto* control = dynamic_cast<vcl::TControl*>(c)) {
            control->Perform(SKM_OBJECTCHANGED, 0, 0);
        }
    }
}

// ---------------------------------------------------------------- geometry

HRGN TSkSkinForm::CreateRegion()
{
    if (!IsSkinned())
        return TSkCustomForm::CreateRegion();
    const int width = FrameWidth();
    const int height = FrameHeight();
    if (MaximizedMDIChild() || BorderStyle() == kbsNone) {
        if (client_)
            client_->SetBounds(RECT{0, 0, width, height});
        return TSkCustomForm::CreateRegion();
    }
    if (client_) {
        frame_->SetBounds(RECT{0, 0, width, height});
        PlaceLinkedControls(frame_.get(), GetFrameClientRect());
    }
    // A frame whose parts are all hidden has no shape of its own.
    if (HRGN region = frame_->GetRegion())
        return region;
    return TSkCustomForm::CreateRegion();
}

void TSkSkinForm::PlaceLinkedControls(TSkSkinObject* object, const RECT& client)
{
    auto* link = dynamic_cast<TSkLinkSkinObject*>(object);
    auto* owner = dynamic_cast<TSkSkinObject*>(object->Owner());
    if (link && owner) {
        RECT visible{};
        const RECT own = link->GetBounds();
        const RECT ownerRect = owner->GetBounds();
        const bool shown = IntersectRect(&visible, &own, &ownerRect) && visible.right > visible.left &&
                           visible.bottom > visible.top;
        if (auto* form = dynamic_cast<vcl::TWinControl*>(Owner())) {
            for (int i = 0; i < form->ControlCount(); ++i) {
                vcl::TControl* c = form->Controls(i);
                if (!vcl::SameText(c->Name(), link->LinkControl()))
                    continue;
                if (shown)
                    c->SetBoundsRect(RECT{own.left - client.left, own.top - client.top, own.right - client.left,
                                          own.bottom - client.top});
                else
                    c->SetBoundsRect(RECT{});
                break;
            }
        }
    }
    for (int i = 0; i < object->GetCount(); ++i)
        PlaceLinkedControls(object->GetObject(i), client);
}

RECT TSkSkinForm::GetFrameClientRect()
{
    if (!IsSkinned() || BorderStyle() == kbsNone || MaximizedMDIChild())
        return TSkCustomForm::GetFrameClientRect();
    if (!client_)
        return RECT{0, 0, FrameWidth(), FrameHeight()};
    // The parts are placed for the frame's size of the moment, so that the
    // borders asked for here are the ones the region and the painting use.
    if (FrameWidth() > 0 && FrameHeight() > 0)
        frame_->SetBounds(RECT{0, 0, FrameWidth(), FrameHeight()});
    if (client_->Left() != 0 && client_->Top() != 0)
        return client_->GetBounds();
    return TSkCustomForm::GetFrameClientRect();
}

void TSkSkinForm::GetButtonRect(TSkBorderIcon index, RECT& rect)
{
    // The skin's own system buttons take the place of the drawn ones.
    if (IsSkinned()) {
        rect = RECT{};
        return;
    }
    TSkCustomForm::GetButtonRect(index, rect);
}

RECT TSkSkinForm::GetMaximizedRect()
{
    vcl::TCustomForm* form = OwnerForm();
    if (!IsSkinned() || (form && form->FormStyle() == vcl::fsMDIChild))
        return TSkCustomForm::GetMaximizedRect();
    RECT r{};
    if (StayOnTop())
        r = RECT{0, 0, 10000, 10000};
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    if (form && form->Monitor()) {
        const RECT monitor = form->Monitor()->BoundsRect();
        IntersectRect(&r, &r, &monitor);
    }
    return r;
}

POINT TSkSkinForm::GetMaxTrackSize()
{
    vcl::TCustomForm* form = OwnerForm();
    if (!IsSkinned() || (form && form->FormStyle() == vcl::fsMDIChild))
        return TSkCustomForm::GetMaxTrackSize();
    POINT size{};
    if (StayOnTop()) {
        size = POINT{vcl::Screen->Width(), vcl::Screen->Height()};
    } else {
        RECT r{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
        size = POINT{r.right - r.left, r.bottom - r.top};
    }
    if (Constraints()->MaxWidth() != 0)
        size.x = Constraints()->MaxWidth();
    if (Constraints()->MaxHeight() != 0)
        size.y = Constraints()->MaxHeight();
    return size;
}

int TSkSkinForm::HitTest(int x, int y)
{
    if (!IsSkinned())
        return TSkCustomForm::HitTest(x, y);
    int code = khtNone;
    if (TSkSkinObject* object = frame_->ObjectAtPoint(POINT{x, y})) {
        switch (object->Kind()) {
        case skCaption:
        case skTitle: code = khtCaption; break;
        case skTop: code = khtTop; break;
        case skLeft: code = khtLeft; break;
        case skRight: code = khtRight; break;
        case skBottom: code = khtBottom; break;
        case skTopLeft: code = khtTopLeft; break;
        case skTopRight: code = khtTopRight; break;
        case skBottomLeft: code = khtBottomLeft; break;
        case skBottomRight: code = khtBottomRight; break;
        case skSysButton: code = khtCustom; break;
        default: break;
        }
    }
    if (TSkCustomStatusBar* bar = FindStatusBar()) {
        const RECT grip = bar->GetSizeGripRect();
        const POINT topLeft = ScreenToWindow(bar->ClientToScreen(POINT{grip.left, grip.top}));
        const POINT bottomRight = ScreenToWindow(bar->ClientToScreen(POINT{grip.right, grip.bottom}));
        const RECT inWindow{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        if (PtInRect(&inWindow, POINT{x, y}))
            code = khtBottomRight;
    }
    return code;
}

// ---------------------------------------------------------------- painting

void TSkSkinForm::DrawFrame(vcl::TCanvas* canvas)
{
    if (!IsSkinned() || MaximizedMDIChild() || BorderStyle() == kbsNone) {
        TSkCustomForm::DrawFrame(canvas);
        return;
    }
    frame_->SetActive(FrameActive());
    static constexpr std::uint8_t kStateOf[] = {kStateNormal, kStateMaximized, kStateMinimized, kStateRolledUp,
                                                kStateMinimized};
    frame_->SetState(kStateOf[WindowState()]);
    if (title_)
        if (auto* form = dynamic_cast<vcl::TControl*>(Owner()))
            title_->Text = vcl::AnsiToWide(form->GetText());
    if (client_)
        client_->Visible = false;
    const int width = FrameWidth();
    if (Performance() != ksfpNoBuffer || !client_) {
        frame_->Paint(canvas);
    } else {
        // The strip above the client is put together apart and copied with
        // its key colour left out, so the caption never flickers.
        TSkBitmap strip;
        strip.SetSize(width, client_->Top());
        if (!strip.Empty()) {
            strip.Fill(KeyColor);
            vcl::TCanvas stripCanvas;
            stripCanvas.SetHandle(strip.DC());
            frame_->Paint(&stripCanvas);
            stripCanvas.SetHandle(nullptr);
            strip.Draw(canvas, 0, 0, true);
            ExcludeClipRect(canvas->Handle(), 0, 0, width, client_->Top());
        }
        frame_->Paint(canvas);
    }
    if (client_)
        client_->Visible = true;
}

void TSkSkinForm::PaintBackground()
{
    if (!IsSkinned()) {
        TSkCustomForm::PaintBackground();
        return;
    }
    vcl::TCanvas* canvas = FormCanvas();
    if (!client_) {
        frame_->SetActive(FrameActive());
        frame_->Paint(canvas);
        return;
    }
    client_->SetActive(FrameActive());
    POINT old{};
    OffsetViewportOrgEx(canvas->Handle(), -client_->Left(), -client_->Top(), &old);
    client_->Paint(canvas);
    SetViewportOrgEx(canvas->Handle(), old.x, old.y, nullptr);
}

// ------------------------------------------------------------ frame mouse

void TSkSkinForm::NCMouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomForm::NCMouseDown(button, shift, x, y);
    if (!IsSkinned())
        return;
    TSkSkinObject* object = frame_->ObjectAtPoint(POINT{x, y});
    if (object) {
        if (shift.Contains(vcl::ssDouble))
            object->DblClick(button, x - object->Left(), y - object->Top());
        else
            object->MouseDown(button, x - object->Left(), y - object->Top());
    }
    // The object may have closed the form and with it this frame's copy.
    if (frame_)
        pressed_ = object;
}

void TSkSkinForm::NCMouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkCustomForm::NCMouseMove(shift, x, y);
    if (!IsSkinned())
        return;
    TSkSkinObject* object = frame_->ObjectAtPoint(POINT{x, y});
    if (!object)
        return;
    if ((!shift.Contains(vcl::ssLeft) && !shift.Contains(vcl::ssRight)) || object == pressed_)
        object->MouseMove(shift, x - object->Left(), y - object->Top());
}

void TSkSkinForm::NCMouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomForm::NCMouseUp(button, shift, x, y);
    TSkSkinObject* pressed = pressed_;
    pressed_ = nullptr;
    if (!IsSkinned())
        return;
    TSkSkinObject* object = frame_->ObjectAtPoint(POINT{x, y});
    if (object && object == pressed)
        object->MouseUp(button, x - object->Left(), y - object->Top());
}

void TSkSkinForm::TrackHover()
{
    vcl::TCustomForm* form = OwnerForm();
    if (!form || !form->Active() || !IsSkinned())
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    TSkSkinObject* object = frame_->ObjectAtPoint(ScreenToWindow(cursor));
    if (!object) {
        if (tracked_)
            tracked_->MouseLeave();
        tracked_ = nullptr;
        return;
    }
    if (object == tracked_ || !object->Visible)
        return;
    if (tracked_)
        tracked_->MouseLeave();
    tracked_ = object;
    if (!pressed_ || object == pressed_)
        object->MouseEnter();
}

// ---------------------------------------------------------------- actions

vcl::TComponent* TSkSkinForm::CreateMenuItem(vcl::TComponent* owner)
{
    auto* item = new TSkSkinItem(owner);
    item->SetSkinManager(manager_);
    return item;
}

unsigned TSkSkinForm::FrameBorderIcons() const
{
    unsigned bits = 0;
    for (int i = kbiClose; i <= kbiTray; ++i)
        if (BorderIcons().Contains(static_cast<TSkBorderIcon>(i)))
            bits |= 1u << i;
    return bits;
}

void TSkSkinForm::FrameCustomAction(TSkSkinObject* button) { OnCustomAction(button); }

// ---------------------------------------------------------------- messages

void TSkSkinForm::SkmObjectChanged(vcl::TMessage& m)
{
    auto* object = reinterpret_cast<TSkSkinObject*>(m.LParam);
    if (!IsSkinned() || !object || object->Kind() == skClient)
        return;
    if (MaximizedMDIChild() && !(client_ && client_->FindObject(object->Name())))
        return;
    PaintFrame();
}

void TSkSkinForm::SkmGetForm(vcl::TMessage& m)
{
    m.Result = reinterpret_cast<LRESULT>(static_cast<vcl::TComponent*>(this));
    MarkHandled();
}

void TSkSkinForm::SkmSkinWillChange(vcl::TMessage& m)
{
    if (!manager_ || m.LParam != reinterpret_cast<LPARAM>(manager_))
        return;
    timer_->SetEnabled(false);
    vcl::Application->ProcessMessages();
    DropFrame();
    vcl::Application->ProcessMessages();
}

void TSkSkinForm::SkmSkinChanged(vcl::TMessage& m)
{
    if (!manager_ || m.LParam != reinterpret_cast<LPARAM>(manager_))
        return;
    SetSkinManager(manager_);
    timer_->SetEnabled(!Designing());
}

}  // namespace skin
