#include <gtest/gtest.h>

#include "skin/skins/sk_skin_label.h"
#include "tests/skin/controls/control_fixture.h"
#include "tools/skin_writer.h"

using namespace skin;

namespace {

const char* kLabelSkin = R"(
name "Labels"
object Label: TSkSkinObject
  Color = clNavy
  Font.Color = clYellow
  Width = 10
  Height = 10
end
object Other: TSkSkinObject
  Color = clGreen
end
)";

class SkinnedLabel : public sktest::ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        manager = new TSkSkinManager(form);
        TSkSkinSource source(nullptr);
        vls::tools::BuildSkinSource(kLabelSkin, "", source);
        const auto bytes = vls::tools::WriteSkinFormProperty(source);
        vcl::TMemoryStream s;
        s.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        s.SetPosition(0);
        manager->ReadSkinStream(&s);
        label = new TSkSkinLabel(form);
        label->SetParent(form);
        label->SetCaption(u"Hello");
        label->SetTransparent(false);
    }
    TSkSkinManager* manager = nullptr;
    TSkSkinLabel* label = nullptr;
};

}  // namespace

TEST_F(SkinnedLabel, TakesItsSkinObjectsLookAndDropsItOnEveryChange)
{
    EXPECT_FALSE(label->IsSkinned());
    label->SetSkinManager(manager);
    ASSERT_TRUE(label->IsSkinned());
    EXPECT_EQ(label->Color(), vcl::clNavy);
    EXPECT_EQ(label->Font()->Color(), vcl::clYellow);
    EXPECT_EQ(Snapshot().GetPixel(label->Left() + 1, label->Top() + 1) & 0xFFFFFF, Px(vcl::clNavy));

    // The object name takes effect at the next assignment only.
    label->SetSkinObject("Other");
    EXPECT_EQ(label->Skin().Copy()->Color(), vcl::clNavy);
    label->SetSkinManager(manager);
    EXPECT_EQ(label->Color(), vcl::clGreen);
    label->SetSkinObject("Missing");
    label->SetSkinManager(manager);
    EXPECT_FALSE(label->IsSkinned());
    EXPECT_EQ(label->Skin().Copy(), nullptr);

    // A skin change: the copy goes before, and an empty skin leaves none.
    label->SetSkinObject("Label");
    label->SetSkinManager(manager);
    ASSERT_NE(label->Skin().Copy(), nullptr);
    manager->SetSkinFile("");
    EXPECT_EQ(label->Skin().Copy(), nullptr);
    EXPECT_FALSE(label->IsSkinned());
    EXPECT_EQ(label->SkinManager(), manager);

    // Removing the manager clears the reference.
    delete manager;
    EXPECT_EQ(label->SkinManager(), nullptr);
    Snapshot();
}
