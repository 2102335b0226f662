#pragma once

// One RIFF WAVE file held in memory.

#include <cstdint>
#include <vector>

#include "launcher/components/kit_base.h"
#include "platform/vcl/streams.h"

namespace kit {

class EInvalidWave : public vcl::Exception {
public:
    using Exception::Exception;
};
class EErrorCheckingWave : public vcl::Exception {
public:
    using Exception::Exception;
};
inline constexpr const char* kInvalidWave = "Ungültige Wave-Daten";

class TKitWave : public TKitObject {
    VCL_DECLARE_CLASS(TKitWave, TKitObject)
public:
    TKitWave() = default;
    ~TKitWave() override;

    // EInvalidWave for data that is no PCM-or-other RIFF WAVE file, and
    // EErrorCheckingWave when the data ends before its headers; the held
    // wave stays as it was either way.
    void SetData(std::vector<std::uint8_t> data);
    void LoadFromStream(vcl::TStream* stream);
    void SaveToStream(vcl::TStream* stream) const;
    void Clear();
    void Assign(vcl::TPersistent* source) override;
    void DefineProperties(vcl::TFiler* filer) override;

    const std::vector<std::uint8_t>& Data() const { return data_; }
    bool Empty() const { return data_.empty(); }
    bool IsPCM() const { return pcm_; }
    int Channels() const { return channels_; }  // 1 or 2, else 0
    std::uint32_t SampleRate() const { return sampleRate_; }

private:
    // Replacing or freeing the data first ends any sound playing.
    static void StopPlaying();
    std::vector<std::uint8_t> data_;
    bool pcm_ = false;
    int channels_ = 0;
    std::uint32_t sampleRate_ = 0;
};

}  // namespace kit
