// Feeds the input to every skin stream reader: the four file formats and the
// form property with its flag byte. Damage must end in an exception, never
// in a crash, a hang or a read out of bounds.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "skin/skins/sk_skin_filters.h"
#include "skin/skins/sk_skin_manager.h"

namespace {

// Every object of a loaded skin is laid out, painted in every draw state
// and asked for its region, so that each class's drawing meets the damage.
void UseObjects(skin::TSkSkinSource& source)
{
    skin::TSkBitmap surface;
    surface.SetSize(64, 48);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());
    for (int i = 0; i < source.GetObjectCount(); ++i) {
        skin::TSkSkinObject* object = source.GetObject(i);
        object->SetBounds(RECT{0, 0, 64, 48});
        for (std::uint8_t state = 0; state <= 8; ++state) {
            object->SetState(state);
            object->SetActive(state % 2 == 0);
            object->Paint(&canvas);
        }
        if (HRGN region = object->GetRegion())
            DeleteObject(region);
    }
    canvas.SetHandle(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20))
        return 0;
    const skin::TSkSkinFilterClass* filters[] = {skin::kFilterUncompressed, skin::kFilterCompressed,
                                                 skin::kFilterUltraCompressed, skin::kFilterMaxCompression};
    for (const skin::TSkSkinFilterClass* cls : filters) {
        vcl::TMemoryStream stream;
        if (size > 0)
            stream.WriteBuffer(data, static_cast<std::int32_t>(size));
        stream.SetPosition(0);
        skin::TSkSkinSource source(nullptr);
        try {
            std::unique_ptr<skin::TSkSkinFilter> filter(cls->create());
            filter->Source = &source;
            filter->LoadFromStream(&stream);
            // A skin that loaded is used the way controls use it.
            if (skin::TSkSkinObject* form = source.GetFormObject())
                form->SetBounds(RECT{0, 0, 300, 200});
            source.ChangeHue(17);
            UseObjects(source);
        } catch (const vcl::Exception&) {
        }
    }
    vcl::TMemoryStream property;
    if (size > 0)
        property.WriteBuffer(data, static_cast<std::int32_t>(size));
    property.SetPosition(0);
    skin::TSkSkinManager manager(nullptr);
    try {
        manager.ReadSkinStream(&property);
    } catch (const vcl::Exception&) {
    }
    return 0;
}
