#include "launcher/launcher_settings.h"

#include <algorithm>

#include "platform/vcl/registry.h"

namespace launcher {

HardwareSettings ReadHardwareSettings()
{
    HardwareSettings s;
    vcl::TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CURRENT_USER);
    try {
        if (registry.OpenKey(kRegistryKey, false)) {
            if (registry.ValueExists("Antialiasing"))
                s.antialiasingItem = registry.ReadInteger("Antialiasing") / 2;
            if (registry.ValueExists("Speakermode"))
                s.speakerItem = registry.ReadInteger("Speakermode");
            if (registry.ValueExists("SoundBuffer"))
                s.bufferItem = std::clamp(registry.ReadInteger("SoundBuffer"), 2, 8) - 2;
            if (registry.ValueExists("SoundChannelsHW"))
                s.noHardwareMixing = registry.ReadInteger("SoundChannelsHW") == 0;
            registry.CloseKey();
        }
    } catch (const vcl::Exception&) {
        s.antialiasingItem = 1;
        s.speakerItem = 0;
    }
    return s;
}

namespace {

void WriteValue(const char* name, int value)
{
    vcl::TRegistry registry(KEY_ALL_ACCESS);
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKey(kRegistryKey, true)) {
        registry.WriteInteger(name, value);
        registry.CloseKey();
    }
}

}  // namespace

void WriteAntialiasing(int item) { WriteValue("Antialiasing", item * 2); }
void WriteSpeakerMode(int item) { WriteValue("Speakermode", item); }
void WriteSoundBuffer(int item) { WriteValue("SoundBuffer", item + 2); }
void WriteNoHardwareMixing(bool checked) { WriteValue("SoundChannelsHW", checked ? 0 : 255); }

vcl::AnsiString ReadInstallDir(const vcl::AnsiString& valueName)
{
    vcl::TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CURRENT_USER);
    vcl::AnsiString folder;
    try {
        if (registry.OpenKeyReadOnly(kRegistryKey)) {
            if (registry.ValueExists(valueName))
                folder = registry.ReadString(valueName);
            registry.CloseKey();
        }
    } catch (const vcl::Exception&) {
        folder.clear();
    }
    // An empty value names no folder; "\" would be the root of the drive.
    return folder.empty() ? folder : folder + "\\";
}

}  // namespace launcher
