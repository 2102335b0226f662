#include "platform/fmod/pcm_source.h"

#include "platform/fmod/fmod.h"
#include "platform/fmod/ogg_check.h"
#include "platform/fmod/wav_reader.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace vls::fmod {

namespace {

class WavSource final : public PcmSource {
public:
    WavSource(std::vector<std::uint8_t> bytes, const WavData& wav)
        : PcmSource(wav.channels, wav.rate), bytes_(std::move(bytes)), wav_(wav)
    {
    }

    int read(std::int16_t* out, int frames) override
    {
        const std::int64_t left = wav_.frames - next_;
        const int count = static_cast<int>(std::min<std::int64_t>(frames, left));
        const int samples = count * channels();
        const std::size_t first = static_cast<std::size_t>(next_) * channels() * (wav_.bits / 8);
        if (wav_.bits == 8) {
            for (int i = 0; i < samples; ++i)
                out[i] = static_cast<std::int16_t>((wav_.pcm[first + i] - 128) << 8);
        } else {
            for (int i = 0; i < samples; ++i) {
                const std::size_t at = first + 2 * static_cast<std::size_t>(i);
                out[i] = static_cast<std::int16_t>(wav_.pcm[at] | (wav_.pcm[at + 1] << 8));
            }
        }
        next_ += count;
        if (count < frames)
            ended_ = true;
        return count;
    }

    bool seek(std::int64_t frame) override
    {
        if (frame < 0 || frame > wav_.frames)
            return false;
        next_ = frame;
        ended_ = false;
        return true;
    }

    bool ended() const override { return ended_; }

private:
    std::vector<std::uint8_t> bytes_;
    WavData wav_; // its span points into bytes_, whose buffer moving the vector keeps
    std::int64_t next_ = 0;
    bool ended_ = false;
};

// libvorbisfile reads through these callbacks from the bytes we hold.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

size_t MemoryRead(void* ptr, size_t size, size_t count, void* source)
{
    auto* file = static_cast<MemoryFile*>(source);
    if (size == 0)
        return 0;
    const std::size_t left = file->bytes.size() - file->position;
    const std::size_t items = std::min(count, left / size);
    std::memcpy(ptr, file->bytes.data() + file->position, items * size);
    file->position += items * size;
    return items;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<ogg_int64_t>(file->position);
    else if (whence == SEEK_END)
        base = static_cast<ogg_int64_t>(file->bytes.size());
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(file->bytes.size()))
        return -1;
    file->position = static_cast<std::size_t>(target);
    return 0;
}

long MemoryTell(void* source)
{
    return static_cast<long>(static_cast<MemoryFile*>(source)->position);
}

class VorbisSource final : public PcmSource {
public:
    VorbisSource(std::unique_ptr<MemoryFile> file, OggVorbis_File* vf, int channels, int rate)
        : PcmSource(channels, rate), file_(std::move(file)), vf_(vf)
    {
    }

    ~VorbisSource() override
    {
        ov_clear(vf_);
        delete vf_;
    }

    int read(std::int16_t* out, int frames) override
    {
        int done = 0;
        const int frameBytes = 2 * channels();
        while (done < frames && !ended_) {
            int link = 0;
            char* target = reinterpret_cast<char*>(out + static_cast<std::size_t>(done) * channels());
            const long got = ov_read(vf_, target, (frames - done) * frameBytes, 0, 2, 1, &link);
            const vorbis_info* info = ov_info(vf_, link);
            // A chained file whose later part changes its layout is played up to the change.
            if (got <= 0 || !info || info->channels != channels()) {
                ended_ = true;
                break;
            }
            done += static_cast<int>(got / frameBytes);
        }
        return done;
    }

    bool seek(std::int64_t frame) override
    {
        if (ov_pcm_seek(vf_, frame) != 0)
            return false;
        ended_ = false;
        return true;
    }

    bool ended() const override { return ended_; }

private:
    std::unique_ptr<MemoryFile> file_;
    OggVorbis_File* vf_;
    bool ended_ = false;
};

// The pages were checked already.
std::unique_ptr<PcmSource> OpenVorbis(std::vector<std::uint8_t> bytes, int& error)
{
    auto file = std::make_unique<MemoryFile>();
    file->bytes = std::move(bytes);
    const ov_callbacks callbacks = {MemoryRead, MemorySeek, nullptr, MemoryTell};
    auto* vf = new OggVorbis_File;
    if (ov_open_callbacks(file.get(), vf, nullptr, 0, callbacks) != 0) {
        delete vf;
        error = FMOD_ERR_FILE_BAD;
        return nullptr;
    }
    const vorbis_info* info = ov_info(vf, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate < 1 || info->rate > kMaxWavRate) {
        ov_clear(vf);
        delete vf;
        error = FMOD_ERR_FILE_FORMAT;
        return nullptr;
    }
    return std::make_unique<VorbisSource>(std::move(file), vf, info->channels, static_cast<int>(info->rate));
}

} // namespace

std::unique_ptr<PcmSource> OpenPcmSource(std::vector<std::uint8_t> bytes, int& error)
{
    WavData wav;
    switch (ReadWav(bytes, wav)) {
    case WavStatus::Ok:
        return std::make_unique<WavSource>(std::move(bytes), wav);
    case WavStatus::Unsupported:
        error = FMOD_ERR_FILE_FORMAT;
        return nullptr;
    case WavStatus::Damaged:
        error = FMOD_ERR_FILE_BAD;
        return nullptr;
    case WavStatus::NotWav:
        break;
    }
    switch (CheckOggPages(bytes)) {
    case OggStatus::NotOgg:
        error = FMOD_ERR_FILE_FORMAT;
        return nullptr;
    case OggStatus::Damaged:
        error = FMOD_ERR_FILE_BAD;
        return nullptr;
    case OggStatus::Ok:
        break;
    }
    return OpenVorbis(std::move(bytes), error);
}

std::vector<std::int16_t> ReadAllFrames(PcmSource& source)
{
    constexpr int kChunkFrames = 4096;
    std::vector<std::int16_t> all;
    std::size_t used = 0;
    for (;;) {
        all.resize(used + static_cast<std::size_t>(kChunkFrames) * source.channels());
        const int got = source.read(all.data() + used, kChunkFrames);
        used += static_cast<std::size_t>(got) * source.channels();
        if (got < kChunkFrames)
            break;
    }
    all.resize(used);
    return all;
}

} // namespace vls::fmod
