#include "launcher/components/kit_application.h"

#include <algorithm>

#include "launcher/components/kit_container.h"
#include "launcher/components/kit_image_list.h"
#include "launcher/components/kit_paths.h"
#include "launcher/components/kit_starter.h"
#include "platform/vcl/forms.h"
#include "launcher/components/kit_kernel_calls.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/mutex.h"
#include "platform/win32/kernel/time.h"
#include "platform/win32/kernel/version.h"
#include "platform/user/winuser.h"

namespace kit {

VCL_IMPLEMENT_CLASS(TKitApplication, vcl::TComponent, [](auto&) {})

TKitOSFlags KitOSFlags;
TKitThemeBinding KitThemes;
TKitContainer* KitContainer = nullptr;
TKitXPThemeManager* KitThemeManager = nullptr;
TKitApplication* KitApplication = nullptr;

const std::array<const char*, 31> kThemeFunctionNames = {
    "DrawThemeEdge", "DrawThemeBackground", "DrawThemeParentBackground", "DrawThemeText", "DrawThemeIcon",
    "OpenThemeData", "CloseThemeData", "IsThemeBackgroundPartiallyTransparent", "GetThemeBackgroundContentRect",
    "SetWindowTheme", "SetThemeAppProperties", "IsThemePartDefined", "GetThemeColor", "GetThemeMetric",
    "GetThemeString", "GetThemeBool", "GetThemeInt", "GetThemeEnumValue", "GetThemePosition", "GetThemeFont",
    "GetThemeRect", "GetThemeFilename", "GetThemeSysColor", "GetThemeSysColorBrush", "GetThemeSysBool",
    "IsThemeActive", "IsAppThemed", "GetWindowTheme", "EnableThemeDialogTexture", "IsThemeDialogTextureEnabled",
    "EnableTheming"};

namespace {

// The system's check-box glyph bitmap holds 4 x 3 glyphs of 13 x 13 pixels;
// the window layer offers no system bitmaps yet.
constexpr SIZE kCheckBoxesBitmap{52, 39};

// Whether this code runs inside a library rather than a program: the
// family is always linked into programs here.
constexpr bool kIsLibrary = false;

void SendToControls(vcl::TWinControl* control, UINT msg)
{
    for (int i = 0; i < control->ControlCount(); ++i) {
        vcl::TControl* child = control->Controls(i);
        child->Perform(msg, 0, 0);
        if (auto* win = dynamic_cast<vcl::TWinControl*>(child))
            SendToControls(win, msg);
    }
}

}  // namespace

// ---------------------------------------------------------- TKitApplication

TKitApplication::TKitApplication(vcl::TComponent* owner)
    : TComponent(owner), iniCtrl_(new TKitIniCtrl(nullptr)), timerPool_(new TKitTimerPool(nullptr))
{
    timerPool_->minInterval_ = 50;
    logFileName_ = vcl::ChangeFileExt(vcl::ExtractFileName(ProgramFileName()), ".LOG");
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    performanceFrequency_ = frequency.QuadPart;
    checkBoxSize_ = SIZE{kCheckBoxesBitmap.cx / 4, kCheckBoxesBitmap.cy / 3};
    if (!kIsLibrary) {
        const AnsiString name = vcl::UpperCase(vcl::ExtractFileName(ProgramFileName()));
        SetLastError(0);
        mutex_ = CreateMutexA(nullptr, FALSE, name.c_str());
        prevInstance_ = mutex_ != nullptr && GetLastError() == static_cast<DWORD>(ERROR_ALREADY_EXISTS);
    }
}

TKitApplication::~TKitApplication()
{
    if (mutex_)
        CloseHandle(mutex_);
    delete timerPool_;
    delete iniCtrl_;
}

WORD TKitApplication::AddTimer(int interval, TKitTimerCallback callback, vcl::TObject* user)
{
    const auto free = std::find(slots_.begin(), slots_.end(), false);
    if (free == slots_.end())
        return 0;
    const auto ident = static_cast<WORD>(kFirstTimerIdent + (free - slots_.begin()));
    TKitTimerItem* item = timerPool_->Add(ident, interval);
    item->SetCallback(std::move(callback), user);
    *free = true;
    return ident;
}

TKitTimerItem* TKitApplication::GetTimer(WORD ident) const { return timerPool_->Find(ident); }

void TKitApplication::RemoveTimer(WORD ident)
{
    timerPool_->Remove(ident);
    const int slot = ident - kFirstTimerIdent;
    if (slot >= 0 && slot < kTimerSlots)
        slots_[static_cast<std::size_t>(slot)] = false;
}

void TKitApplication::SetThemed(bool value)
{
    if (value)
        RefreshThemed();
    else
        themed_ = false;
}

void TKitApplication::RefreshThemed()
{
    using IsActiveFn = BOOL (*)();
    themed_ = KitThemes.available && KitThemes.IsThemeActive &&
              reinterpret_cast<IsActiveFn>(reinterpret_cast<void (*)()>(KitThemes.IsThemeActive))() != 0;
}

void TKitApplication::BroadcastThemeChange()
{
    if (!vcl::Screen)
        return;
    for (int i = 0; i < vcl::Screen->FormCount(); ++i) {
        vcl::TCustomForm* form = vcl::Screen->Forms(i);
        if (!form->Visible())
            continue;
        SendToControls(form, kThemeChangedBroadcast);
        if (form->HandleAllocated())
            SendMessageA(form->Handle(), WM_THEMECHANGED, 0, 0);
    }
}

AnsiString TKitApplication::LogFileName() const
{
    AnsiString name = logFileName_;
    if (name.empty())
        name = vcl::ChangeFileExt(vcl::ExtractFileName(ProgramFileName()), ".LOG");
    else if (vcl::ExtractFileExt(name).empty())
        name += ".LOG";
    if (logLocation_ == kLogAsGiven)
        return name;
    return LocationFolder(logLocation_) + vcl::ExtractFileName(name);
}

// ---------------------------------------------------------------- start-up

namespace {

void RecordOSFlags()
{
    KitOSFlags = TKitOSFlags{};
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info)))
        return;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        KitOSFlags.win9xMinorAbove9 = info.dwMinorVersion > 9;
        KitOSFlags.win9xME = info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion >= 90);
        BOOL value = FALSE;
        KitOSFlags.spiWorks = SystemParametersInfoA(92, 0, &value, 0) != 0;
    } else if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        const bool server = info.wProductType == 2 || info.wProductType == 3;
        KitOSFlags.winNT = true;
        KitOSFlags.win2000 = info.dwMajorVersion == 5 && info.dwMinorVersion == 0;
        KitOSFlags.winXP = info.dwMajorVersion == 5 && info.dwMinorVersion == 1;
        KitOSFlags.win2000Server = KitOSFlags.win2000 && server;
        KitOSFlags.winXPServer = KitOSFlags.winXP && server;
        KitOSFlags.spiWorks = true;
    }
}

void BindThemes()
{
    KitThemes = TKitThemeBinding{};
    KitThemes.library = LoadLibraryA("UxTheme.dll");
    if (!KitThemes.library)
        return;
    KitThemes.available = true;
    for (std::size_t i = 0; i < kThemeFunctionNames.size(); ++i)
        KitThemes.functions[i] = GetProcAddress(KitThemes.library, kThemeFunctionNames[i]);
    KitThemes.IsThemeActive = GetProcAddress(KitThemes.library, "IsThemeActive");
    KitThemes.IsAppThemed = GetProcAddress(KitThemes.library, "IsAppThemed");
}

}  // namespace

void InitializeKitUnits()
{
    // Forms name the family's components by class when they are read.
    vcl::RegisterClasses({TKitStarter::StaticClass(), TKitTimerPool::StaticClass(), TKitIniCtrl::StaticClass(),
                          TKitXPThemeManager::StaticClass(), TKitContainer::StaticClass(),
                          TKitBitmapList::StaticClass(), TKitStringList::StaticClass(), TKitWaveList::StaticClass(),
                          TKitBitmapListItem::StaticClass(), TKitStringListItem::StaticClass(),
                          TKitWaveListItem::StaticClass(), TKitImageList::StaticClass(),
                          TKitImageListItem::StaticClass()});
    RecordOSFlags();
    KitContainer = new TKitContainer(nullptr);
    KitThemeManager = new TKitXPThemeManager(nullptr);
    KitApplication = new TKitApplication(nullptr);
    BindThemes();
}

void FinalizeKitUnits()
{
    if (KitThemes.library)
        FreeLibrary(KitThemes.library);
    KitThemes = TKitThemeBinding{};
    delete KitApplication;
    KitApplication = nullptr;
    delete KitThemeManager;
    KitThemeManager = nullptr;
    delete KitContainer;
    KitContainer = nullptr;
}

}  // namespace kit
