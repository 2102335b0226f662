#include "platform/vcl/registry.h"

#include <vector>

namespace vcl {

VCL_IMPLEMENT_CLASS(TRegistry, TObject, [](auto&) {})

TRegistry::TRegistry() = default;
TRegistry::TRegistry(REGSAM access) : access_(access) {}
TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY key)
{
    if (key == rootKey_)
        return;
    CloseKey();
    rootKey_ = key;
}

void TRegistry::CloseKey()
{
    if (currentKey_)
        RegCloseKey(currentKey_);
    currentKey_ = nullptr;
    currentPath_.clear();
}

HKEY TRegistry::BaseFor(const AnsiString& key, AnsiString& relative) const
{
    const bool absolute = !key.empty() && key[0] == '\\';
    relative = absolute ? key.substr(1) : key;
    return absolute || !currentKey_ ? rootKey_ : currentKey_;
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate)
{
    AnsiString relative;
    const HKEY base = BaseFor(key, relative);
    HKEY result = nullptr;
    LONG status;
    if (canCreate) {
        DWORD disposition = 0;
        status = RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr, &result,
                                 &disposition);
    } else {
        status = RegOpenKeyExA(base, relative.c_str(), 0, access_, &result);
    }
    if (status != ERROR_SUCCESS)
        return false;
    const bool absolute = !key.empty() && key[0] == '\\';
    const AnsiString path = absolute || currentPath_.empty() ? relative : currentPath_ + "\\" + relative;
    CloseKey();
    currentKey_ = result;
    currentPath_ = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& key)
{
    const REGSAM saved = access_;
    access_ = KEY_READ;
    const bool ok = OpenKey(key, false);
    if (!ok)
        access_ = saved;
    return ok;
}

bool TRegistry::KeyExists(const AnsiString& key)
{
    AnsiString relative;
    const HKEY base = BaseFor(key, relative);
    HKEY result = nullptr;
    if (RegOpenKeyExA(base, relative.c_str(), 0, KEY_READ, &result) != ERROR_SUCCESS)
        return false;
    RegCloseKey(result);
    return true;
}

int TRegistry::GetDataSize(const AnsiString& name)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(currentKey_ ? currentKey_ : rootKey_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(size);
}

bool TRegistry::ValueExists(const AnsiString& name) { return GetDataSize(name) >= 0; }

TRegDataType TRegistry::GetDataType(const AnsiString& name)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(currentKey_ ? currentKey_ : rootKey_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return rdUnknown;
    switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
    }
}

bool TRegistry::DeleteValue(const AnsiString& name)
{
    return RegDeleteValueA(currentKey_ ? currentKey_ : rootKey_, name.c_str()) == ERROR_SUCCESS;
}

namespace {

struct ValueData {
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

bool Query(HKEY key, const AnsiString& name, ValueData& out)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &out.type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    out.bytes.resize(size);
    return RegQueryValueExA(key, name.c_str(), nullptr, &out.type, out.bytes.data(), &size) == ERROR_SUCCESS;
}

}  // namespace

AnsiString TRegistry::ReadString(const AnsiString& name)
{
    ValueData v;
    if (!Query(currentKey_ ? currentKey_ : rootKey_, name, v))
        return AnsiString();  // a missing string reads as empty, as in the original
    if (v.type != REG_SZ && v.type != REG_EXPAND_SZ)
        throw ERegistryException(Format(consts::SInvalidRegType, name));
    AnsiString s(v.bytes.begin(), v.bytes.end());
    const size_t nul = s.find('\0');
    if (nul != AnsiString::npos)
        s.resize(nul);
    return s;
}

int TRegistry::ReadInteger(const AnsiString& name)
{
    ValueData v;
    if (!Query(currentKey_ ? currentKey_ : rootKey_, name, v))
        throw ERegistryException(Format(consts::SRegGetDataFailed, name));
    if (v.type != REG_DWORD || v.bytes.size() < 4)
        throw ERegistryException(Format(consts::SInvalidRegType, name));
    return static_cast<int>(v.bytes[0] | (v.bytes[1] << 8) | (v.bytes[2] << 16) | (static_cast<DWORD>(v.bytes[3]) << 24));
}

int TRegistry::ReadBinaryData(const AnsiString& name, void* buffer, int size)
{
    ValueData v;
    if (!Query(currentKey_ ? currentKey_ : rootKey_, name, v))
        throw ERegistryException(Format(consts::SRegGetDataFailed, name));
    if (v.type != REG_BINARY || static_cast<int>(v.bytes.size()) > size)
        throw ERegistryException(Format(consts::SInvalidRegType, name));
    std::copy(v.bytes.begin(), v.bytes.end(), static_cast<BYTE*>(buffer));
    return static_cast<int>(v.bytes.size());
}

void TRegistry::PutData(const AnsiString& name, DWORD type, const void* data, DWORD size)
{
    if (RegSetValueExA(currentKey_ ? currentKey_ : rootKey_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) !=
        ERROR_SUCCESS)
        throw ERegistryException(Format(consts::SRegSetDataFailed, name));
}

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value)
{
    PutData(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteExpandString(const AnsiString& name, const AnsiString& value)
{
    PutData(name, REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteInteger(const AnsiString& name, int value)
{
    const DWORD v = static_cast<DWORD>(value);
    PutData(name, REG_DWORD, &v, 4);
}

void TRegistry::WriteBinaryData(const AnsiString& name, const void* buffer, int size)
{
    PutData(name, REG_BINARY, buffer, static_cast<DWORD>(size));
}

}  // namespace vcl
