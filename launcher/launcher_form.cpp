#include "launcher/launcher_form.h"

#include "launcher/launcher_instance.h"
#include "launcher/launcher_skin_data.h"
#include "platform/user/winuser.h"

namespace launcher {

VCL_IMPLEMENT_CLASS(TfrmLauncher, vcl::TForm, [](auto& b) { b.Component(); })

namespace {

constexpr int kFormWidth = 620;
constexpr int kFormHeight = 400;

// The close button's glyph: a small cross.
std::unique_ptr<vcl::TBitmap> CloseGlyph()
{
    auto glyph = std::make_unique<vcl::TBitmap>();
    // The bottom-left pixel is the glyph's transparent colour, so the cross
    // keeps a clear border.
    glyph->SetSize(9, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool cross = x > 0 && x < 8 && y > 0 && y < 8 && (x == y || x == 8 - y);
            glyph->Pixels()[y * 9 + x] = cross ? 0xFFF0D8B8u : 0xFFFF00FFu;
        }
    glyph->SetTransparentColor(vcl::clFuchsia);
    return glyph;
}

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
    CreateFrameAndMessages();
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

    btnClose = MakeButton("btnClose", RECT{592, 8, 20, 19}, u"", 0, &LauncherController::CloseClick);
    btnClose->SetShowCaption(false);
    btnClose->SetShowGlyph(true);
    btnClose->SetGlyph(CloseGlyph().get());
    btnStart = MakeButton("btnStart", RECT{190, 240, 241, 25}, u"Start Veilstrand", 1, &LauncherController::StartClick);
    btnStart->SetDefault(true);
    btnFullInstall = MakeButton("btnFullInstall", RECT{190, 288, 241, 25}, u"Install Datafiles (improves performance)",
                                2, &LauncherController::FullInstallClick);
    btnFullInstall->SetVisible(false);
    btnOptions = MakeButton("btnOptions", RECT{190, 312, 241, 25}, u"Hardware Settings", 3,
                            &LauncherController::OptionsClick);
    btnUpdate = MakeButton("btnUpdate", RECT{190, 336, 241, 25}, u"Check for Updates", 4,
                           &LauncherController::UpdateClick);
    btnForum = MakeButton("btnForum", RECT{190, 360, 241, 25}, u"Internetforum", 5, &LauncherController::ForumClick);
    SetActiveControl(btnStart);

    starter = new kit::TKitStarter(this);
    starter->SetName("starter");

    CopyPanel = MakePanel("CopyPanel", RECT{157, 224, 305, 169});
    CopyPanel->SetCaption(u"CopyPanel");
    CopyPanel->SetShowButton(false);
    CopyPanel->SetButtonKind(skin::pbkRoll);
    CopyPanel->SetTransparent(true);
    CopyLabel = MakeLabel(CopyPanel, "CopyLabel", RECT{32, 56, 241, 33});
    CopyLabel->SetLayout(vcl::tlCenter);
    CopyProgress = new skin::TSkSkinProgressBar(this);
    CopyProgress->SetName("CopyProgress");
    CopyProgress->SetParent(CopyPanel);
    CopyProgress->SetBounds(32, 104, 241, 24);
    CopyProgress->SetMax(kDatafileCount);
    CopyProgress->SetSmooth(false);
    CopyProgress->SetShowBorder(true);
    CopyProgress->SetSkinManager(SkSkinManager);

    SettingsPanel = MakePanel("SettingsPanel", RECT{157, 184, 305, 209});
    SettingsPanel->SetShowButton(true);
    SettingsPanel->SetButtonKind(skin::pbkHide);
    SettingsPanel->OnButtonClick = [this](vcl::TObject*) { controller_.SettingsPanelButtonClick(); };
    lbAA = MakeLabel(SettingsPanel, "lbAA", RECT{32, 32, 241, 17});
    cbAA = MakeCombo("cbAA", RECT{32, 48, 241, 23}, 3, 0, &LauncherController::AntialiasingChange);
    lbSpeaker = MakeLabel(SettingsPanel, "lbSpeaker", RECT{32, 80, 241, 17});
    cbSpeaker = MakeCombo("cbSpeaker", RECT{32, 96, 241, 23}, 6, 1, &LauncherController::SpeakerChange);
    lbBufferSize = MakeLabel(SettingsPanel, "lbBufferSize", RECT{32, 128, 241, 17});
    cbBufferSize = MakeCombo("cbBufferSize", RECT{32, 144, 241, 23}, 7, 2, &LauncherController::BufferSizeChange);
    for (const char* item : {"50 ms (Default)", "75 ms", "100 ms", "125 ms", "150 ms", "175 ms", "200 ms"})
        cbBufferSize->Items()->Add(item);
    SkSkinLabel1 = MakeLabel(SettingsPanel, "SkSkinLabel1", RECT{32, 176, 241, 20});
    // Its skin manager is left unassigned: it keeps the plain look.
    cbNoHardware = new skin::TSkSkinCheckBox(this);
    cbNoHardware->SetName("cbNoHardware");
    cbNoHardware->SetParent(SettingsPanel);
    cbNoHardware->SetBounds(56, 176, 201, 20);
    cbNoHardware->SetCaption(u"Disable Hardware Sound Mixing");
    cbNoHardware->SetAllowGrayed(false);
    cbNoHardware->SetSpacing(5);
    cbNoHardware->SetTabOrder(3);
    cbNoHardware->OnClick = [this](vcl::TObject*) { controller_.NoHardwareClick(); };
    lbAA->SetCaption(u"Anti-Aliasing");
    lbSpeaker->SetCaption(u"Speaker");
    lbBufferSize->SetCaption(u"Sound Buffer Size (Keep as low as possible)");
}

skin::TSkSkinButton* TfrmLauncher::MakeButton(const char* name, RECT bounds, const char16_t* caption, int tabOrder,
                                              void (LauncherController::*click)())
{
    auto* button = new skin::TSkSkinButton(this);
    button->SetName(name);
    button->SetParent(this);
    button->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    button->SetCaption(caption);
    button->SetShowGlyph(false);
    button->SetTabOrder(tabOrder);
    button->SetPerformance(skin::kspDoubleBuffer);
    button->Blending()->SetEnabled(true);
    button->Blending()->SetValue(kBlendingNormal);
    button->SetSkinManager(SkSkinManager);
    button->OnClick = [this, click](vcl::TObject*) { (controller_.*click)(); };
    button->OnEnter = [this](vcl::TObject*) { controller_.ButtonEntered(); };
    button->OnMouseEnter = [this](vcl::TObject*) { controller_.ButtonEntered(); };
    return button;
}

skin::TSkSkinPanel* TfrmLauncher::MakePanel(const char* name, RECT bounds)
{
    auto* panel = new skin::TSkSkinPanel(this);
    panel->SetName(name);
    panel->SetParent(this);
    panel->SetVisible(false);
    panel->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    panel->SetBorderWidth(3);
    panel->SetBevelWidth(1);
    panel->SetPerformance(skin::kspSharedBuffer);
    panel->Blending()->SetEnabled(true);
    panel->Blending()->SetValue(kBlendingNormal);
    panel->SetSkinManager(SkSkinManager);
    return panel;
}

skin::TSkSkinComboBox* TfrmLauncher::MakeCombo(const char* name, RECT bounds, int dropDownCount, int tabOrder,
                                               void (LauncherController::*change)())
{
    auto* combo = new skin::TSkSkinComboBox(this);
    combo->SetName(name);
    combo->SetParent(SettingsPanel);
    combo->SetComboStyle(skin::kcsDropDownList);
    combo->SetReadOnly(true);
    combo->SetDropDownCount(dropDownCount);
    combo->SetItemHeight(15);
    combo->SetFlat(true);
    combo->SetCursor(vcl::crHandPoint);
    combo->SetTabOrder(tabOrder);
    combo->Font()->SetName("MS Sans Serif");
    combo->Font()->SetHeight(-11);
    combo->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    combo->SetSkinManager(SkSkinManager);
    combo->OnChange = [this, change](vcl::TObject*) { (controller_.*change)(); };
    combo->OnDropDown = [this](vcl::TObject*) { controller_.DropDown(); };
    combo->OnListBoxClick = [this](vcl::TObject*) { controller_.DropDown(); };
    return combo;
}

skin::TSkSkinComboBox* TfrmLauncher::ComboOf(LauncherCombo combo) const
{
    switch (combo) {
    case kCbAA: return cbAA;
    case kCbSpeaker: return cbSpeaker;
    default: return cbBufferSize;
    }
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
    case kBtnClose: return btnClose;
    case kBtnStart: return btnStart;
    case kBtnFullInstall: return btnFullInstall;
    case kBtnOptions: return btnOptions;
    case kBtnUpdate: return btnUpdate;
    case kBtnForum: return btnForum;
    case kCopyPanel: return CopyPanel;
    case kSettingsPanel: return SettingsPanel;
    case kCbNoHardware: return cbNoHardware;
    case kLbAA: return lbAA;
    case kLbSpeaker: return lbSpeaker;
    case kLbBufferSize: return lbBufferSize;
    default: return nullptr;
    }
}

void TfrmLauncher::SetCaption(LauncherControl control, const WideString& caption)
{
    vcl::TControl* c = ControlOf(control);
    if (auto* label = dynamic_cast<skin::TSkSkinLabel*>(c))
        label->SetCaption(caption);
    else if (auto* button = dynamic_cast<skin::TSkSkinButton*>(c))
        button->SetCaption(caption);
    else if (auto* panel = dynamic_cast<skin::TSkSkinPanel*>(c))
        panel->SetCaption(caption);
    else if (auto* box = dynamic_cast<skin::TSkSkinCheckBox*>(c))
        box->SetCaption(caption);
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

void TfrmLauncher::SetBlending(LauncherControl control, int value)
{
    if (auto* button = dynamic_cast<skin::TSkSkinButton*>(ControlOf(control)))
        button->Blending()->SetValue(value);
}
void TfrmLauncher::ClearItems(LauncherCombo combo) { ComboOf(combo)->Items()->Clear(); }
void TfrmLauncher::AddItem(LauncherCombo combo, const AnsiString& item) { ComboOf(combo)->Items()->Add(item); }
int TfrmLauncher::ItemIndex(LauncherCombo combo) const { return ComboOf(combo)->ItemIndex(); }
void TfrmLauncher::SetItemIndex(LauncherCombo combo, int index) { ComboOf(combo)->SetItemIndex(index); }
bool TfrmLauncher::NoHardwareChecked() const { return cbNoHardware->Checked(); }
void TfrmLauncher::SetNoHardwareChecked(bool checked) { cbNoHardware->SetChecked(checked); }

void TfrmLauncher::LoadBackground(const AnsiString& fileName) { BgImage->Picture()->LoadFromFile(fileName); }

void TfrmLauncher::ReportStartProblem(const WideString& text)
{
    // As the class library reports what stops a form's creation, but the
    // start goes on.
    vcl::Application->MessageBox(vcl::WideToAnsi(text), vcl::Application->Title(), MB_OK | MB_ICONWARNING);
}

void TfrmLauncher::UseCyrillicSkin()
{
    skin::TSkSkinSource* source = SkSkinManager->Source();
    for (int i = 0; i < source->GetObjectCount(); ++i)
        source->GetObject(i)->SetCharset(204);
    SkSkinManager->BroadcastAfterChange();
}

void TfrmLauncher::CreateFrameAndMessages()
{
    // The frame draws no border: its client object covers the window, and
    // the paint event puts the launcher's picture there.
    SkSkinForm = new skin::TSkSkinForm(this);
    SkSkinForm->SetName("SkSkinForm");
    SkSkinForm->SetSkinObject("ToolWindow");
    SkSkinForm->SetBorderStyle(skin::kbsNone);
    SkSkinForm->SetBorderIcons(skin::TSkBorderIcons{skin::kbiClose});
    SkSkinForm->Animation()->SetEffect(skin::keDown);
    SkSkinForm->Animation()->SetTime(800);
    SkSkinForm->Shadow()->SetEnabled(true);
    SkSkinForm->SetStayOnTop(false);
    SkSkinForm->SetMinimizeApplication(false);
    SkSkinForm->Dragging()->SetSizeable(false);
    SkSkinForm->Gravitation()->SetEnabled(false);
    SkSkinForm->SetPerformance(skin::ksfpNoBuffer);
    SkSkinForm->SetCaption(vcl::AnsiToWide(kApplicationTitle));
    SkSkinForm->OnPaint = [this](vcl::TObject*) { SkSkinFormPaint(); };
    SkSkinForm->SetSkinManager(SkSkinManager);
    static_cast<vcl::TComponent*>(SkSkinForm)->Loaded();
    // The frame took over the non-client area of a window that had the
    // system's frame for a moment; the picture needs the full client.
    SetClientWidth(kFormWidth);
    SetClientHeight(kFormHeight);

    SkSkinMessage = new skin::TSkSkinMessage(this);
    SkSkinMessage->SetName("SkSkinMessage");
    SkSkinMessage->SetSkinManager(SkSkinManager);
    SkSkinMessage->SetPosition(vcl::poMainFormCenter);
    SkSkinMessage->SetBorderIcons(skin::TSkBorderIcons{});
    SkSkinMessage->Dragging()->SetMoveable(false);
    SkSkinMessage->Dragging()->SetSizeable(false);
    SkSkinMessage->Shadow()->SetEnabled(true);
    SkSkinMessage->Blending()->SetEnabled(true);
    SkSkinMessage->Blending()->SetValue(kBlendingNormal);
    SkSkinMessage->Animation()->SetEffect(skin::keSmoothDiagonal);
    SkSkinMessage->SetShowIconImage(false);
    for (vcl::TFont* font : {SkSkinMessage->ButtonFont(), SkSkinMessage->MessageFont()}) {
        font->SetName("MS Sans Serif");
        font->SetHeight(-11);
    }
}

void TfrmLauncher::SkSkinFormPaint()
{
    if (vcl::TGraphic* picture = BgImage->Picture()->Graphic())
        SkSkinForm->FormCanvas()->Draw(0, 0, picture);
}

void TfrmLauncher::ShowPanel(const WideString& caption)
{
    CopyProgress->SetPosition(0);
    CopyPanel->SetCaption(caption);
    CopyPanel->SetVisible(true);
}

void TfrmLauncher::HidePanel() { CopyPanel->SetVisible(false); }

void TfrmLauncher::ShowFile(const AnsiString& name)
{
    CopyLabel->SetCaption(vcl::AnsiToWide(name));
    vcl::Application->ProcessMessages();
}

void TfrmLauncher::Step() { CopyProgress->SetPosition(CopyProgress->Position() + 1); }

void TfrmLauncher::ShowMessage(const WideString& text)
{
    SkSkinMessage->ShowMessage(text);
}

void TfrmLauncher::SetBusyCursor(bool busy) { vcl::Screen->SetCursor(busy ? vcl::crHourGlass : vcl::crDefault); }

void TfrmLauncher::SetWorking(bool working)
{
    // While files are copied or removed, the messages between files must
    // not start another action; afterwards each button is as it was.
    skin::TSkSkinButton* buttons[] = {btnClose, btnStart, btnFullInstall, btnOptions, btnUpdate, btnForum};
    if (working) {
        enabledBeforeWork_.clear();
        for (auto* b : buttons) {
            enabledBeforeWork_.push_back(b->Enabled());
            b->SetEnabled(false);
        }
        return;
    }
    for (size_t i = 0; i < enabledBeforeWork_.size(); ++i)
        buttons[i]->SetEnabled(enabledBeforeWork_[i]);
}

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
    // The form goes while the window manager and the sound are still there:
    // its OnDestroy stops the music before the units finalise.
    vcl::Application->DestroyComponents();
    return 0;
}

}  // namespace launcher
