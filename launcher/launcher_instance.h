#pragma once

// The launcher refuses to start while another launcher or the engine runs.

#include "platform/win32/wintypes.h"

namespace launcher {

constexpr const char* kApplicationTitle = "Veilstrand";
constexpr const char* kEngineWindowClass = "Quib-Velt";

// Held for the launcher's lifetime. Two launchers started together would
// both look for windows before either had one, so the first also takes a
// named mutex, and a launcher that finds it taken counts as the second.
class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another launcher holds the mutex, or a window of class
    // "TApplication" or "Quib-Velt" titled "Veilstrand" exists.
    bool OtherRunning() const { return otherRunning_; }

private:
    HANDLE mutex_ = nullptr;
    bool otherRunning_ = false;
};

}  // namespace launcher
