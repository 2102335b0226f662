#include <gtest/gtest.h>

#include <set>

#include "launcher/launcher_skin_data.h"
#include "skin/skins/sk_bitmap_objects.h"
#include "skin/skins/sk_skin_manager.h"

using namespace skin;

TEST(LauncherSkin, BuiltInSkinHoldsWhatTheFormLooksUpAndPaintsEveryButtonState)
{
    const auto bytes = launcher::LauncherSkinStream();
    ASSERT_GT(bytes.size(), 5u);
    EXPECT_EQ(bytes[0], 2);
    vcl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SetPosition(0);
    TSkSkinManager manager(nullptr);
    manager.ReadSkinStream(&stream);
    TSkSkinSource* source = manager.Source();
    for (const char* name : {"Form", "Button", "ProgressBar", "ComboBox", "ListBox", "CheckBox"})
        EXPECT_NE(source->FindObject(name), nullptr) << name;
    ASSERT_NE(source->GetFormObject(), nullptr);
    EXPECT_NE(source->GetFormObject()->FindObjectByKind(skClient), nullptr);
    TSkSkinObject* frame = source->FindObject("ProgressBar")->FindObject("Frame");
    EXPECT_EQ(frame->MarginLeft(), 2);
    EXPECT_EQ(frame->MarginBottom(), 3);

    // Each draw state of the button face gives its own picture.
    TSkSkinObject* face = source->FindObject("Button")->FindObject("Face");
    TSkBitmap surface;
    surface.SetSize(241, 25);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());
    std::set<TPixel> centres;
    for (std::uint8_t state : {kStateNormal, kStateHot, kStatePressed, kStateFocused, kStateDisabled}) {
        surface.Fill(0xFF000000);
        face->SetBounds(RECT{0, 0, 241, 25});
        face->SetState(state);
        face->Paint(&canvas);
        centres.insert(surface.GetPixel(120, 12) & 0xFFFFFF);
        // The cut corner stays transparent.
        EXPECT_EQ(surface.GetPixel(0, 0) & 0xFFFFFF, 0u);
        EXPECT_NE(surface.GetPixel(1, 1) & 0xFFFFFF, 0u);
    }
    canvas.SetHandle(nullptr);
    EXPECT_EQ(centres.size(), 5u);
}
