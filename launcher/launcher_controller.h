#pragma once

// The launcher form's logic: its start-up and the handlers of its buttons,
// settings and data-file work, on a LauncherView.

#include <memory>

#include "launcher/launcher_sound.h"
#include "launcher/launcher_texts.h"
#include "launcher/launcher_view.h"

namespace launcher {

constexpr int kBlendingNormal = 220;
constexpr int kBlendingDimmed = 100;

class LauncherController {
public:
    LauncherController(LauncherView& view, LauncherSound& sound);

    // The form's start: picture, sounds, text tables (beside the launcher,
    // then the install folder's over it), Cyrillic mode, installed tests.
    void FormCreate(const AnsiString& launcherDir);
    void FormDestroy();

    void CloseClick();
    void ButtonEntered();  // mouse or focus reaches a button
    // The engine (installed) or the setup program; the launcher closes
    // when it started, and stays open with a message when it did not.
    void StartClick();
    void UpdateClick();
    void ForumClick();
    void SiteClick();      // Shape1
    void ShapePageClick(); // Shape2
    void FullInstallClick();
    void OptionsClick();
    void AntialiasingChange();
    void SpeakerChange();
    void BufferSizeChange();
    void NoHardwareClick();
    void DropDown();       // opening a list, or a click in one
    void SettingsPanelButtonClick();

    const LauncherTexts& Texts() const { return *texts_; }
    const AnsiString& LauncherDir() const { return launcherDir_; }
    const AnsiString& InstallDir() const { return installDir_; }
    bool EngineInstalled() const { return engineInstalled_; }
    bool DatafilesInstalled() const { return datafilesInstalled_; }
    bool LoadingSettings() const { return loadingSettings_; }

private:
    void CaptionPass();
    // Reads a text table over the earlier ones, saying once when it is
    // damaged; whether there was such a file.
    bool LoadTexts(const AnsiString& fileName);
    void AddComboItem(const WideString& text, LauncherCombo combo);
    void Dim(LauncherControl control);
    void ShowMessage(const WideString& text) { view_.ShowMessage(text); }

    LauncherView& view_;
    LauncherSound& sound_;
    std::unique_ptr<LauncherTexts> texts_;
    AnsiString launcherDir_;
    AnsiString installDir_;
    bool engineInstalled_ = false;
    bool datafilesInstalled_ = false;
    bool loadingSettings_ = false;
};

}  // namespace launcher
