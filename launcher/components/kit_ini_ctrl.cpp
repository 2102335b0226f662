#include "launcher/components/kit_ini_ctrl.h"

#include <algorithm>

#include "platform/win32/kernel/version.h"

namespace kit {

namespace {
const vcl::TEnumInfo kIniTargetInfo{"TKitIniTarget", {"itAuto", "itIniFile", "itRegistry"}};
const vcl::TEnumInfo kIniPrefixInfo{"TKitIniPrefix", {"ppWindows", "ppSystem", "ppProgram", "ppNone"}};
const vcl::TEnumInfo kRegRootInfo{"TKitRegRoot", {"rpCurrentUser", "rpLocalMachine"}};
constexpr int kMaxAlphaEntries = 26;
}  // namespace

VCL_IMPLEMENT_CLASS(TKitIniCtrl, TKitCustomComponent, [](auto& b) {
    using C = TKitIniCtrl;
    b.Component();
    b.Str("IniFile", &C::IniFile, &C::SetIniFile);
    b.Enum("IniPrefix", &kIniPrefixInfo, &C::IniPrefix, &C::SetIniPrefix, std::optional(ppWindows));
    b.Str("RegPath", &C::RegPath, &C::SetRegPath);
    b.Enum("RegRoot", &kRegRootInfo, &C::RegRoot, &C::SetRegRoot, std::optional(rpCurrentUser));
    b.Enum("Target", &kIniTargetInfo, &C::Target, &C::SetTarget, std::optional(itAuto));
    b.Bool("Common", &C::Common, &C::SetCommon, true);
    b.Bool("NetUser", &C::NetUser, &C::SetNetUser, false);
    b.Str("User", &C::User, &C::SetUser);
    b.Bool("AlphaCounter", &C::AlphaCounter, &C::SetAlphaCounter, false);
    b.Int("MaxEntries", &C::MaxEntries, &C::SetMaxEntries, 16);
    b.Int("EncKey", &C::EncKey, &C::SetEncKey, kDefaultEncKey);
    b.Bool("Encoded", &C::Encoded, &C::SetEncoded, false);
    b.Str("About", &C::About, &C::SetAbout).stored = [](const vcl::TObject*) { return false; };
})

void TKitIniCtrl::SetIniFile(const AnsiString& value)
{
    iniFile_ = value;
    if (!value.empty() && vcl::ExtractFileExt(value).empty())
        iniFile_ += ".INI";
}

void TKitIniCtrl::SetNetUser(bool value)
{
    netUser_ = value;
    if (!value)
        return;
    char name[64] = {};
    DWORD size = sizeof name;
    if (GetUserNameA(name, &size))
        user_ = AnsiString(name, std::min<std::size_t>(AnsiString(name).size(), 63));
    else
        user_ = kUnknownUser;
}

void TKitIniCtrl::SetAlphaCounter(bool value)
{
    alphaCounter_ = value;
    if (value)
        maxEntries_ = std::min(maxEntries_, kMaxAlphaEntries);
}

void TKitIniCtrl::SetMaxEntries(int value)
{
    maxEntries_ = alphaCounter_ ? std::min(value, kMaxAlphaEntries) : value;
}

}  // namespace kit
