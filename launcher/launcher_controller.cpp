#include "launcher/launcher_controller.h"

#include "launcher/launcher_settings.h"
#include "launcher/launcher_shell.h"
#include "platform/vcl/sysobjs.h"
#include "platform/win32/kernel/code_pages.h"

namespace launcher {

namespace {

const WideString kPanelIndent = u"   ";
// No line of the table says this; the table's translators never had to.
const WideString kStartFailed = u"Veilstrand could not be started.";

AnsiString Ansi(const WideString& text) { return vcl::WideToAnsi(text); }

}  // namespace

LauncherController::LauncherController(LauncherView& view, LauncherSound& sound)
    : view_(view), sound_(sound), texts_(std::make_unique<LauncherTexts>())
{
}

void LauncherController::FormCreate(const AnsiString& launcherDir)
{
    launcherDir_ = launcherDir;
    sound_.SoundReady = false;
    if (vcl::FileExists(launcherDir_ + "launcher.bmp")) {
        // A picture that cannot be read is only left out: the text tables,
        // the registry and the installed tests must still run.
        try {
            view_.LoadBackground(launcherDir_ + "launcher.bmp");
        } catch (const vcl::Exception& e) {
            view_.ReportStartProblem(u"The picture " + vcl::AnsiToWide(launcherDir_) + u"launcher.bmp could not be read (" +
                                     vcl::AnsiToWide(e.Message) + u"); the launcher goes on without it.");
        }
    }
    sound_.Setup(launcherDir_);

    texts_ = std::make_unique<LauncherTexts>();
    if (LoadTexts(launcherDir_ + "launcher.str"))
        CaptionPass();
    installDir_ = ReadInstallDir(Ansi(texts_->Line(kLineInstallValue)));
    if (LoadTexts(installDir_ + "launcher.str"))
        CaptionPass();
    if (texts_->Cyrillic())
        view_.UseCyrillicSkin();

    if (vcl::FileExists(installDir_ + "vls.exe")) {
        engineInstalled_ = true;
        view_.SetCaption(kBtnStart, texts_->Line(kLineStartEngine));
        datafilesInstalled_ = DatafilesPresent(installDir_);
        if (datafilesInstalled_)
            view_.SetCaption(kBtnFullInstall, texts_->Line(kLineRemoveDatafiles));
    } else {
        engineInstalled_ = false;
        view_.SetCaption(kBtnStart, texts_->Line(kLineStartSetup));
        for (LauncherControl c : {kBtnFullInstall, kBtnOptions, kBtnUpdate})
            Dim(c);
        if (!vcl::FileExists(launcherDir_ + Ansi(texts_->Line(kLineSetupProgram))))
            Dim(kBtnStart);
    }
}

bool LauncherController::LoadTexts(const AnsiString& fileName)
{
    const TableRead read = texts_->Load(fileName);
    if (read == TableRead::kDamaged)
        view_.ReportStartProblem(u"The text table " + vcl::AnsiToWide(fileName) +
                                 u" could not be read whole; the built-in texts stand in for what it lacks.");
    return read != TableRead::kMissing;
}

void LauncherController::Dim(LauncherControl control)
{
    view_.SetEnabled(control, false);
    view_.SetBlending(control, kBlendingDimmed);
}

void LauncherController::CaptionPass()
{
    const LauncherTexts& t = *texts_;
    view_.SetCaption(kBtnStart, t.Line(kLineStartEngine));
    view_.SetCaption(kBtnFullInstall, t.Line(kLineInstallDatafiles));
    view_.SetCaption(kBtnOptions, t.Line(kLineOptions));
    view_.SetCaption(kBtnUpdate, t.Line(kLineUpdate));
    view_.SetCaption(kBtnForum, t.Line(kLineForum));
    view_.SetCaption(kCopyPanel, t.Line(kLineCopyPanel));
    view_.SetCaption(kLbAA, t.Line(kLineAntialiasing));
    view_.ClearItems(kCbAA);
    for (int i = 0; i < 3; ++i)
        AddComboItem(t.Line(kLineAntialiasingItems + i), kCbAA);
    view_.SetCaption(kLbSpeaker, t.Line(kLineSpeaker));
    view_.ClearItems(kCbSpeaker);
    for (int i = 0; i < 6; ++i)
        AddComboItem(t.Line(kLineSpeakerItems + i), kCbSpeaker);
    view_.SetCaption(kLbBufferSize, t.Line(kLineBufferSize));
    view_.SetCaption(kCbNoHardware, t.Line(kLineNoHardware));
    view_.SetVisible(kBtnFullInstall, t.ShowInstallButton());
}

void LauncherController::AddComboItem(const WideString& text, LauncherCombo combo)
{
    // List items are 8-bit strings: Cyrillic text keeps its letters only in
    // code page 1251.
    if (!texts_->Cyrillic()) {
        view_.AddItem(combo, Ansi(text));
        return;
    }
    AnsiString item(text.size(), '\0');
    const int n = WideCharToMultiByte(1251, 0, reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(text.size()),
                                      item.data(), static_cast<int>(item.size()), nullptr, nullptr);
    item.resize(n > 0 ? static_cast<size_t>(n) : 0);
    view_.AddItem(combo, item);
}

void LauncherController::FormDestroy() { sound_.Release(); }

void LauncherController::CloseClick()
{
    sound_.PlayClickSound();
    view_.Close();
}

void LauncherController::ButtonEntered() { sound_.PlayHoverSound(); }

void LauncherController::StartClick()
{
    sound_.PlayClickSound();
    const bool started = engineInstalled_ ? StartEngine(installDir_)
                                          : StartSetup(launcherDir_, Ansi(texts_->Line(kLineSetupProgram)));
    if (started)
        view_.Close();
    else
        ShowMessage(kStartFailed);
}

void LauncherController::UpdateClick()
{
    sound_.PlayClickSound();
    OpenWebPage(AnsiString(kSiteAddress) + Ansi(texts_->Line(kLineUpdatePage)));
}

void LauncherController::ForumClick()
{
    sound_.PlayClickSound();
    OpenWebPage(ForumAddress(Ansi(texts_->Line(kLineForumPage))));
}

void LauncherController::SiteClick()
{
    sound_.PlayClickSound();
    OpenWebPage(kSiteAddress);
}

void LauncherController::ShapePageClick()
{
    sound_.PlayClickSound();
    OpenWebPage(Ansi(texts_->Line(kLineShapePage)));
}

void LauncherController::FullInstallClick()
{
    sound_.PlayClickSound();
    DatafileInstaller installer(*texts_, view_, installDir_);
    datafilesInstalled_ = datafilesInstalled_ ? installer.Remove() : installer.Install();
    view_.SetCaption(kBtnFullInstall,
                     texts_->Line(datafilesInstalled_ ? kLineRemoveDatafiles : kLineInstallDatafiles));
}

void LauncherController::OptionsClick()
{
    sound_.PlayClickSound();
    loadingSettings_ = true;
    const HardwareSettings s = ReadHardwareSettings();
    view_.SetItemIndex(kCbAA, s.antialiasingItem);
    view_.SetItemIndex(kCbSpeaker, s.speakerItem);
    view_.SetNoHardwareChecked(s.noHardwareMixing);
    view_.SetItemIndex(kCbBufferSize, s.bufferItem);
    loadingSettings_ = false;
    view_.SetCaption(kSettingsPanel, kPanelIndent + texts_->Line(kLineSettingsPanel));
    view_.SetVisible(kSettingsPanel, true);
}

void LauncherController::AntialiasingChange()
{
    if (!loadingSettings_)
        WriteAntialiasing(view_.ItemIndex(kCbAA));
}

void LauncherController::SpeakerChange()
{
    if (!loadingSettings_)
        WriteSpeakerMode(view_.ItemIndex(kCbSpeaker));
}

void LauncherController::BufferSizeChange()
{
    if (!loadingSettings_)
        WriteSoundBuffer(view_.ItemIndex(kCbBufferSize));
}

void LauncherController::NoHardwareClick()
{
    if (loadingSettings_)
        return;
    sound_.PlayClickSound();
    WriteNoHardwareMixing(view_.NoHardwareChecked());
}

void LauncherController::DropDown() { sound_.PlayClickSound(); }

void LauncherController::SettingsPanelButtonClick() { sound_.PlayClickSound(); }

}  // namespace launcher
