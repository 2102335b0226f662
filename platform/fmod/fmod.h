#pragma once

// The FSOUND interface the engine and the launcher were written against:
// output set-up, samples, streams, channels and the 3D listener. Everything is
// mixed in software (44.1 kHz, 16-bit stereo) and played through SDL2 audio,
// or through the null output when there is no sound device or the program
// runs headless (VEILSTRAND_BACKEND=headless).
//
// All calls are made from the main thread. Stream end callbacks are queued by
// the mixer and delivered on the calling thread by FSOUND_Update, never from
// the mixing thread.

typedef struct FSOUND_SAMPLE FSOUND_SAMPLE;
typedef struct FSOUND_STREAM FSOUND_STREAM;
typedef struct FSOUND_DSPUNIT FSOUND_DSPUNIT;

// Called with buff == 0 and len == 0 when a stream that does not loop has
// played to its end. The return value is ignored.
typedef signed char (*FSOUND_STREAMCALLBACK)(FSOUND_STREAM* stream, void* buff, int len, void* userdata);

enum FMOD_ERRORS {
    FMOD_ERR_NONE = 0,
    FMOD_ERR_BUSY = 1,
    FMOD_ERR_UNINITIALIZED = 2,
    FMOD_ERR_INIT = 3,
    FMOD_ERR_ALLOCATED = 4,
    FMOD_ERR_PLAY = 5,
    FMOD_ERR_OUTPUT_FORMAT = 6,
    FMOD_ERR_COOPERATIVELEVEL = 7,
    FMOD_ERR_CREATEBUFFER = 8,
    FMOD_ERR_FILE_NOTFOUND = 9,
    FMOD_ERR_FILE_FORMAT = 10,
    FMOD_ERR_FILE_BAD = 11,
    FMOD_ERR_MEMORY = 12,
    FMOD_ERR_VERSION = 13,
    FMOD_ERR_INVALID_PARAM = 14,
    FMOD_ERR_NO_EAX = 15,
    FMOD_ERR_CHANNEL_ALLOC = 16,
    FMOD_ERR_RECORD = 17,
    FMOD_ERR_MEDIAPLAYER = 18,
};

enum FSOUND_OUTPUTTYPES {
    FSOUND_OUTPUT_NOSOUND = 0,
    FSOUND_OUTPUT_WINMM = 1,
    FSOUND_OUTPUT_DSOUND = 2,
};

enum FSOUND_SPEAKERMODES {
    FSOUND_SPEAKERMODE_DOLBYDIGITAL = 0,
    FSOUND_SPEAKERMODE_HEADPHONES = 1,
    FSOUND_SPEAKERMODE_MONO = 2,
    FSOUND_SPEAKERMODE_QUAD = 3,
    FSOUND_SPEAKERMODE_STEREO = 4,
    FSOUND_SPEAKERMODE_SURROUND = 5,
};

// Mode bits of samples and streams.
#define FSOUND_LOOP_OFF 0x00000001
#define FSOUND_LOOP_NORMAL 0x00000002
#define FSOUND_16BITS 0x00000010
#define FSOUND_MONO 0x00000020
#define FSOUND_STEREO 0x00000040
#define FSOUND_SIGNED 0x00000100
#define FSOUND_HW3D 0x00001000
#define FSOUND_2D 0x00002000
#define FSOUND_LOADMEMORY 0x00008000
#define FSOUND_FORCEMONO 0x00040000
#define FSOUND_HW2D 0x00080000
#define FSOUND_NONBLOCKING 0x01000000

#define FSOUND_INIT_GLOBALFOCUS 0x0002

#define FSOUND_FREE -1
#define FSOUND_UNMANAGED -2
#define FSOUND_STEREOPAN -1

// Set-up; these fail with FMOD_ERR_BUSY once FSOUND_Init has succeeded.
signed char FSOUND_SetOutput(int outputtype);
signed char FSOUND_SetBufferSize(int len_ms);
signed char FSOUND_SetMinHardwareChannels(int min);
signed char FSOUND_SetMaxHardwareChannels(int max);
// Mono folds the mix to the centre; every other mode plays stereo.
signed char FSOUND_SetSpeakerMode(unsigned int speakermode);

// maxsoftwarechannels is the number of channels sounds can play on.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
// Stops everything, frees every sample and stream, releases the output.
void FSOUND_Close();
// Delivers queued stream end callbacks; on the null output driven by a clock
// (see null_output.h) it also mixes the time that passed since the last call.
void FSOUND_Update();
int FSOUND_GetError();
// An opaque handle of the output, non-null while initialised.
void* FSOUND_GetOutputHandle();

// Samples are decoded whole at load: PCM WAV (8 or 16 bit) or Ogg Vorbis, mono
// or stereo. With FSOUND_LOADMEMORY name_or_data points at `length` bytes of
// which the file starts at `offset`; otherwise it is a file name, `offset`
// bytes are skipped and `length` 0 means to the end of the file.
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name_or_data, unsigned int mode, int offset, int length);
// Stops every channel that plays the sample, then frees it.
void FSOUND_Sample_Free(FSOUND_SAMPLE* sptr);
// The load mode with the data's real format bits (16 bit, signed, mono or stereo).
unsigned int FSOUND_Sample_GetMode(FSOUND_SAMPLE* sptr);

// Channel handles carry the channel index in the low 12 bits and a count of
// the channel's uses above; a handle whose channel was reused since is
// refused with FMOD_ERR_INVALID_PARAM. A plain index (0..channels-1) always
// names the channel as it is now.
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr);
int FSOUND_PlaySoundEx(int channel, FSOUND_SAMPLE* sptr, FSOUND_DSPUNIT* dsp, signed char startpaused);
signed char FSOUND_StopSound(int channel);
signed char FSOUND_SetPaused(int channel, signed char paused);
// Volume 0..255 (linear gain volume / 255).
signed char FSOUND_SetVolume(int channel, int vol);
signed char FSOUND_SetVolumeAbsolute(int channel, int vol);
int FSOUND_GetVolume(int channel);
// Pan 0 (left) .. 255 (right), 128 centre: the far side fades linearly while
// the near side stays at full gain. FSOUND_STEREOPAN plays both sides fully.
signed char FSOUND_SetPan(int channel, int pan);
// Playback rate in Hz of the channel's data; the mixer resamples.
signed char FSOUND_SetFrequency(int channel, int freq);
signed char FSOUND_IsPlaying(int channel);
// Positions are in sample frames of the channel's data.
unsigned int FSOUND_GetCurrentPosition(int channel);
signed char FSOUND_SetCurrentPosition(int channel, unsigned int offset);
// The sample a channel plays; 0 for a stream or an idle channel.
FSOUND_SAMPLE* FSOUND_GetCurrentSample(int channel);

// 3D channels are those playing a sample loaded with FSOUND_HW3D. Coordinates
// are left-handed (x right, y up, z forward); loudness falls off as
// 1 / distance beyond one unit; panning follows the listener's orientation.
signed char FSOUND_3D_SetAttributes(int channel, const float* pos, const float* vel);
signed char FSOUND_3D_GetAttributes(int channel, float* pos, float* vel);
void FSOUND_3D_Listener_SetAttributes(const float* pos, const float* vel, float fx, float fy, float fz, float tx, float ty, float tz);

// Streams decode while they play. With FSOUND_NONBLOCKING the handle comes
// back at once and the data is opened on a worker thread; until
// FSOUND_Stream_GetOpenState returns 0 the stream cannot play.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name_or_data, unsigned int mode, int offset, int length);
// Stops the stream if it plays; its end callback never runs afterwards.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
int FSOUND_Stream_PlayEx(int channel, FSOUND_STREAM* stream, FSOUND_DSPUNIT* dsp, signed char startpaused);
// Stops the stream and rewinds it to its start.
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);
// 0 open and ready, -1 not a stream, -2 still opening, -3 the open failed.
int FSOUND_Stream_GetOpenState(FSOUND_STREAM* stream);
signed char FSOUND_Stream_SetEndCallback(FSOUND_STREAM* stream, FSOUND_STREAMCALLBACK callback, void* userdata);
// Stream positions are in sample frames of the decoded data.
unsigned int FSOUND_Stream_GetPosition(FSOUND_STREAM* stream);
signed char FSOUND_Stream_SetPosition(FSOUND_STREAM* stream, unsigned int position);
// Playing time in milliseconds.
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
