#include "launcher/components/kit_wave.h"

#include <cstring>

#include "platform/vcl/filer.h"
#include "platform/win32/winmm/mmsystem.h"

namespace kit {

VCL_IMPLEMENT_CLASS(TKitWave, TKitObject, [](auto& b) { b.Persistent(); })

namespace {

std::uint32_t U32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24); }
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

[[noreturn]] void CheckFailed()
{
    throw EErrorCheckingWave(AnsiString("GetWaveData: ") + vcl::consts::SFOpenError);
}

}  // namespace

void TKitWave::SetData(std::vector<std::uint8_t> data)
{
    // RIFF header (12 bytes), then chunks; "fmt " must be among them.
    if (data.size() < 12)
        CheckFailed();
    if (std::memcmp(data.data(), "RIFF", 4) != 0 || std::memcmp(data.data() + 8, "WAVE", 4) != 0)
        throw EInvalidWave(kInvalidWave);
    std::size_t at = 12;
    while (true) {
        if (at + 8 > data.size())
            CheckFailed();
        const std::uint32_t size = U32(&data[at + 4]);
        if (std::memcmp(&data[at], "fmt ", 4) == 0) {
            if (size < 16 || at + 8 + 16 > data.size())
                CheckFailed();
            const std::uint8_t* fmt = &data[at + 8];
            const int channels = U16(fmt + 2);
            pcm_ = U16(fmt) == 1;
            channels_ = channels == 1 || channels == 2 ? channels : 0;
            sampleRate_ = U32(fmt + 4);
            break;
        }
        if (size > data.size() - at - 8)
            CheckFailed();
        at += 8 + size + (size & 1);
    }
    StopPlaying();
    data_ = std::move(data);
    Changed();
}

void TKitWave::StopPlaying()
{
    // A sound played from this memory must not outlive it.
    sndPlaySoundA(nullptr, 0);
}

TKitWave::~TKitWave() { StopPlaying(); }

void TKitWave::LoadFromStream(vcl::TStream* stream)
{
    const std::int64_t n = stream->Size() - stream->Position();
    std::vector<std::uint8_t> data(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)));
    stream->ReadBuffer(data.data(), static_cast<std::int32_t>(data.size()));
    SetData(std::move(data));
}

void TKitWave::SaveToStream(vcl::TStream* stream) const
{
    stream->WriteBuffer(data_.data(), static_cast<std::int32_t>(data_.size()));
}

void TKitWave::Clear()
{
    StopPlaying();
    data_.clear();
    pcm_ = false;
    channels_ = 0;
    sampleRate_ = 0;
    Changed();
}

void TKitWave::Assign(vcl::TPersistent* source)
{
    if (source && source->Is<TKitWave>()) {
        const auto* wave = static_cast<TKitWave*>(source);
        StopPlaying();
        data_ = wave->data_;
        pcm_ = wave->pcm_;
        channels_ = wave->channels_;
        sampleRate_ = wave->sampleRate_;
        Changed();
        return;
    }
    inherited::Assign(source);
}

void TKitWave::DefineProperties(vcl::TFiler* filer)
{
    // The binary value carries its own length before the bytes.
    filer->DefineBinaryProperty(
        "Data",
        [this](vcl::TStream* s) {
            if (s->Size() - s->Position() == 0)
                Clear();
            else
                LoadFromStream(s);
        },
        [this](vcl::TStream* s) { SaveToStream(s); }, !data_.empty());
}

}  // namespace kit
