// The launcher's real form, built in process on the headless backend: its
// components take the text table, and its settings panel paints as one.

#include <gtest/gtest.h>

#include <filesystem>

#include "launcher/components/kit_application.h"
#include "launcher/launcher_form.h"
#include "launcher/launcher_settings.h"
#include "platform/vcl/registry.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/win32/kernel/paths.h"
#include "skin/skins/sk_units.h"
#include "tests/launcher/text_table_file.h"
#include "tests/support/temp_dir.h"

using namespace launcher;
namespace fs = std::filesystem;

namespace {

class LauncherFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        skin::InitializeSkinUnits();
        kit::InitializeKitUnits();
        std::vector<std::u16string> lines(kLauncherLineCount);
        for (int i = 0; i < kLauncherLineCount; ++i)
            lines[static_cast<size_t>(i)] = u"t " + vcl::AnsiToWide(std::to_string(i));
        lines[kLineInstallValue] = u"InstallPath";
        lines[kLineFlags] = u"x";
        launcher::test::WriteTable(launcherDir / "launcher.str", lines);
        installDir.write("vls", "#!/bin/sh\n");
        fs::permissions(installDir / "vls", fs::perms::owner_all);
        vcl::TRegistry reg;
        reg.OpenKey(kRegistryKey, true);
        reg.WriteString("InstallPath", vls::win32::ToWindowsPath(installDir.path().string()));
        reg.CloseKey();

        form = new TfrmLauncher(vcl::Application);
        form->Controller().FormCreate(vls::win32::ToWindowsPath(launcherDir.path().string()) + "\\");
        form->Show();
        vcl::Application->ProcessMessages();
    }
    void TearDown() override
    {
        delete form;
        vcl::Application->ProcessMessages();
        kit::FinalizeKitUnits();
        skin::FinalizeSkinUnits();
    }
    // The form's face as painted now, at a point of `area`'s client area.
    std::uint32_t PixelAt(vcl::TWinControl* area, int x, int y)
    {
        skin::TSkBitmap shot;
        shot.SetSize(form->Width(), form->Height());
        shot.Fill(0xFF000000);
        form->PaintTo(shot.DC(), 0, 0);
        const POINT p = form->ScreenToClient(area->ClientToScreen(POINT{x, y}));
        return shot.GetPixel(p.x, p.y) & 0xFFFFFF;
    }

    vls::test::ScopedConfig config;
    vls::test::TempDir launcherDir, installDir;
    TfrmLauncher* form = nullptr;
};

}  // namespace

TEST_F(LauncherFormTest, ComponentsTakeTheTextTableAndKeepTheirPlaces)
{
    EXPECT_EQ(form->btnStart->Caption(), u"t 0");
    EXPECT_EQ(form->btnFullInstall->Caption(), u"t 2");
    EXPECT_TRUE(form->btnFullInstall->Visible());
    EXPECT_EQ(form->btnOptions->Caption(), u"t 4");
    EXPECT_EQ(form->btnUpdate->Caption(), u"t 5");
    EXPECT_EQ(form->btnForum->Caption(), u"t 6");
    EXPECT_EQ(form->CopyPanel->Caption(), u"t 12");
    EXPECT_EQ(form->lbAA->Caption(), u"t 17");
    EXPECT_EQ(form->lbSpeaker->Caption(), u"t 21");
    EXPECT_EQ(form->lbBufferSize->Caption(), u"t 31");
    EXPECT_EQ(form->cbNoHardware->Caption(), u"t 32");
    EXPECT_EQ(form->cbAA->Items()->Count(), 3);
    EXPECT_EQ(form->cbAA->Items()->Strings(2), "t 20");
    EXPECT_EQ(form->cbSpeaker->Items()->Count(), 6);
    EXPECT_EQ(form->cbBufferSize->Items()->Strings(0), "50 ms (Default)");

    EXPECT_EQ(form->ClientWidth(), 620);
    EXPECT_EQ(form->ClientHeight(), 400);
    struct Place {
        vcl::TControl* control;
        vcl::TWinControl* parent;
        int left, top, width;
    };
    for (const Place& p : {Place{form->btnClose, form, 592, 8, 20}, Place{form->btnStart, form, 190, 240, 241},
                           Place{form->btnForum, form, 190, 360, 241},
                           Place{form->SettingsPanel, form, 157, 184, 305},
                           Place{form->cbBufferSize, form->SettingsPanel, 32, 144, 241},
                           Place{form->cbNoHardware, form->SettingsPanel, 56, 176, 201},
                           Place{form->CopyProgress, form->CopyPanel, 32, 104, 241}}) {
        SCOPED_TRACE(p.control->Name());
        EXPECT_EQ(p.control->Parent(), p.parent);
        EXPECT_EQ(p.control->Left(), p.left);
        EXPECT_EQ(p.control->Top(), p.top);
        EXPECT_EQ(p.control->Width(), p.width);
    }
    EXPECT_EQ(form->btnClose->TabOrder(), 0);
    EXPECT_EQ(form->btnForum->TabOrder(), 5);
    EXPECT_EQ(form->cbNoHardware->TabOrder(), 3);
    EXPECT_EQ(form->ActiveControl(), form->btnStart);
    EXPECT_EQ(form->cbNoHardware->SkinManager(), nullptr);
    EXPECT_EQ(form->cbAA->SkinManager(), form->SkSkinManager);
}

// The labels and the check box see through to the translucent panel behind
// them: each shows the pixels the panel shows where they are hidden.
TEST_F(LauncherFormTest, SettingsPanelsLabelsAndCheckBoxShowThePanelBehindThem)
{
    form->Controller().OptionsClick();
    vcl::Application->ProcessMessages();
    ASSERT_TRUE(form->SettingsPanel->Visible());
    EXPECT_EQ(form->SettingsPanel->Caption(), u"   t 16");

    // A blank corner of the label, and the blank end of the check box.
    const std::uint32_t overLabel = PixelAt(form->SettingsPanel, 34, 34);
    const std::uint32_t overBox = PixelAt(form->SettingsPanel, 250, 186);
    form->lbAA->SetVisible(false);
    form->cbNoHardware->SetVisible(false);
    form->SkSkinLabel1->SetVisible(false);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(overLabel, PixelAt(form->SettingsPanel, 34, 34));
    EXPECT_EQ(overBox, PixelAt(form->SettingsPanel, 250, 186));
    // The panel is a mix, not its own colour.
    EXPECT_NE(overLabel, 0xFFFFFFu);
}
