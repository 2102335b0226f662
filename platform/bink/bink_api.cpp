#include "platform/bink/bink.h"

#include "platform/bink/bink_player.h"
#include "platform/fmod/fmod.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/handles.h"
#include "platform/win32/winmm/mmsystem.h"

#include <algorithm>
#include <string>

namespace {

std::string g_error;
U32 g_frameRate = 0;
U32 g_frameRateDiv = 1;

constexpr U32 kFallbackRate = 30;
// How far past the end of the sound fed a frame may lie and still be the one the sound waits for.
constexpr double kSoundLeadSeconds = 0.1;

void Anchor(HBINK bink)
{
    bink->player->anchorMs = timeGetTime();
    bink->player->anchorFrame = bink->FrameNum;
}

HBINK OpenFrom(std::unique_ptr<vls::bink::StreamBytes> bytes, U32 flags)
{
    auto player = std::make_unique<BinkPlayer>();
    std::string error;
    if (!player->open(std::move(bytes), (flags & BINKALPHA) != 0, error)) {
        g_error = error;
        return nullptr;
    }
    g_error = error; // a stream cut short opens with what it holds, and says so
    auto handle = std::make_unique<BINK>();
    BINK& bink = *handle;
    bink.Width = static_cast<U32>(player->width());
    bink.Height = static_cast<U32>(player->height());
    bink.Frames = static_cast<U32>(player->frameCount());
    bink.FrameNum = 1;
    bink.LastFrameNum = 0;
    if ((flags & BINKFRAMERATE) && g_frameRate > 0) {
        bink.FrameRate = g_frameRate;
        bink.FrameRateDiv = std::max<U32>(g_frameRateDiv, 1);
    } else if (player->rateNumerator() > 0) {
        bink.FrameRate = static_cast<U32>(player->rateNumerator());
        bink.FrameRateDiv = static_cast<U32>(player->rateDenominator());
    } else {
        bink.FrameRate = kFallbackRate;
        bink.FrameRateDiv = 1;
    }
    bink.HasAlpha = player->hasAlpha() && (flags & BINKALPHA) ? 1 : 0;
    bink.NumTracks = player->hasSound() ? 1 : 0;
    bink.player = player.release();
    Anchor(handle.get());
    return handle.release();
}

} // namespace

S32 BinkOpenDirectSound(void* param)
{
    return param && param == FSOUND_GetOutputHandle() ? 1 : 0;
}

S32 BinkSetSoundSystem(BINKSNDSYSOPEN open, void* param)
{
    const bool ready = open && open(param) != 0;
    vls::bink::SetSoundSystemReady(ready);
    return ready ? 1 : 0;
}

void BinkSetFrameRate(U32 rate, U32 rateDiv)
{
    g_frameRate = rate;
    g_frameRateDiv = rateDiv;
}

namespace {

HBINK OpenWindow(HANDLE file, std::int64_t length, bool preload, U32 flags)
{
    std::string error;
    auto bytes = vls::bink::StreamBytes::FromHandle(file, length, error);
    // The stream's own length bounds it before anything is read whole.
    if (bytes && !bytes->fitToDeclaredLength(error))
        bytes.reset();
    if (bytes && preload && !bytes->preload(error))
        bytes.reset();
    if (!bytes) {
        g_error = error;
        return nullptr;
    }
    return OpenFrom(std::move(bytes), flags);
}

} // namespace

HBINK BinkOpen(const char* name, U32 flags)
{
    if (flags & BINKFILEHANDLE)
        return vls::bink::BinkOpenHandle(const_cast<char*>(name), -1, flags);
    const HANDLE opened = name ? CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                               : INVALID_HANDLE_VALUE;
    if (opened == INVALID_HANDLE_VALUE) {
        g_error = "The file cannot be opened.";
        return nullptr;
    }
    // A stream opened by name is always read whole: the handle is ours and
    // is closed here.
    const HBINK bink = OpenWindow(opened, -1, true, flags);
    CloseHandle(opened);
    return bink;
}

HBINK vls::bink::BinkOpenHandle(HANDLE file, std::int64_t length, U32 flags)
{
    return OpenWindow(file, length, (flags & BINKPRELOADALL) != 0, flags);
}

HBINK vls::bink::BinkOpenMemory(const void* data, std::size_t size, U32 flags)
{
    if (!data && size > 0) {
        g_error = "No stream was given.";
        return nullptr;
    }
    return OpenFrom(StreamBytes::FromMemory(data, size), flags);
}

void BinkClose(HBINK bink)
{
    if (!bink)
        return;
    delete bink->player;
    delete bink;
}

const char* BinkGetError()
{
    return g_error.c_str();
}

S32 BinkWait(HBINK bink)
{
    if (!bink || bink->Paused)
        return 1;
    const BinkPlayer& player = *bink->player;
    if (bink->FrameRate == 0)
        return 0; // the fields are the caller's to change; no rate, no waiting
    // With sound playing on a real output, pictures follow the sound: its
    // clock is the one the viewer hears, and a timer would drift from it.
    // Sound arrives with the frames demuxed, so a feed that ran dry waits for
    // the next frame; once the frames are well past the sound (the track has
    // ended) the clock paces them again.
    double playing = 0.0;
    bool dry = false;
    if (player.sound.playingSeconds(playing, dry)) {
        const double due = (double(bink->FrameNum) - 1.0) * bink->FrameRateDiv / bink->FrameRate;
        if (!dry)
            return playing < due ? 1 : 0;
        if (due <= playing + kSoundLeadSeconds)
            return 0;
    }
    const double frames = double(bink->FrameNum) - double(player.anchorFrame);
    const double dueMs = frames * 1000.0 * bink->FrameRateDiv / bink->FrameRate;
    // Unsigned difference, so the wrap of the millisecond clock is harmless.
    const std::int64_t elapsed = static_cast<std::int32_t>(timeGetTime() - player.anchorMs);
    return double(elapsed) < dueMs ? 1 : 0;
}

S32 BinkService(HBINK bink)
{
    // Sound is fed as the demuxer reaches it while frames are decoded, and
    // the feed holds seconds of it; nothing is left to do between frames.
    return bink ? 1 : 0;
}

S32 BinkDoFrame(HBINK bink)
{
    if (!bink)
        return 0;
    std::string error;
    const bool decoded = bink->player->decode(static_cast<int>(bink->FrameNum) - 1, error);
    bink->LastFrameNum = bink->FrameNum;
    if (!decoded)
        g_error = error;
    return 0;
}

S32 BinkCopyToBuffer(HBINK bink, void* dest, S32 destPitch, U32 destHeight, U32 destX, U32 destY, U32 flags)
{
    if (!bink || !dest || destPitch <= 0 || (flags & 0xF) != BINKSURFACE32)
        return 1;
    const std::int64_t pitch = destPitch;
    const std::int64_t columns = pitch / 4 - destX;
    const std::int64_t rows = std::int64_t(destHeight) - destY;
    if (columns <= 0 || rows <= 0)
        return 0;
    auto* first = static_cast<std::uint8_t*>(dest) + pitch * destY + std::int64_t(destX) * 4;
    return bink->player->copy(first, pitch, static_cast<int>(std::min<std::int64_t>(rows, bink->Height)),
               static_cast<int>(std::min<std::int64_t>(columns, bink->Width)))
        ? 0
        : 1;
}

void BinkNextFrame(HBINK bink)
{
    if (!bink)
        return;
    bink->FrameNum = bink->FrameNum >= bink->Frames ? 1 : bink->FrameNum + 1;
    if (bink->FrameNum == 1)
        Anchor(bink);
}

void BinkGoto(HBINK bink, U32 frame, S32 /*flags*/)
{
    if (!bink)
        return;
    bink->FrameNum = std::clamp<U32>(frame, 1, bink->Frames);
    // The decoder seeks when BinkDoFrame asks for a frame it is not at; the
    // sound queued so far belongs to before the jump.
    if (bink->player->sound.isOn())
        bink->player->sound.setOn(true);
    Anchor(bink);
}

S32 BinkPause(HBINK bink, S32 pause)
{
    if (!bink)
        return 0;
    const U32 paused = pause ? 1 : 0;
    if (bink->Paused && !paused)
        Anchor(bink);
    bink->Paused = paused;
    bink->player->sound.setPaused(paused != 0);
    return static_cast<S32>(paused);
}

void BinkSetVolume(HBINK bink, U32 /*trackId*/, S32 volume)
{
    if (bink)
        bink->player->sound.setVolume(volume);
}

S32 BinkSetSoundOnOff(HBINK bink, S32 onOff)
{
    if (!bink || !bink->NumTracks)
        return 0;
    bink->player->sound.setOn(onOff != 0);
    return onOff ? 1 : 0;
}
