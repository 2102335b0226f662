#include "launcher/launcher_sound.h"

#include "platform/win32/kernel/files.h"

namespace {

constexpr int kMixRate = 44100;
constexpr int kSoftwareChannels = 5;
constexpr unsigned int kMusicMode = FSOUND_LOOP_NORMAL | FSOUND_2D;
constexpr unsigned int kEffectMode = FSOUND_16BITS | FSOUND_MONO | FSOUND_SIGNED | FSOUND_2D;

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void LauncherSound::Setup(const std::string& launcherDir)
{
    // The form counts the sound step as done however it went: the sounds are a nicety.
    struct MarkReady {
        bool& ready;
        ~MarkReady() { ready = true; }
    } markReady{SoundReady};

    FSOUND_Init(kMixRate, kSoftwareChannels, FSOUND_INIT_GLOBALFOCUS);

    MusicStream = nullptr;
    const std::string music = launcherDir + "launcher.mus";
    if (FileExists(music)) {
        MusicStream = FSOUND_Stream_Open(music.c_str(), kMusicMode, 0, 0);
        FSOUND_Stream_Play(FSOUND_FREE, MusicStream);
    }

    ClickSound = nullptr;
    const std::string click = launcherDir + "launcher.sn1";
    if (FileExists(click))
        ClickSound = FSOUND_Sample_Load(FSOUND_FREE, click.c_str(), kEffectMode, 0, 0);

    HoverSound = nullptr;
    const std::string hover = launcherDir + "launcher.sn2";
    if (FileExists(hover))
        HoverSound = FSOUND_Sample_Load(FSOUND_FREE, hover.c_str(), kEffectMode, 0, 0);
}

void LauncherSound::PlayClickSound() const
{
    if (SoundReady && ClickSound)
        FSOUND_PlaySound(FSOUND_FREE, ClickSound);
}

void LauncherSound::PlayHoverSound() const
{
    if (HoverSound)
        FSOUND_PlaySound(FSOUND_FREE, HoverSound);
}

void LauncherSound::Release()
{
    if (!SoundReady)
        return;
    FSOUND_Stream_Stop(MusicStream);
    FSOUND_Stream_Close(MusicStream);
    MusicStream = nullptr;
}
