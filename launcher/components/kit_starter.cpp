#include "launcher/components/kit_starter.h"

#include "launcher/components/kit_application.h"
#include "platform/vcl/forms.h"
#include "launcher/components/kit_kernel_calls.h"
#include "platform/win32/kernel/process.h"
#include "platform/win32/shell/shellapi.h"

namespace kit {

namespace {
const vcl::TEnumInfo kOperationInfo{"TKitStarterOperation", {"smOpen", "smPrint", "smExplore", "smEdit", "smProperties"}};
const vcl::TEnumInfo kOptionsInfo{
    "TKitStarterOptions",
    {"soSW_HIDE", "soSW_MAXIMIZE", "soSW_MINIMIZE", "soSW_RESTORE", "soSW_SHOW", "soSW_SHOWMAXIMIZED",
     "soSW_SHOWMINIMIZED", "soSW_SHOWMINNOACTIVE", "soSW_SHOWNA", "soSW_SHOWNORMAL"}};
constexpr DWORD kShellExecuteInfoSize = 60;  // the record's size in the 32-bit original
constexpr DWORD kInfinite = 0xFFFFFFFFu;

bool IsShellError(INT_PTR code) { return code == 2 || code == 3 || code == 5 || code == 8 || (code >= 26 && code <= 32); }
}  // namespace

VCL_IMPLEMENT_CLASS(TKitStarter, TKitCustomComponent, [](auto& b) {
    using C = TKitStarter;
    b.Component();
    b.Str("About", &C::About, &C::SetAbout).stored = [](const vcl::TObject*) { return false; };
    b.Enum("StartOperation", &kOperationInfo, &C::StartOperation, &C::SetStartOperation, std::optional(smOpen));
    b.Enum("StartOption", &kOptionsInfo, &C::StartOption, &C::SetStartOption, std::optional(soSW_SHOW));
    b.Str("Command", &C::Command, &C::SetCommand);
    b.Str("Parameters", &C::Parameters, &C::SetParameters);
    b.Str("DefaultDir", &C::DefaultDir, &C::SetDefaultDir);
    b.Bool("AutoStart", &C::AutoStart, &C::SetAutoStart, false);
    b.Object("StartTime", &C::StartTime);
    b.Bool("Wait", &C::Wait, &C::SetWait, false);
    b.Event("OnBeforeStart", &C::OnBeforeStart);
    b.Event("OnAfterStart", &C::OnAfterStart);
    b.Event("OnError", &C::OnError);
    b.Event("OnFinished", &C::OnFinished);
})

const char* StarterVerb(TKitStarterOperation operation)
{
    static constexpr const char* kVerbs[] = {"open", "print", "explore", "edit", "properties"};
    return kVerbs[operation];
}

int StarterShowCommand(TKitStarterOptions option)
{
    static constexpr int kShow[] = {0, 3, 6, 9, 5, 3, 2, 7, 8, 1};
    return kShow[option];
}

TKitStarter::TKitStarter(vcl::TComponent* owner) : TKitCustomComponent(owner), startTime_(new TKitDateTime())
{
    if (KitApplication)
        startTimer_ = KitApplication->AddTimer(kStartTimeInterval, [this](vcl::TObject*) { CheckStartTime(); }, this);
    if (startTimer_ == 0) {
        delete startTime_;
        throw vcl::EOutOfResources(vcl::consts::SOutOfResources);
    }
    KitApplication->GetTimer(startTimer_)->SetEnabled(false);
}

TKitStarter::~TKitStarter()
{
    if (KitApplication) {
        for (const WORD ident : {startTimer_, finishedTimer_}) {
            if (ident == 0)
                continue;
            if (TKitTimerItem* item = KitApplication->GetTimer(ident))
                item->SetEnabled(false);
            KitApplication->RemoveTimer(ident);
        }
    }
    if (process_)
        CloseHandle(process_);
    delete startTime_;
}

void TKitStarter::SetText(AnsiString& field, const AnsiString& value)
{
    if (field != value)
        field = value;
}

void TKitStarter::SetAutoStart(bool value)
{
    autoStart_ = value;
    if (!KitApplication)
        return;
    if (TKitTimerItem* item = KitApplication->GetTimer(startTimer_)) {
        item->SetInterval(kStartTimeInterval);
        item->SetEnabled(value);
    }
}

void TKitStarter::CheckStartTime()
{
    if (ComponentState().Contains(vcl::csDesigning))
        return;
    TKitDateTime now;
    now.SetValue(Now());
    if (now.Year() == startTime_->Year() && now.Month() == startTime_->Month() && now.Day() == startTime_->Day() &&
        now.Hour() == startTime_->Hour() && now.Minute() == startTime_->Minute() &&
        now.Second() == startTime_->Second())
        Execute();
}

void TKitStarter::Execute()
{
    if (process_) {
        CloseHandle(process_);
        process_ = nullptr;
    }
    OnBeforeStart(this);

    SHELLEXECUTEINFOA info{};
    info.cbSize = kShellExecuteInfoSize;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = vcl::Application && vcl::Application->MainForm() ? vcl::Application->MainForm()->Handle() : nullptr;
    info.lpVerb = StarterVerb(operation_);
    info.nShow = StarterShowCommand(option_);
    AnsiString file = command_;
    if (operation_ == smExplore) {
        file = vcl::IncludeTrailingBackslash(vcl::ExtractFilePath(command_));
        info.lpFile = file.c_str();
        info.lpParameters = "";
        info.lpDirectory = "";
    } else {
        info.lpFile = file.c_str();
        info.lpParameters = parameters_.c_str();
        info.lpDirectory = defaultDir_.c_str();
    }
    ShellExecuteExA(&info);
    process_ = info.hProcess;

    const auto result = reinterpret_cast<INT_PTR>(info.hInstApp);
    if (IsShellError(result)) {
        lastError_ = static_cast<int>(result);
        OnError(this);
    } else {
        if (OnFinished && KitApplication && finishedTimer_ == 0)
            finishedTimer_ =
                KitApplication->AddTimer(kFinishedWatchInterval, [this](vcl::TObject*) { CheckFinished(); }, this);
        if (wait_ && process_)
            WaitForSingleObject(process_, kInfinite);
    }
    OnAfterStart(this);
}

void TKitStarter::CheckFinished()
{
    DWORD code = 0;
    if (process_ && GetExitCodeProcess(process_, &code) && code == STILL_ACTIVE)
        return;
    if (process_) {
        CloseHandle(process_);
        process_ = nullptr;
    }
    const WORD ident = finishedTimer_;
    finishedTimer_ = 0;
    KitApplication->RemoveTimer(ident);
    OnFinished(this);
}

}  // namespace kit
