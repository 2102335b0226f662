// Reads the input as a component stream: in the binary form when it starts
// with the signature, else as the text form converted to binary first. An
// accepted stream is written back in both forms.

#include "platform/vcl/extctrls.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/imglist.h"
#include "platform/vcl/menus.h"
#include "platform/vcl/streams.h"
#include "platform/vcl/sysutils.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

void RegisterStreamedClasses()
{
    vcl::RegisterClasses({vcl::TForm::StaticClass(), vcl::TTimer::StaticClass(), vcl::TImage::StaticClass(),
                          vcl::TShape::StaticClass(), vcl::TPopupMenu::StaticClass(),
                          vcl::TImageList::StaticClass()});
}

void Feed(vcl::TMemoryStream& binary)
{
    binary.SetPosition(0);
    std::unique_ptr<vcl::TComponent> root;
    try {
        root.reset(binary.ReadComponent(nullptr));
    } catch (const vcl::Exception&) {
        return;
    }
    if (!root)
        return;
    vcl::TMemoryStream again;
    again.WriteComponent(root.get());
    again.SetPosition(0);
    vcl::TMemoryStream text;
    try {
        vcl::ObjectBinaryToText(&again, &text);
    } catch (const vcl::Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = (RegisterStreamedClasses(), true);
    (void)registered;
    vcl::TMemoryStream input;
    input.WriteBuffer(data, static_cast<std::int32_t>(size));
    input.SetPosition(0);
    if (size >= 4 && std::memcmp(data, vcl::kFilerSignature, 4) == 0) {
        vcl::TMemoryStream text;
        try {
            vcl::ObjectBinaryToText(&input, &text);
        } catch (const vcl::Exception&) {
        }
        Feed(input);
        return 0;
    }
    vcl::TMemoryStream binary;
    try {
        vcl::ObjectTextToBinary(&input, &binary);
    } catch (const vcl::Exception&) {
        return 0;
    }
    Feed(binary);
    return 0;
}
