// Damages a skin that holds one object of every skin-object class, nested
// under a form object with a bitmap, then reads it with every filter and
// uses what loaded the way skinned controls and forms do. The input is a
// list of edits (two offset bytes, one value byte) on the written skin, so
// that every class's stored fields meet damage, not only the stream header.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/skins/sk_skin_filters.h"
#include "skin/skins/sk_skin_object.h"
#include "skin/skins/sk_skin_source.h"
#include "tools/skin_writer.h"

namespace {

const char* const kClasses[] = {
    "TSkSkinObject",       "TSkActiveObject",         "TSkTextObject",           "TSkBitmapObject",
    "TSkActiveBitmap",     "TSkButtonObject",         "TSkSystemButton",         "TSkSysButtonSkinObject",
    "TSkLinkSkinObject",   "TSkActiveSkinObject",     "TSkBitmapSkinObject",     "TSkFormBitmapSkinObject",
    "TSkColorButtonObject", "TSkBitmapBoxObject",     "TSkActiveBitmapBoxObject", "TSkButtonBitmapBoxObject",
    "TSkRollPanelObject",
};
const skin::TSkSkinFilterClass* const* Filters()
{
    static const skin::TSkSkinFilterClass* const filters[] = {skin::kFilterUncompressed, skin::kFilterCompressed,
                                                              skin::kFilterUltraCompressed,
                                                              skin::kFilterMaxCompression};
    return filters;
}

std::vector<std::uint8_t> SeedSkin(const char* extension)
{
    skin::TSkSkinSource source(nullptr);
    std::vector<std::uint32_t> pixels(16 * 16);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i % 3 == 0 ? 0xFFFF00FFu : 0xFF000000u | static_cast<std::uint32_t>(i * 977);
    vls::tools::AddSkinBitmap(source, "pic", 16, 16, pixels);
    auto* form = new skin::TSkSkinObject(nullptr);
    form->SetName("Form");
    form->SetKind(skin::skForm);
    form->SetBounds(RECT{0, 0, 120, 90});
    int n = 0;
    for (const char* name : kClasses) {
        const vcl::TClass cls = skin::FindSkinObjectClass(name);
        if (!cls || !cls->create)
            continue;
        // One of each class under the form, each with a child of its own class.
        auto* object = static_cast<skin::TSkSkinObject*>(cls->create(form));
        object->SetName("O" + std::to_string(n));
        object->SetAlign(static_cast<skin::TSkAlign>(n % 16));
        object->SetKind(static_cast<skin::TSkKind>(n % 22));
        object->SetBounds(RECT{n, n, n + 30, n + 20});
        object->SetMarginLeft(2);
        object->SetMarginTop(3);
        object->SetMarginRight(4);
        object->SetMarginBottom(5);
        auto* child = static_cast<skin::TSkSkinObject*>(cls->create(object));
        child->SetName("C" + std::to_string(n));
        child->SetAlign(skin::saClient);
        ++n;
    }
    source.AddObject(form);
    return vls::tools::WriteSkinStream(source, extension);
}

void UseSource(skin::TSkSkinSource& source)
{
    skin::TSkBitmap surface;
    surface.SetSize(96, 72);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());
    for (int i = 0; i < source.GetObjectCount(); ++i) {
        skin::TSkSkinObject* object = source.GetObject(i);
        std::unique_ptr<skin::TSkSkinObject> copy(skin::CloneSkinObject(object, nullptr));
        if (!copy)
            continue;
        copy->SetBounds(RECT{0, 0, 96, 72});
        for (std::uint8_t state = 0; state <= 8; ++state) {
            copy->SetState(state);
            copy->SetActive(state % 2 == 0);
            copy->Paint(&canvas);
            (void)copy->ObjectAtPoint(POINT{state * 10, state * 8});
        }
        copy->SetCharset(204);
        copy->ChangeHue(40);
        if (HRGN region = copy->GetRegion())
            DeleteObject(region);
    }
    canvas.SetHandle(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > (1u << 16))
        return 0;
    static const std::vector<std::uint8_t> seeds[] = {SeedSkin("uskn"), SeedSkin("kskn"), SeedSkin("xskn"),
                                                      SeedSkin("mskn")};
    const int format = data[0] % 4;
    std::vector<std::uint8_t> bytes = seeds[format];
    for (std::size_t i = 1; i + 2 < size; i += 3) {
        const std::size_t offset = (static_cast<std::size_t>(data[i]) | data[i + 1] << 8) % bytes.size();
        bytes[offset] = data[i + 2];
    }
    vcl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SetPosition(0);
    skin::TSkSkinSource source(nullptr);
    try {
        std::unique_ptr<skin::TSkSkinFilter> filter(Filters()[format]->create());
        filter->Source = &source;
        filter->LoadFromStream(&stream);
        UseSource(source);
    } catch (const vcl::Exception&) {
    }
    return 0;
}
