#pragma once

// The family's application-wide object with its mutex, its timer pool and
// its log-file name, and the start-up of the component units: operating
// system flags, the global container, theme manager and application object,
// and the binding of the visual-styles library.

#include <array>

#include "launcher/components/kit_base.h"
#include "launcher/components/kit_ini_ctrl.h"
#include "launcher/components/kit_timer_pool.h"

namespace kit {

class TKitContainer;

// First identifier handed out by TKitApplication::AddTimer, and how many.
inline constexpr WORD kFirstTimerIdent = 0xFD00;
inline constexpr int kTimerSlots = 250;
// Sent to every control of every visible form when the theme changed.
inline constexpr UINT kThemeChangedBroadcast = 45270;
// Log-file locations: Windows folder, system folder, program folder, as given.
inline constexpr int kLogInWindowsFolder = 0;
inline constexpr int kLogInSystemFolder = 1;
inline constexpr int kLogInProgramFolder = 2;
inline constexpr int kLogAsGiven = 3;

class TKitApplication : public vcl::TComponent {
    VCL_DECLARE_CLASS(TKitApplication, vcl::TComponent)
public:
    explicit TKitApplication(vcl::TComponent* owner);
    ~TKitApplication() override;

    // A 16-bit identifier, 0 when every slot is taken.
    WORD AddTimer(int interval, TKitTimerCallback callback, vcl::TObject* user);
    TKitTimerItem* GetTimer(WORD ident) const;
    void RemoveTimer(WORD ident);
    TKitTimerPool* TimerPool() const { return timerPool_; }

    bool Themed() const { return themed_; }
    void SetThemed(bool value);
    // Themes available and active.
    void RefreshThemed();
    void BroadcastThemeChange();

    AnsiString LogFileName() const;
    void SetLogFileName(const AnsiString& name) { logFileName_ = name; }
    int LogLocation() const { return logLocation_; }
    void SetLogLocation(int location) { logLocation_ = location; }

    HANDLE Mutex() const { return mutex_; }
    bool PrevInstance() const { return prevInstance_; }
    TKitIniCtrl* IniCtrl() const { return iniCtrl_; }
    const AnsiString& Stored() const { return stored_; }
    std::int64_t PerformanceFrequency() const { return performanceFrequency_; }
    SIZE CheckBoxSize() const { return checkBoxSize_; }

private:
    TKitIniCtrl* iniCtrl_;
    AnsiString stored_ = "#tdl";
    HANDLE mutex_ = nullptr;
    bool prevInstance_ = false;
    TKitTimerPool* timerPool_;
    AnsiString logFileName_;
    int logLocation_ = kLogInProgramFolder;
    std::int64_t performanceFrequency_ = 0;
    SIZE checkBoxSize_{};
    bool themed_ = true;
    std::array<bool, kTimerSlots> slots_{};
};

// Flags of the operating system, recorded at start-up.
struct TKitOSFlags {
    bool win9xMinorAbove9 = false;
    bool win9xME = false;              // 4.90 or later
    bool spiWorks = false;             // SystemParametersInfoA(92); true on NT
    bool winNT = false;
    bool win2000 = false;
    bool winXP = false;
    bool win2000Server = false;        // with product type 2 or 3
    bool winXPServer = false;
};

// The visual-styles library and its functions, bound by name.
struct TKitThemeBinding {
    HMODULE library = nullptr;
    bool available = false;
    FARPROC IsThemeActive = nullptr;
    FARPROC IsAppThemed = nullptr;
    // Every function that was asked for, with what GetProcAddress gave.
    std::array<FARPROC, 31> functions{};
};

extern TKitOSFlags KitOSFlags;
extern TKitThemeBinding KitThemes;
extern TKitContainer* KitContainer;
extern TKitXPThemeManager* KitThemeManager;
extern TKitApplication* KitApplication;
// The names bound, in the order taken.
extern const std::array<const char*, 31> kThemeFunctionNames;

// The units' initialisation and finalisation, in their order; the program
// runs the first before its main block and the second at its end.
void InitializeKitUnits();
void FinalizeKitUnits();

}  // namespace kit
