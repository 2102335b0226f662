#include "launcher/launcher_form.h"

#include "launcher/launcher_instance.h"
#include "launcher/launcher_skin_data.h"
#include "platform/win32/user/winuser.h"

namespace launcher {

VCL_IMPLEMENT_CLASS(TfrmLauncher, vcl::TForm, [](auto& b) { b.Component(); })

namespace {

constexpr int kFormWidth = 620;
constexpr int kFormHeight = 400;

vcl::TShape* MakeShape(TfrmLauncher* form, const char* name, RECT bounds)
{
    auto* shape = new vcl::TShape(form);
    shape->SetName(name);
    shape->SetParent(form);
    shape->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    shape->SetCursor(vcl::crHandPoint);
    // Invisible clickable areas over the picture: the pen draws nothing,
    // outline and fill alike.
    shape->Pen()->SetMode(vcl::pmNop);
    return shape;
}

}  // namespace

TfrmLauncher::TfrmLauncher(vcl::TComponent* owner) : vcl::TForm(owner), controller_(*this, sound_)
{
    SetName("frmLauncher");
    vcl::TForm::SetCaption(kApplicationTitle);
    SetBorderStyle(vcl::bsNone);
    SetBorderIcons(vcl::TBorderIcons{vcl::biMinimize});
    SetPosition(vcl::poScreenCenter);
    SetBounds(Left(), Top(), kFormWidth, kFormHeight);
    Font()->SetName("Microsoft Sans Serif");
    Font()->SetHeight(-11);
    CreateComponents();
    OnCreate = [this](vcl::TObject*) {
        controller_.FormCreate(vcl::ExtractFilePath(vcl::Application->ExeName()));
    };
    OnDestroy = [this](vcl::TObject*) { controller_.FormDestroy(); };
}

TfrmLauncher::~TfrmLauncher() = default;

void TfrmLauncher::CreateComponents()
{
    BgImage = new vcl::TImage(this);
    BgImage->SetName("BgImage");
    BgImage->SetParent(this);
    BgImage->SetBounds(657, 352, 620, 400);
    BgImage->SetVisible(false);
    BgImage->SetEnabled(false);

    Shape1 = MakeShape(this, "Shape1", RECT{8, 328, 137, 65});
    Shape1->OnMouseDown = [this](vcl::TObject*, vcl::TMouseButton, vcl::TShiftState, int, int) {
        controller_.SiteClick();
    };
    Shape2 = MakeShape(this, "Shape2", RECT{472, 319, 137, 65});
    Shape2->OnMouseDown = [this](vcl::TObject*, vcl::TMouseButton, vcl::TShiftState, int, int) {
        controller_.ShapePageClick();
    };

    SkSkinManager = new skin::TSkSkinManager(this);
    SkSkinManager->SetName("SkSkinManager");
    SkSkinManager->SetDeltaHue(100);
    // The skin the form stores, read as its stored property is.
    const auto skinStream = LauncherSkinStream();
    vcl::TMemoryStream stream;
    stream.WriteBuffer(skinStream.data(), static_cast<std::int32_t>(skinStream.size()));
    stream.SetPosition(0);
    SkSkinManager->ReadSkinStream(&stream);

    starter = new kit::TKitStarter(this);
    starter->SetName("starter");

    // The settings and copy panels that hold these labels come with the
    // skinned panel; until then the labels wait without a parent.
    CopyLabel = MakeLabel(nullptr, "CopyLabel", RECT{32, 56, 241, 33});
    lbAA = MakeLabel(nullptr, "lbAA", RECT{32, 32, 241, 17});
    lbSpeaker = MakeLabel(nullptr, "lbSpeaker", RECT{32, 80, 241, 17});
    lbBufferSize = MakeLabel(nullptr, "lbBufferSize", RECT{32, 128, 241, 17});
    SkSkinLabel1 = MakeLabel(nullptr, "SkSkinLabel1", RECT{32, 176, 241, 20});
    lbAA->SetCaption(u"Anti-Aliasing");
    lbSpeaker->SetCaption(u"Speaker");
    lbBufferSize->SetCaption(u"Sound Buffer Size (Keep as low as possible)");
}

skin::TSkSkinLabel* TfrmLauncher::MakeLabel(vcl::TWinControl* parent, const char* name, RECT bounds)
{
    auto* label = new skin::TSkSkinLabel(this);
    label->SetName(name);
    if (parent)
        label->SetParent(parent);
    label->SetAutoSize(false);
    label->SetAlignment(vcl::taCenter);
    label->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    label->SetSkinManager(SkSkinManager);
    return label;
}

vcl::TControl* TfrmLauncher::ControlOf(LauncherControl control) const
{
    switch (control) {
    case kLbAA: return lbAA;
    case kLbSpeaker: return lbSpeaker;
    case kLbBufferSize: return lbBufferSize;
    default: return nullptr;
    }
}

void TfrmLauncher::SetCaption(LauncherControl control, const WideString& caption)
{
    if (auto* label = dynamic_cast<skin::TSkSkinLabel*>(ControlOf(control)))
        label->SetCaption(caption);
}

void TfrmLauncher::SetEnabled(LauncherControl control, bool enabled)
{
    if (vcl::TControl* c = ControlOf(control))
        c->SetEnabled(enabled);
}

void TfrmLauncher::SetVisible(LauncherControl control, bool visible)
{
    if (vcl::TControl* c = ControlOf(control))
        c->SetVisible(visible);
}

void TfrmLauncher::SetBlending(LauncherControl, int) {}
void TfrmLauncher::ClearItems(LauncherCombo) {}
void TfrmLauncher::AddItem(LauncherCombo, const AnsiString&) {}
int TfrmLauncher::ItemIndex(LauncherCombo) const { return -1; }
void TfrmLauncher::SetItemIndex(LauncherCombo, int) {}
bool TfrmLauncher::NoHardwareChecked() const { return false; }
void TfrmLauncher::SetNoHardwareChecked(bool) {}

void TfrmLauncher::LoadBackground(const AnsiString& fileName) { BgImage->Picture()->LoadFromFile(fileName); }

void TfrmLauncher::UseCyrillicSkin()
{
    skin::TSkSkinSource* source = SkSkinManager->Source();
    for (int i = 0; i < source->GetObjectCount(); ++i)
        source->GetObject(i)->SetCharset(204);
    SkSkinManager->BroadcastAfterChange();
}

void TfrmLauncher::Paint()
{
    // The launcher's picture is the whole face of the window.
    if (vcl::TGraphic* picture = BgImage->Picture()->Graphic())
        Canvas()->Draw(0, 0, picture);
}

void TfrmLauncher::ShowPanel(const WideString&) { progress_ = 0; }
void TfrmLauncher::HidePanel() {}

void TfrmLauncher::ShowFile(const AnsiString& name)
{
    CopyLabel->SetCaption(vcl::AnsiToWide(name));
    vcl::Application->ProcessMessages();
}

void TfrmLauncher::Step() { ++progress_; }

void TfrmLauncher::ShowMessage(const WideString& text)
{
    vcl::Application->MessageBox(vcl::WideToAnsi(text), vcl::Application->Title(), MB_OK);
}

void TfrmLauncher::SetBusyCursor(bool busy) { vcl::Screen->SetCursor(busy ? vcl::crHourGlass : vcl::crDefault); }

void TfrmLauncher::SetWorking(bool) {}

int RunLauncher()
{
    const SingleInstance instance;
    if (instance.OtherRunning())
        return 0;
    vcl::Application->Initialize();
    vcl::Application->SetTitle(kApplicationTitle);
    TfrmLauncher* form = nullptr;
    vcl::Application->CreateForm(form);
    vcl::Application->Run();
    return 0;
}

}  // namespace launcher
