#pragma once

#include "platform/fmod/fmod.h"

#include <string>

// The launcher's music loop and its click and hover sounds. The form owns one
// and calls it from its handlers: Setup from FormCreate, PlayClickSound at the
// start of every action, PlayHoverSound from btnStartEnter, Release from
// FormDestroy. All three sounds are optional files beside the program.
class LauncherSound {
public:
    // FSOUND_Init(44100, 5, 2); then "launcher.mus" streamed and played (looping),
    // "launcher.sn1" and "launcher.sn2" loaded, each only when its file exists
    // in `launcherDir` (which ends with a backslash). FMOD's answers are not
    // examined; SoundReady is true afterwards whatever happened.
    void Setup(const std::string& launcherDir);

    // On any free channel, when SoundReady and the click sound was loaded.
    void PlayClickSound() const;
    // On any free channel, when the hover sound was loaded.
    void PlayHoverSound() const;

    // When SoundReady: stops and closes the music, even when there is none.
    void Release();

    FSOUND_STREAM* MusicStream = nullptr;
    FSOUND_SAMPLE* ClickSound = nullptr;
    FSOUND_SAMPLE* HoverSound = nullptr;
    bool SoundReady = false;
};
