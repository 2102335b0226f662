#pragma once

// What the launcher's logic asks of its form: captions, states and values
// of the form's controls, by name. The form implements it; tests use a
// recording stand-in.

#include "launcher/launcher_install.h"

namespace launcher {

enum LauncherControl {
    kBtnClose, kBtnStart, kBtnFullInstall, kBtnOptions, kBtnUpdate, kBtnForum,
    kCopyPanel, kSettingsPanel, kLbAA, kLbSpeaker, kLbBufferSize, kCbNoHardware
};
enum LauncherCombo { kCbAA, kCbSpeaker, kCbBufferSize };

class LauncherView : public DatafileProgress {
public:
    virtual void SetCaption(LauncherControl control, const WideString& caption) = 0;
    virtual void SetEnabled(LauncherControl control, bool enabled) = 0;
    virtual void SetVisible(LauncherControl control, bool visible) = 0;
    // A button's blending value: 220 normally, 100 when dimmed.
    virtual void SetBlending(LauncherControl control, int value) = 0;

    virtual void ClearItems(LauncherCombo combo) = 0;
    virtual void AddItem(LauncherCombo combo, const AnsiString& item) = 0;
    virtual int ItemIndex(LauncherCombo combo) const = 0;
    virtual void SetItemIndex(LauncherCombo combo, int index) = 0;
    virtual bool NoHardwareChecked() const = 0;
    virtual void SetNoHardwareChecked(bool checked) = 0;

    // The background picture, loaded from a file.
    virtual void LoadBackground(const AnsiString& fileName) = 0;
    // Every top-level skin object gets the Cyrillic character set, and every
    // form and control repaints with it.
    virtual void UseCyrillicSkin() = 0;
    virtual void Close() = 0;
    // A start-up file that could not be read and was left out, said once.
    virtual void ReportStartProblem(const WideString& text) = 0;

protected:
    ~LauncherView() = default;
};

}  // namespace launcher
