#pragma once

// The state behind the FSOUND calls: one sound system per process, guarded by
// one lock that the mixing thread takes for every block it mixes.

#include "platform/fmod/fmod.h"
#include "platform/fmod/pcm_source.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct FSOUND_SAMPLE {
    std::vector<std::int16_t> frames; // interleaved
    int channels = 1;
    int rate = 44100;
    std::int64_t length = 0;          // in frames
    unsigned int mode = 0;
};

struct FSOUND_STREAM {
    enum class OpenState { Opening, Ready, Failed };

    OpenState openState = OpenState::Opening;
    unsigned int mode = 0;
    std::unique_ptr<vls::fmod::PcmSource> source;
    std::thread opener;                // non-blocking opens; joined before the stream goes

    // Decoded frames [windowFirst, windowFirst + windowFrames) of the source,
    // kept just ahead of the playing position.
    std::vector<std::int16_t> window;
    std::int64_t windowFirst = 0;
    std::int64_t windowFrames = 0;

    int channel = -1;                  // index of the channel playing it
    double resumeAt = 0;               // position while not playing, in frames
    FSOUND_STREAMCALLBACK endCallback = nullptr;
    void* endUserData = nullptr;
    bool isFeed = false;               // fed by the video layer; never ends
};

namespace vls::fmod {

constexpr int kChannelIndexBits = 12;
constexpr int kChannelIndexMask = (1 << kChannelIndexBits) - 1;
constexpr int kMaxChannels = 1 << kChannelIndexBits;
constexpr std::uint32_t kMaxChannelUses = 0x7FFFF; // keeps handles positive

struct Channel {
    std::uint32_t uses = 0;            // bumped each time a sound starts here
    bool active = false;
    bool paused = false;
    FSOUND_SAMPLE* sample = nullptr;
    FSOUND_STREAM* stream = nullptr;
    double position = 0;               // in frames of the data played
    int frequency = 44100;
    int volume = 255;
    int pan = 128;
    bool loop = false;
    bool is3d = false;
    float position3d[3] = {0, 0, 0};
    float velocity3d[3] = {0, 0, 0};
};

struct Listener {
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    float forward[3] = {0, 0, 1};
    float up[3] = {0, 1, 0};
};

struct SoundSystem {
    SoundSystem() = default;
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;
    // Programs may end without FSOUND_Close (the launcher never calls it).
    ~SoundSystem();

    std::mutex lock;

    bool initialised = false;
    int outputType = FSOUND_OUTPUT_DSOUND;
    unsigned int speakerMode = FSOUND_SPEAKERMODE_STEREO;
    int bufferMs = 50;
    int minHardwareChannels = 0;
    int maxHardwareChannels = 0;
    int mixRate = 44100;

    std::vector<Channel> channels;
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples;
    std::vector<std::unique_ptr<FSOUND_STREAM>> streams;
    std::vector<FSOUND_STREAM*> endedStreams; // end callbacks for FSOUND_Update
    Listener listener;

    bool nullOutput = true;
    std::uint32_t sdlDevice = 0;
    // The audio subsystem is held from the first open to the close, also when
    // no device opened: letting it go joins the library's device-watch
    // thread, which sleeps a tenth of a second at a time, so giving up on a
    // device at start-up would hold up the first frame that long.
    bool sdlAudioHeld = false;
    std::uint32_t (*nullClock)() = nullptr; // set by SetNullOutputClock
    bool followSharedClock = false;          // else the kernel's shared clock
    std::uint32_t nullClockLast = 0;
    std::int64_t nullClockRemainder = 0; // frames x 1000 not yet mixed
    std::vector<float> mixBuffer;
    std::vector<std::int16_t> discard; // output of the null output nobody hears
};

SoundSystem& System();
void SetError(int code);
int LastError();

// Lookups that also check the handle; on failure they set the error.
FSOUND_SAMPLE* FindSample(SoundSystem& system, FSOUND_SAMPLE* sample);
FSOUND_STREAM* FindStream(SoundSystem& system, FSOUND_STREAM* stream);
Channel* FindChannel(SoundSystem& system, int handle);

// Picks the channel for a new sound: a free one for FSOUND_FREE, else the
// index asked for (stopping what played there). -1 when there is none.
int ClaimChannel(SoundSystem& system, int requested);
int ChannelHandle(const SoundSystem& system, int index);
void StopChannel(Channel& channel);
// Starts a ready stream on a channel; returns the channel handle or -1.
int StartStream(SoundSystem& system, FSOUND_STREAM& stream, int requested, bool paused);
// Moves a stream to a frame: forgets decoded frames, seeks the source.
bool SeekStream(FSOUND_STREAM& stream, std::int64_t frame);

// The clock the null output follows, or null when only pulls move it.
std::uint32_t (*NullClock(const SoundSystem& system))();
// Mixes on the null output the time its clock says has passed since the last
// call. Called, with the lock held, by FSOUND_Update and before a channel is
// claimed or asked whether it plays, so that a program that never calls
// FSOUND_Update (the launcher) still finds its finished sounds finished.
void FollowNullClock(SoundSystem& system);

// Mixes `frames` frames of 16-bit stereo into `out`, advancing every playing
// channel. Called with the lock held.
void MixOutput(SoundSystem& system, std::int16_t* out, int frames);

// Both are called without the lock: the device's thread takes it to mix, and
// closing waits for that thread.
bool OpenSdlOutput(SoundSystem& system);
void CloseSdlOutput(SoundSystem& system);

} // namespace vls::fmod
