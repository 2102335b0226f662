#include "platform/win32/registry/reg_file.h"
#include "platform/win32/registry/registry.h"

#include "tests/support/open_counter.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kGameKey = "Software\\Quarrybend\\Veilstrand";

DWORD QueryDword(HKEY key, const char* name, LONG* status = nullptr)
{
    DWORD value = 0, type = 0, size = sizeof value;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status)
        *status = result;
    if (result == ERROR_SUCCESS) {
        EXPECT_EQ(type, REG_DWORD);
        EXPECT_EQ(size, 4u);
    }
    return value;
}

std::string QueryString(HKEY key, const char* name)
{
    char text[256] = {};
    DWORD type = 0, size = sizeof text;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
        return "<missing>";
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, std::string(text).size() + 1);
    return text;
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

LONG SetDword(HKEY key, const char* name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG SetString(HKEY key, const char* name, const std::string& text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
}

class Registry : public ::testing::Test {
protected:
    std::string File() const { return (config_.path() / "user.reg").string(); }

    vls::test::ScopedConfig config_;
};

TEST_F(Registry, CreateSetQueryRoundTrip)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_FILE_NOT_FOUND);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(SetDword(key, "Antialiasing", 2), ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "Path", "C:\\Games\\\"Veil\""), ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "Motd", "two\nlines"), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE\\quarrybend\\VEILSTRAND", &key), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(key, "antialiasing"), 2u);
    EXPECT_EQ(QueryString(key, "Path"), "C:\\Games\\\"Veil\"");
    EXPECT_EQ(QueryString(key, "MOTD"), "two\nlines");
    LONG status = 0;
    QueryDword(key, "Gamma", &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);

    // Size queries and short buffers.
    DWORD size = 0, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 16u);
    char small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(RegDeleteValueA(key, "path"), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, "Path"), "<missing>");
    EXPECT_EQ(RegDeleteValueA(key, "path"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    // The parent key exists through its child.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quarrybend", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
}

TEST_F(Registry, AccessRightsAndBadHandles)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kGameKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, "Gamma", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(SetDword(key, "Gamma", 1), ERROR_INVALID_HANDLE); // closed
    EXPECT_EQ(RegFlushKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kGameKey, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
    const BYTE two[2] = {1, 2};
    EXPECT_EQ(RegSetValueExA(key, "Short", 0, REG_DWORD, two, 2), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(Registry, TwoProcessesShareTheFileWithoutLosingValues)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HKEY own = nullptr;
        bool ok = RegOpenKeyA(HKEY_CURRENT_USER, kGameKey, &own) == ERROR_SUCCESS;
        for (int i = 0; i < 40; ++i)
            ok = ok && SetDword(own, ("Child" + std::to_string(i)).c_str(), static_cast<DWORD>(i)) == ERROR_SUCCESS;
        ok = ok && SetString(own, "Path", "from the child") == ERROR_SUCCESS;
        _exit(ok ? 0 : 1);
    }
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(SetDword(key, ("Parent" + std::to_string(i)).c_str(), static_cast<DWORD>(i + 100)), ERROR_SUCCESS);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(QueryDword(key, ("Child" + std::to_string(i)).c_str()), static_cast<DWORD>(i));
        EXPECT_EQ(QueryDword(key, ("Parent" + std::to_string(i)).c_str()), static_cast<DWORD>(i + 100));
    }
    EXPECT_EQ(QueryString(key, "Path"), "from the child");
    RegCloseKey(key);
    // Only the file and its lock are left: no temporary files.
    for (const auto& entry : std::filesystem::directory_iterator(config_.path()))
        EXPECT_TRUE(entry.path().filename() == "user.reg" || entry.path().filename() == "user.reg.lock") << entry.path();
}

TEST_F(Registry, ValuesItDoesNotKnowSurviveARewrite)
{
    const std::string original = "REGEDIT4\n"
                                 "\n"
                                 "[HKEY_CURRENT_USER\\Software\\Quarrybend\\Veilstrand]\n"
                                 "\"Antialiasing\"=dword:00000000\n"
                                 "\"List\"=hex(7):61,00,62,00,\\\n"
                                 "  00,00\n"
                                 "@=\"default\"\n"
                                 "\n"
                                 "[Software\\Other]\n"
                                 "\"Blob\"=hex:de,ad,be,ef\n";
    vls::test::TempDir scratch;
    std::filesystem::copy_file(scratch.write("user.reg", original), File());
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, nullptr), "default");
    EXPECT_EQ(SetDword(key, "Antialiasing", 4), ERROR_SUCCESS);
    RegCloseKey(key);

    std::string error;
    const auto before = vls::win32::ParseRegistryText(original, &error);
    std::ifstream in(File());
    const std::string rewritten((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto after = vls::win32::ParseRegistryText(rewritten, &error);
    ASSERT_TRUE(before && after) << error;
    ASSERT_EQ(after->keys.size(), 2u);
    const auto& game = after->keys[0].values;
    ASSERT_EQ(game.size(), 3u);
    EXPECT_EQ(game[0].data, (std::vector<BYTE>{4, 0, 0, 0}));
    EXPECT_EQ(game[1].type, REG_MULTI_SZ);
    EXPECT_EQ(game[1].data, before->keys[0].values[1].data);
    EXPECT_EQ(after->keys[1].values[0].data, (std::vector<BYTE>{0xde, 0xad, 0xbe, 0xef}));
}

// One line that cannot be read costs that line only: the other values are
// read, survive the next write, and each damaged file is kept aside under a
// name of its own.
TEST_F(Registry, DamagedLinesAreSkippedAndTheRestKept)
{
    vls::test::TempDir scratch;
    const std::string damaged = "REGEDIT4\n[Software\\Quarrybend\\Veilstrand]\n\"InstallPath\"=\"/games/vs\"\n"
                                "\"Gamma\"=dword:zz\n\"Antialiasing\"=dword:00000002\n[Broken\n\"Lost\"=dword:00000001\n"
                                "[Software\\Other]\n\"Kept\"=\"yes\"\n";
    std::filesystem::copy_file(scratch.write("user.reg", damaged), File());
    HKEY key = nullptr;
    testing::internal::CaptureStderr();
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("damaged"), std::string::npos) << report;
    EXPECT_NE(report.find("line 4"), std::string::npos) << report;
    EXPECT_NE(report.find("line 6"), std::string::npos) << report;
    EXPECT_NE(report.find("line 7"), std::string::npos) << report;
    EXPECT_EQ(QueryString(key, "InstallPath"), "/games/vs");
    EXPECT_EQ(QueryDword(key, "Antialiasing"), 2u);

    EXPECT_EQ(SetDword(key, "Gamma", 3), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadWhole(File() + ".damaged"), damaged);
    const std::string written = ReadWhole(File());
    for (const char* line : {"\"InstallPath\"=\"/games/vs\"", "\"Antialiasing\"=dword:00000002",
                             "\"Gamma\"=dword:00000003", "\"Kept\"=\"yes\""})
        EXPECT_NE(written.find(line), std::string::npos) << written;
    EXPECT_EQ(written.find("Lost"), std::string::npos) << written;

    // A second damage keeps the first copy and adds its own.
    const std::string again = written + "\"Bad\"=hex:1\n";
    std::filesystem::remove(File());
    std::filesystem::copy_file(scratch.write("again.reg", again), File());
    testing::internal::CaptureStderr();
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, "Gamma", 4), ERROR_SUCCESS);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(QueryString(key, "InstallPath"), "/games/vs");
    RegCloseKey(key);
    EXPECT_EQ(ReadWhole(File() + ".damaged"), damaged);
    EXPECT_EQ(ReadWhole(File() + ".damaged.2"), again);
}

TEST(RegFile, DamagedTextIsRejected)
{
    const struct {
        const char* text;
        const char* why;
    } cases[] = {
        {"\"Value\"=dword:1\n", "value outside a key"},
        {"[Key]\n\"Open=\"x\"\n", "missing '='"},
        {"[Key]\n\"A\"=\"unterminated\n", "bad string"},
        {"[Key]\n\"A\"=\"x\" trailing\n", "bad string"},
        {"[Key]\n\"A\"=dword:123456789\n", "bad dword"},
        {"[Key]\n\"A\"=hex:1,2\n", "bad hex bytes"},
        {"[Key]\n\"A\"=hex(zz):01\n", "bad value type"},
        {"[Key]\n\"A\"=qword:1\n", "unknown value data"},
        {"[Key\n", "bad key line"},
        {"[-Key]\n", "bad key line"},
        {"[Key]\n\"A\"=\"\\q\"\n", "bad string"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(vls::win32::ParseRegistryText(c.text, &error), std::nullopt) << c.text;
        EXPECT_NE(error.find(c.why), std::string::npos) << c.text << " -> " << error;
    }
    std::string error;
    EXPECT_EQ(vls::win32::ParseRegistryText(std::string("[K]\n\"A\"=\"x\0y\"\n", 15), &error), std::nullopt);
    EXPECT_NE(error.find("binary data"), std::string::npos);
    EXPECT_TRUE(vls::win32::ParseRegistryText("", &error));
    // Values on the root itself and stray backslashes survive a rewrite.
    const auto rooted = vls::win32::ParseRegistryText("[HKEY_CURRENT_USER]\n\"A\"=dword:1\n[\\Software\\]\n\"B\"=\"c\"\n", &error);
    ASSERT_TRUE(rooted) << error;
    EXPECT_EQ(rooted->keys[0].path, "");
    EXPECT_EQ(rooted->keys[1].path, "Software");
    const auto again = vls::win32::ParseRegistryText(vls::win32::FormatRegistryText(*rooted), &error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(vls::win32::FormatRegistryText(*again), vls::win32::FormatRegistryText(*rooted));
    EXPECT_TRUE(vls::win32::ParseRegistryText("REGEDIT4\r\n\r\n; comment\r\n[K]\r\n\"A\"=\"b\"\r\n", &error));
}

TEST(RegFile, KeysTheReaderCouldMistakeReadBackAsTheSameKey)
{
    // "-" in front marks a deleted key, and a leading root name is dropped;
    // keys that really are named so must still come back after a rewrite.
    const char* const paths[] = {"-Games", "HKEY_CURRENT_USER", "hkey_current_user\\Inner", "Plain\\-Sub"};
    for (const char* path : paths) {
        vls::win32::RegistryDocument document;
        document.AddKey(path).values.push_back({"A", 4, {1, 0, 0, 0}});
        std::string error;
        const auto again = vls::win32::ParseRegistryText(vls::win32::FormatRegistryText(document), &error);
        ASSERT_TRUE(again) << path << ": " << error;
        ASSERT_EQ(again->keys.size(), 1u) << path;
        EXPECT_EQ(again->keys[0].path, path);
        ASSERT_EQ(again->keys[0].values.size(), 1u) << path;
    }
}

} // namespace

namespace {

// Damaged files come in every shape: whatever the parser accepts must come
// back unchanged through a rewrite, and nothing may crash it.
TEST(RegFile, MutatedFilesParseSafelyAndRewriteStably)
{
    const std::string valid = "REGEDIT4\n\n[Software\\Quarrybend\\Veilstrand]\n\"Antialiasing\"=dword:00000002\n"
                              "\"Path\"=\"C:\\\\Games\\\\\\\"x\\\"\"\n@=\"d\"\n\"Bin\"=hex:01,ff,\\\n  20\n\"M\"=hex(7):41,00,00,00\n";
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const char alphabet[] = "\"\\[]=@:,\n\r\t x0fhexdword(7)";
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = valid;
        const int edits = 1 + static_cast<int>(next() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = next() % text.size();
            switch (next() % 3) {
            case 0:
                text[at] = alphabet[next() % (sizeof alphabet - 1)];
                break;
            case 1:
                text.erase(at, 1 + next() % 3);
                break;
            default:
                text.insert(at, 1, alphabet[next() % (sizeof alphabet - 1)]);
                break;
            }
        }
        std::string error;
        const auto document = vls::win32::ParseRegistryText(text, &error);
        if (!document) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        ++accepted;
        const std::string written = vls::win32::FormatRegistryText(*document);
        const auto reread = vls::win32::ParseRegistryText(written, &error);
        ASSERT_TRUE(reread) << error << "\n" << written;
        EXPECT_EQ(vls::win32::FormatRegistryText(*reread), written);
    }
    EXPECT_GT(accepted, 0);
}

} // namespace

namespace {

using vls::test::MakeOld;
using vls::test::OpenCounter;

TEST_F(Registry, TheFileIsReadOnceAndAgainOnlyWhenItChanged)
{
    {
        std::ofstream(File()) << "REGEDIT4\n\n[Software\\Quarrybend\\Veilstrand]\n\"Gamma\"=dword:00000001\n";
    }
    MakeOld(File());
    OpenCounter opens(config_.path());
    ASSERT_TRUE(opens.Ready());
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(QueryDword(key, "Gamma"), 1u);
    EXPECT_EQ(opens.Take("user.reg"), 1);

    // Another program writes it in place, keeping its size.
    {
        std::ofstream(File()) << "REGEDIT4\n\n[Software\\Quarrybend\\Veilstrand]\n\"Gamma\"=dword:00000002\n";
    }
    opens.Take("user.reg");
    EXPECT_EQ(QueryDword(key, "Gamma"), 2u);
    EXPECT_EQ(opens.Take("user.reg"), 1);
    // Just written, it might change again within the same clock tick: read
    // on every call until it has settled.
    EXPECT_EQ(QueryDword(key, "Gamma"), 2u);
    EXPECT_EQ(opens.Take("user.reg"), 1);
    MakeOld(File());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(QueryDword(key, "Gamma"), 2u);
    EXPECT_EQ(opens.Take("user.reg"), 1);

    // Our own change is seen at once, and through the file.
    EXPECT_EQ(SetDword(key, "Gamma", 3), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(key, "Gamma"), 3u);
    RegCloseKey(key);
}

TEST_F(Registry, AFileThatIsNoSettingsFileIsKeptAsideUnread)
{
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* report;
    };
    const Case cases[] = {
        {"a FIFO", [](const std::string& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }, "not a regular file"},
        {"a folder", [](const std::string& file) { std::filesystem::create_directory(file); }, "not a regular file"},
        {"a huge file", [](const std::string& file) {
             std::ofstream(file) << "REGEDIT4\n";
             std::filesystem::resize_file(file, 64u << 20);
         }, "larger than"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(File());
        std::filesystem::remove_all(File() + ".damaged");
        c.make(File());
        HKEY key = nullptr;
        testing::internal::CaptureStderr();
        // A FIFO with no writer would block an ordinary read for ever.
        EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_FILE_NOT_FOUND);
        const std::string report = testing::internal::GetCapturedStderr();
        EXPECT_NE(report.find(c.report), std::string::npos) << report;

        testing::internal::CaptureStderr();
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kGameKey, &key), ERROR_SUCCESS);
        EXPECT_EQ(SetDword(key, "Gamma", 3), ERROR_SUCCESS);
        EXPECT_EQ(QueryDword(key, "Gamma"), 3u);
        testing::internal::GetCapturedStderr();
        RegCloseKey(key);
        EXPECT_TRUE(std::filesystem::is_regular_file(File()));
        EXPECT_TRUE(std::filesystem::exists(File() + ".damaged"));
    }
}

TEST(RegFile, ManyValuesAndKeysReadBackInOrder)
{
    constexpr int kValues = 10000;
    std::string text = "REGEDIT4\n\n[Software\\Quarrybend\\Veilstrand]\n";
    for (int i = 0; i < kValues; ++i)
        text += "\"Value" + std::to_string(i) + "\"=dword:" + std::string(8 - std::to_string(i % 10).size(), '0')
            + std::to_string(i % 10) + "\n";
    // A repeated name, in another case, replaces the value in its place.
    text += "\"VALUE5\"=\"again\"\n[software\\quarrybend\\veilstrand]\n\"value7\"=dword:00000009\n";
    for (int i = 0; i < 500; ++i)
        text += "[Software\\Key" + std::to_string(i) + "]\n@=\"k\"\n";
    std::string error;
    const auto document = vls::win32::ParseRegistryText(text, &error);
    ASSERT_TRUE(document) << error;
    ASSERT_EQ(document->keys.size(), 501u);
    const auto& values = document->keys[0].values;
    ASSERT_EQ(values.size(), static_cast<size_t>(kValues));
    EXPECT_EQ(values[5].name, "VALUE5");
    EXPECT_EQ(values[5].type, REG_SZ);
    EXPECT_EQ(values[7].data, (std::vector<BYTE>{9, 0, 0, 0}));
    EXPECT_EQ(values[kValues - 1].name, "Value9999");
    EXPECT_EQ(document->keys[500].path, "Software\\Key499");
}

}  // namespace
