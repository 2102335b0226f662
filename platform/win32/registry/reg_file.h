#pragma once

#include "platform/win32/wintypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vls::win32 {

// The text form of HKEY_CURRENT_USER in <config>/user.reg, in the style of a
// registry export:
//
//   REGEDIT4
//
//   [Software\Quarrybend\Veilstrand]
//   "Antialiasing"=dword:00000002
//   "Path"="C:\\Games"
//   "Blob"=hex:01,02,03
//   "Other"=hex(7):41,00,00
//
// Key paths are relative to HKEY_CURRENT_USER ("HKEY_CURRENT_USER\" in front
// is accepted). Strings escape '\' and '"'; strings that hold a line break
// are written as hex(1). Every value type is kept as bytes, so values this
// program does not know survive a rewrite.
struct RegistryValue {
    std::string name; // empty for the key's default value ("@")
    DWORD type = 0;
    std::vector<BYTE> data; // REG_SZ without its terminating NUL
};

struct RegistryKey {
    std::string path;
    std::vector<RegistryValue> values;
};

struct RegistryDocument {
    std::vector<RegistryKey> keys;

    // Keys and value names are matched without regard to ASCII case.
    RegistryKey* FindKey(std::string_view path);
    const RegistryKey* FindKey(std::string_view path) const;
    // Whether `path` is a key or lies above one.
    bool HasKey(std::string_view path) const;
    RegistryKey& AddKey(std::string_view path);
};

RegistryValue* FindValue(RegistryKey& key, std::string_view name);
const RegistryValue* FindValue(const RegistryKey& key, std::string_view name);

// Every line that can be read; a line that cannot, and the values under a
// key line that cannot, are left out and described in `skipped`
// ("line 7: bad dword"), so one damaged line costs no other setting.
RegistryDocument ReadRegistryText(std::string_view text, std::vector<std::string>* skipped);
// Null with `error` set to the first damaged line when any line is damaged.
std::optional<RegistryDocument> ParseRegistryText(std::string_view text, std::string* error);
std::string FormatRegistryText(const RegistryDocument& document);

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace vls::win32
