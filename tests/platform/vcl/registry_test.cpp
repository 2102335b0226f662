#include <gtest/gtest.h>

#include "platform/vcl/registry.h"
#include "tests/support/temp_dir.h"

using namespace vcl;

namespace {

TEST(Registry, ValuesUnderTheCurrentUserKey)
{
    vls::test::ScopedConfig config;
    {
        TRegistry reg;
        EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
        EXPECT_FALSE(reg.OpenKey("Software\\Quarrybend\\Veilstrand", false));
        ASSERT_TRUE(reg.OpenKey("Software\\Quarrybend\\Veilstrand", true));
        EXPECT_EQ(reg.CurrentPath(), "Software\\Quarrybend\\Veilstrand");
        reg.WriteInteger("Antialiasing", 2);
        reg.WriteString("Path", "C:\\Games");
        reg.WriteBool("Flag", true);
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Quarrybend\\Veilstrand"));
    EXPECT_EQ(reg.ReadInteger("Antialiasing"), 2);
    EXPECT_EQ(reg.ReadString("Path"), "C:\\Games");
    EXPECT_TRUE(reg.ReadBool("Flag"));
    EXPECT_EQ(reg.GetDataType("Path"), rdString);
    EXPECT_TRUE(reg.ValueExists("Antialiasing"));
    EXPECT_FALSE(reg.ValueExists("Speakermode"));
    EXPECT_EQ(reg.ReadString("Missing"), "");
    try {
        reg.ReadInteger("Speakermode");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message, "Lesen der Daten für 'Speakermode' fehlgeschlagen");
    }
    EXPECT_THROW(reg.ReadInteger("Path"), ERegistryException);
}

}  // namespace
