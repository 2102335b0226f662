#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "skin/skins/sk_skin_manager.h"
#include "tests/skin/skins/skin_fixture.h"
#include "tests/support/temp_dir.h"

using namespace skin;

namespace {

std::vector<std::string> received;

void Record(vcl::TComponent* who, vcl::TMessage& m)
{
    received.push_back(who->Name() + (m.Msg == SKM_SKINWILLCHANGE ? ":before" : ":after"));
}

class TRecordingForm : public vcl::TForm {
    VCL_DECLARE_CLASS(TRecordingForm, vcl::TForm)
public:
    explicit TRecordingForm(vcl::TComponent* owner) : vcl::TForm(owner) {}
};
class TRecordingPanel : public vcl::TCustomControl {
    VCL_DECLARE_CLASS(TRecordingPanel, vcl::TCustomControl)
public:
    explicit TRecordingPanel(vcl::TComponent* owner) : vcl::TCustomControl(owner) {}
};
class TRecordingShape : public vcl::TGraphicControl {
    VCL_DECLARE_CLASS(TRecordingShape, vcl::TGraphicControl)
public:
    explicit TRecordingShape(vcl::TComponent* owner) : vcl::TGraphicControl(owner) {}
};

template <class B>
void Handlers(B& b)
{
    b.Component();
    b.Message(SKM_SKINWILLCHANGE, [](auto* self, vcl::TMessage& m) { Record(self, m); });
    b.Message(SKM_SKINCHANGED, [](auto* self, vcl::TMessage& m) { Record(self, m); });
}
VCL_IMPLEMENT_CLASS(TRecordingForm, vcl::TForm, [](auto& b) { Handlers(b); })
VCL_IMPLEMENT_CLASS(TRecordingPanel, vcl::TCustomControl, [](auto& b) { Handlers(b); })
VCL_IMPLEMENT_CLASS(TRecordingShape, vcl::TGraphicControl, [](auto& b) { Handlers(b); })

std::vector<std::uint8_t> SkinProperty(bool withSkin, std::uint8_t flag)
{
    TSkSkinSource s(nullptr);
    if (withSkin)
        test::BuildTestSkin(s);
    auto bytes = vls::tools::WriteSkinFormProperty(s);
    bytes[0] = flag;
    return bytes;
}

void ReadProperty(TSkSkinManager& m, const std::vector<std::uint8_t>& bytes)
{
    vcl::TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    s.SetPosition(0);
    m.ReadSkinStream(&s);
}

class SkinManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        received.clear();
    }
    void TearDown() override { vcl::Application->ProcessMessages(); }
    vls::test::ScopedConfig config;
};

}  // namespace

TEST_F(SkinManagerTest, SkinStreamPropertyFlagByte)
{
    TSkSkinManager m(nullptr);
    ReadProperty(m, {0});
    EXPECT_EQ(m.Source()->GetObjectCount(), 0);
    ReadProperty(m, SkinProperty(true, 1));
    EXPECT_EQ(m.Source()->GetObjectCount(), 2);
    EXPECT_TRUE(received.empty());

    TSkSkinManager empty(nullptr);
    vcl::TMemoryStream out;
    empty.WriteSkinStream(&out);
    EXPECT_EQ(out.Bytes(), std::vector<std::uint8_t>{0});
    vcl::TMemoryStream full;
    m.WriteSkinStream(&full);
    EXPECT_EQ(full.Bytes()[0], 2);
    EXPECT_EQ(std::string(full.Bytes().begin() + 1, full.Bytes().begin() + 5), "SKLZ");
}

TEST_F(SkinManagerTest, BroadcastReachesNestedControlsInOrder)
{
    auto* form = new TRecordingForm(vcl::Application);
    form->SetName("Form1");
    auto* outer = new TRecordingPanel(form);
    outer->SetName("Outer");
    outer->SetParent(form);
    auto* inner = new TRecordingShape(form);
    inner->SetName("Inner");
    inner->SetParent(outer);
    auto* second = new TRecordingPanel(form);
    second->SetName("Second");
    second->SetParent(form);

    TSkSkinManager m(nullptr);
    m.SetDeltaHue(40);  // no skin yet: recorded only
    EXPECT_TRUE(received.empty());
    ReadProperty(m, SkinProperty(true, 2));
    std::vector<std::string> events;
    m.OnBeforeChange = [&](vcl::TObject*) { events.push_back("OnBeforeChange"); };
    m.OnAfterChange = [&](vcl::TObject*) { events.push_back("OnAfterChange"); };
    // The stream brought the skin unshifted, so the same value applies now.
    m.SetDeltaHue(40);
    EXPECT_EQ(m.Source()->AppliedHue(), 40);
    const std::vector<std::string> expected{"Form1:before", "Outer:before", "Inner:before", "Second:before",
                                            "Form1:after",  "Outer:after",  "Inner:after",  "Second:after"};
    EXPECT_EQ(received, expected);
    EXPECT_EQ(events, (std::vector<std::string>{"OnBeforeChange", "OnAfterChange"}));
    received.clear();
    m.SetDeltaHue(40);
    EXPECT_TRUE(received.empty());
    delete form;
}

TEST_F(SkinManagerTest, SkinFileChangesAndFailures)
{
    auto* form = new TRecordingForm(vcl::Application);
    form->SetName("Form2");
    vls::test::TempDir dir;
    TSkSkinSource s(nullptr);
    test::BuildTestSkin(s);
    const std::string good = (dir.path() / "good.kskn").string();
    s.SaveToFile(good);
    const std::string bad = (dir.path() / "bad.kskn").string();
    dir.write("bad.kskn", "SKLZ not zlib at all");

    TSkSkinManager m(nullptr);
    m.SetSkinFile(good);
    EXPECT_EQ(m.Source()->GetObjectCount(), 2);
    EXPECT_EQ(received, std::vector<std::string>{"Form2:after"});

    // An empty name at run time empties the skin between the two messages.
    received.clear();
    m.SetSkinFile("");
    EXPECT_EQ(m.Source()->GetObjectCount(), 0);
    EXPECT_EQ(received, (std::vector<std::string>{"Form2:before", "Form2:after"}));

    m.SetSkinFile(good);
    received.clear();
    EXPECT_THROW(m.SetSkinFile(bad), vcl::Exception);
    EXPECT_FALSE(m.Source()->Reloading);
    EXPECT_EQ(received, (std::vector<std::string>{"Form2:before", "Form2:after"}));
    delete form;
}

TEST_F(SkinManagerTest, SkinTravelsInTheComponentStream)
{
    TSkSkinManager saved(nullptr);
    saved.SetName("SkinManager1");
    ReadProperty(saved, SkinProperty(true, 2));
    vcl::TMemoryStream stream;
    stream.WriteComponent(&saved);
    stream.SetPosition(0);
    TSkSkinManager loaded(nullptr);
    stream.ReadComponent(&loaded);
    EXPECT_EQ(loaded.Source()->GetObjectCount(), 2);
    EXPECT_EQ(loaded.Source()->SkinName(), "Test Skin");
    EXPECT_EQ(loaded.SkinFile(), "");
    EXPECT_TRUE(received.empty());

    // Damage inside the property fails the load and leaves no skin behind.
    std::vector<std::uint8_t> bytes = stream.Bytes();
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 40 && i < bytes.size(); ++i)
        bytes[i] ^= 0xA5;
    vcl::TMemoryStream damaged;
    damaged.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    damaged.SetPosition(0);
    TSkSkinManager other(nullptr);
    EXPECT_THROW(damaged.ReadComponent(&other), vcl::Exception);
    EXPECT_EQ(other.Source()->GetObjectCount(), 0);
}
