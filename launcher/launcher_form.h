#pragma once

// TfrmLauncher: the launcher's only window, 620 x 400 without a system
// frame, its look from the skin it carries and the picture beside the
// program. Built in code; the logic behind it is LauncherController.

#include <memory>
#include <vector>

#include "launcher/components/kit_starter.h"
#include "launcher/launcher_controller.h"
#include "platform/vcl/extctrls.h"
#include "platform/vcl/forms.h"
#include "skin/skins/sk_skin_button.h"
#include "skin/skins/sk_skin_controls.h"
#include "skin/skins/sk_skin_form.h"
#include "skin/skins/sk_skin_label.h"
#include "skin/skins/sk_skin_lists.h"
#include "skin/skins/sk_skin_message.h"

namespace launcher {

class TfrmLauncher : public vcl::TForm, public LauncherView {
    VCL_DECLARE_CLASS(TfrmLauncher, vcl::TForm)
public:
    explicit TfrmLauncher(vcl::TComponent* owner);
    ~TfrmLauncher() override;

    // The components, by their names on the form.
    vcl::TImage* BgImage;
    vcl::TShape* Shape1;
    vcl::TShape* Shape2;
    skin::TSkSkinButton* btnClose;
    skin::TSkSkinButton* btnStart;
    skin::TSkSkinButton* btnFullInstall;
    skin::TSkSkinButton* btnOptions;
    skin::TSkSkinButton* btnUpdate;
    skin::TSkSkinButton* btnForum;
    skin::TSkSkinPanel* CopyPanel;
    skin::TSkSkinLabel* CopyLabel;
    skin::TSkSkinProgressBar* CopyProgress;
    skin::TSkSkinPanel* SettingsPanel;
    skin::TSkSkinCheckBox* cbNoHardware;
    skin::TSkSkinLabel* lbAA;
    skin::TSkSkinComboBox* cbAA;
    skin::TSkSkinComboBox* cbSpeaker;
    skin::TSkSkinComboBox* cbBufferSize;
    skin::TSkSkinLabel* lbSpeaker;
    skin::TSkSkinLabel* lbBufferSize;
    skin::TSkSkinLabel* SkSkinLabel1;
    skin::TSkSkinManager* SkSkinManager;
    skin::TSkSkinForm* SkSkinForm;
    skin::TSkSkinMessage* SkSkinMessage;
    kit::TKitStarter* starter;

    LauncherController& Controller() { return controller_; }

    // LauncherView.
    void SetCaption(LauncherControl control, const WideString& caption) override;
    void SetEnabled(LauncherControl control, bool enabled) override;
    void SetVisible(LauncherControl control, bool visible) override;
    void SetBlending(LauncherControl control, int value) override;
    void ClearItems(LauncherCombo combo) override;
    void AddItem(LauncherCombo combo, const AnsiString& item) override;
    int ItemIndex(LauncherCombo combo) const override;
    void SetItemIndex(LauncherCombo combo, int index) override;
    bool NoHardwareChecked() const override;
    void SetNoHardwareChecked(bool checked) override;
    void LoadBackground(const AnsiString& fileName) override;
    void UseCyrillicSkin() override;
    void Close() override { vcl::TForm::Close(); }
    void ReportStartProblem(const WideString& text) override;
    void ShowPanel(const WideString& caption) override;
    void HidePanel() override;
    void ShowFile(const AnsiString& name) override;
    void Step() override;
    void ShowMessage(const WideString& text) override;
    void SetBusyCursor(bool busy) override;
    void SetWorking(bool working) override;

private:
    void CreateComponents();
    void CreateFrameAndMessages();
    void SkSkinFormPaint();
    skin::TSkSkinButton* MakeButton(const char* name, RECT bounds, const char16_t* caption, int tabOrder,
                                    void (LauncherController::*click)());
    skin::TSkSkinLabel* MakeLabel(vcl::TWinControl* parent, const char* name, RECT bounds);
    skin::TSkSkinPanel* MakePanel(const char* name, RECT bounds);
    skin::TSkSkinComboBox* MakeCombo(const char* name, RECT bounds, int dropDownCount, int tabOrder,
                                     void (LauncherController::*change)());
    skin::TSkSkinComboBox* ComboOf(LauncherCombo combo) const;
    vcl::TControl* ControlOf(LauncherControl control) const;

    LauncherSound sound_;
    LauncherController controller_;
    std::vector<bool> enabledBeforeWork_;
};

// The program: the single-instance test, then the form until it closes.
// The exit code.
int RunLauncher();

}  // namespace launcher
