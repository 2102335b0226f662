#pragma once

// The registry class of the library over the Win32 registry calls.

#include "platform/vcl/classes.h"
#include "platform/win32/registry/registry.h"

namespace vcl {

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry : public TObject {
    VCL_DECLARE_CLASS(TRegistry, TObject)
public:
    TRegistry();
    explicit TRegistry(REGSAM access);
    ~TRegistry() override;

    HKEY RootKey() const { return rootKey_; }
    void SetRootKey(HKEY key);
    HKEY CurrentKey() const { return currentKey_; }
    const AnsiString& CurrentPath() const { return currentPath_; }
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM access) { access_ = access; }

    // A leading backslash starts from the root, else from the current key.
    bool OpenKey(const AnsiString& key, bool canCreate);
    bool OpenKeyReadOnly(const AnsiString& key);
    void CloseKey();
    bool KeyExists(const AnsiString& key);
    bool ValueExists(const AnsiString& name);
    bool DeleteValue(const AnsiString& name);
    TRegDataType GetDataType(const AnsiString& name);
    int GetDataSize(const AnsiString& name);  // -1 when missing

    // Reading a missing value or one of another type raises ERegistryException.
    AnsiString ReadString(const AnsiString& name);
    int ReadInteger(const AnsiString& name);
    bool ReadBool(const AnsiString& name) { return ReadInteger(name) != 0; }
    int ReadBinaryData(const AnsiString& name, void* buffer, int size);
    void WriteString(const AnsiString& name, const AnsiString& value);
    void WriteExpandString(const AnsiString& name, const AnsiString& value);
    void WriteInteger(const AnsiString& name, int value);
    void WriteBool(const AnsiString& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    void WriteBinaryData(const AnsiString& name, const void* buffer, int size);

private:
    HKEY BaseFor(const AnsiString& key, AnsiString& relative) const;
    void PutData(const AnsiString& name, DWORD type, const void* data, DWORD size);

    HKEY rootKey_ = HKEY_CURRENT_USER;
    HKEY currentKey_ = nullptr;
    AnsiString currentPath_;
    REGSAM access_ = KEY_ALL_ACCESS;
};

}  // namespace vcl
