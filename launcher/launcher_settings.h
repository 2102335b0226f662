#pragma once

// The four hardware settings the engine reads from the registry at its
// start, as the settings panel shows them: item indexes and a check mark.

#include "platform/vcl/sysutils.h"

namespace launcher {

constexpr const char* kRegistryKey = "Software\\Quarrybend\\Veilstrand";

struct HardwareSettings {
    int antialiasingItem = 1;  // value / 2
    int speakerItem = 0;       // the value itself
    int bufferItem = 0;        // value clamped to 2..8, minus 2
    bool noHardwareMixing = false;  // SoundChannelsHW = 0
};

// What the panel shows: the defaults, then each value the key holds. A
// value of another type stops the reading and puts back the defaults of
// the first two controls; what was read into the other two stays.
HardwareSettings ReadHardwareSettings();

// Each writes one value, creating the key when missing; a key that cannot
// be opened drops the change.
void WriteAntialiasing(int item);
void WriteSpeakerMode(int item);
void WriteSoundBuffer(int item);
void WriteNoHardwareMixing(bool checked);

// The install folder from the registry value that `valueName` names, with a
// trailing backslash; empty when the key or the value is missing or empty.
vcl::AnsiString ReadInstallDir(const vcl::AnsiString& valueName);

}  // namespace launcher
