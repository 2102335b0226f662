#pragma once

// A description of where the family keeps settings: an ini file or a
// registry path, with counters, a user part and an encoding key.

#include "launcher/components/kit_base.h"

namespace kit {

enum TKitIniTarget { itAuto, itIniFile, itRegistry };
enum TKitIniPrefix { ppWindows, ppSystem, ppProgram, ppNone };
enum TKitRegRoot { rpCurrentUser, rpLocalMachine };

// The class library's text for a user whose name cannot be had; the library
// stand-in has none yet.
inline constexpr const char* kUnknownUser = "Unbekannt";
inline constexpr int kDefaultEncKey = 0x4B69;

class TKitIniCtrl : public TKitCustomComponent {
    VCL_DECLARE_CLASS(TKitIniCtrl, TKitCustomComponent)
public:
    explicit TKitIniCtrl(vcl::TComponent* owner) : TKitCustomComponent(owner) {}

    AnsiString IniFile() const { return iniFile_; }
    void SetIniFile(const AnsiString& value);  // ".INI" added when there is no extension
    TKitIniPrefix IniPrefix() const { return iniPrefix_; }
    void SetIniPrefix(TKitIniPrefix value) { iniPrefix_ = value; }
    AnsiString RegPath() const { return regPath_; }
    void SetRegPath(const AnsiString& value) { regPath_ = value; }
    TKitRegRoot RegRoot() const { return regRoot_; }
    void SetRegRoot(TKitRegRoot value) { regRoot_ = value; }
    TKitIniTarget Target() const { return target_; }
    void SetTarget(TKitIniTarget value) { target_ = value; }
    bool Common() const { return common_; }
    void SetCommon(bool value) { common_ = value; }
    bool NetUser() const { return netUser_; }
    void SetNetUser(bool value);  // true fills User with the login name
    AnsiString User() const { return user_; }
    void SetUser(const AnsiString& value) { user_ = value; }
    bool AlphaCounter() const { return alphaCounter_; }
    void SetAlphaCounter(bool value);
    int MaxEntries() const { return maxEntries_; }
    void SetMaxEntries(int value);  // at most 26 while AlphaCounter
    int EncKey() const { return encKey_; }
    void SetEncKey(int value) { encKey_ = value & 0xFFFF; }
    bool Encoded() const { return encoded_; }
    void SetEncoded(bool value) { encoded_ = value; }

private:
    AnsiString iniFile_;
    TKitIniPrefix iniPrefix_ = ppWindows;
    AnsiString regPath_;
    TKitRegRoot regRoot_ = rpCurrentUser;
    TKitIniTarget target_ = itAuto;
    bool common_ = true;
    bool netUser_ = false;
    AnsiString user_;
    bool alphaCounter_ = false;
    int maxEntries_ = 16;
    int encKey_ = kDefaultEncKey;
    bool encoded_ = false;
};

}  // namespace kit
