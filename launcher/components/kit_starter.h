#pragma once

// A non-visual component that starts a document or program through the
// shell, now or when the clock reaches a set time, and can wait for it or
// report when it has finished.

#include "launcher/components/kit_base.h"
#include "launcher/components/kit_date_time.h"

namespace kit {

enum TKitStarterOperation { smOpen, smPrint, smExplore, smEdit, smProperties };
enum TKitStarterOptions {
    soSW_HIDE, soSW_MAXIMIZE, soSW_MINIMIZE, soSW_RESTORE, soSW_SHOW, soSW_SHOWMAXIMIZED, soSW_SHOWMINIMIZED,
    soSW_SHOWMINNOACTIVE, soSW_SHOWNA, soSW_SHOWNORMAL
};

inline constexpr int kStartTimeInterval = 1000;
inline constexpr int kFinishedWatchInterval = 500;

const char* StarterVerb(TKitStarterOperation operation);
int StarterShowCommand(TKitStarterOptions option);

class TKitStarter : public TKitCustomComponent {
    VCL_DECLARE_CLASS(TKitStarter, TKitCustomComponent)
public:
    explicit TKitStarter(vcl::TComponent* owner);
    ~TKitStarter() override;

    TKitStarterOperation StartOperation() const { return operation_; }
    void SetStartOperation(TKitStarterOperation value) { operation_ = value; }
    TKitStarterOptions StartOption() const { return option_; }
    void SetStartOption(TKitStarterOptions value) { option_ = value; }
    AnsiString Command() const { return command_; }
    void SetCommand(const AnsiString& value) { SetText(command_, value); }
    AnsiString Parameters() const { return parameters_; }
    void SetParameters(const AnsiString& value) { SetText(parameters_, value); }
    AnsiString DefaultDir() const { return defaultDir_; }
    void SetDefaultDir(const AnsiString& value) { SetText(defaultDir_, value); }
    bool AutoStart() const { return autoStart_; }
    void SetAutoStart(bool value);
    TKitDateTime* StartTime() const { return startTime_; }
    void SetStartTime(TKitDateTime* value) { startTime_->Assign(value); }
    bool Wait() const { return wait_; }
    void SetWait(bool value) { wait_ = value; }

    // Starts now.
    void Execute();
    // The start-time check the one-second timer runs.
    void CheckStartTime();

    WORD StartTimer() const { return startTimer_; }
    WORD FinishedTimer() const { return finishedTimer_; }
    HANDLE Process() const { return process_; }
    int LastError() const { return lastError_; }

    vcl::TNotifyEvent OnBeforeStart;
    vcl::TNotifyEvent OnAfterStart;
    vcl::TNotifyEvent OnError;
    vcl::TNotifyEvent OnFinished;

private:
    void SetText(AnsiString& field, const AnsiString& value);
    void CheckFinished();

    TKitStarterOperation operation_ = smOpen;
    TKitStarterOptions option_ = soSW_SHOW;
    AnsiString command_;
    AnsiString parameters_;
    AnsiString defaultDir_;
    bool autoStart_ = false;
    TKitDateTime* startTime_;
    bool wait_ = false;
    HANDLE process_ = nullptr;
    int lastError_ = 0;
    WORD startTimer_ = 0;
    WORD finishedTimer_ = 0;
};

}  // namespace kit
