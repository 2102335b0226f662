// Any bytes through the launcher's wide string list reader and the component
// containers' readers (block streams, container streams and files, waves): a
// refusal is fine, a crash, hang or stray read is not.

#include "launcher/components/kit_container.h"
#include "launcher/components/kit_image_list.h"
#include "launcher/components/kit_lzrw.h"
#include "launcher/components/kit_records.h"
#include "launcher/components/kit_wave.h"
#include "launcher/wide_string_list.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

namespace {

vcl::TMemoryStream* StreamOf(const std::uint8_t* data, std::size_t size)
{
    auto* stream = new vcl::TMemoryStream();
    if (size > 0)
        stream->WriteBuffer(data, static_cast<std::int32_t>(size));
    stream->SetPosition(0);
    return stream;
}

template <class F>
void Refusable(F&& f)
{
    try {
        f();
    } catch (const vcl::Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(data, size));
        launcher::TWideStringList list;
        list.LoadFromStream(stream.get());
        // Every line is free of breaks, and joining gives the units back.
        for (int i = 0; i < list.Count(); ++i)
            for (const char16_t u : list.Get(i))
                if (u == 0 || u == 0x0A || u == 0x0D)
                    std::abort();
        vcl::TMemoryStream out;
        list.SaveToStream(&out);
    }
    {
        const std::span<const std::uint8_t> bytes(data, size);
        Refusable([&] {
            const std::vector<std::uint8_t> plain = kit::DecompressBlock(bytes);
            if (plain.size() > kit::kLzrwBlockSize)
                std::abort();
        });
        // What compresses must come back whole.
        const std::span<const std::uint8_t> piece = bytes.first(std::min(size, kit::kLzrwBlockSize));
        if (kit::DecompressBlock(kit::CompressBlock(piece)) != std::vector<std::uint8_t>(piece.begin(), piece.end()))
            std::abort();
    }
    for (const bool strip : {false, true}) {
        std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(data, size));
        Refusable([&] { kit::ReadContainerStream(stream.get(), true, strip); });
    }
    {
        std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(data, size));
        Refusable([&] { kit::ReadContainerFile(stream.get(), kit::TKitContainerKind::StringList, "fuzz"); });
    }
    {
        std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(data, size));
        kit::TKitWaveList waves(nullptr);
        Refusable([&] { waves.LoadFromStream(stream.get()); });
        std::unique_ptr<vcl::TMemoryStream> again(StreamOf(data, size));
        kit::TKitImageList images(nullptr);
        Refusable([&] { images.LoadFromStream(again.get()); });
        kit::TKitWave wave;
        Refusable([&] { wave.SetData(std::vector<std::uint8_t>(data, data + size)); });
    }
    return 0;
}
