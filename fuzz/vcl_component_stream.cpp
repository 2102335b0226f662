// Reads the input as a component stream: in the binary form when it starts
// with the signature, else as the text form converted to binary first. An
// accepted stream is written back in both forms. Besides the class library's
// own classes, a component with nested option objects and long property
// names ("Options.Shadow.Size") is known by name, and so are action lists and
// buttons, whose action references are resolved after reading.

#include "platform/vcl/actnlist.h"
#include "platform/vcl/buttons.h"
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

class TFuzzShadow : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TFuzzShadow, vcl::TPersistent)
public:
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }

private:
    int size_ = 4;
    bool enabled_ = false;
};

class TFuzzOptions : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TFuzzOptions, vcl::TPersistent)
public:
    ~TFuzzOptions() override { delete shadow_; }
    TFuzzShadow* Shadow() const { return shadow_; }
    int LongName() const { return longName_; }
    void SetLongName(int v) { longName_ = v; }

private:
    TFuzzShadow* shadow_ = new TFuzzShadow();
    int longName_ = 0;
};

class TFuzzNested : public vcl::TComponent {
    VCL_DECLARE_CLASS(TFuzzNested, vcl::TComponent)
public:
    explicit TFuzzNested(vcl::TComponent* owner) : vcl::TComponent(owner) {}
    ~TFuzzNested() override { delete options_; }
    TFuzzOptions* Options() const { return options_; }
    vcl::TFont* Font() const { return font_.get(); }

private:
    TFuzzOptions* options_ = new TFuzzOptions();
    std::unique_ptr<vcl::TFont> font_ = std::make_unique<vcl::TFont>();
};

VCL_IMPLEMENT_CLASS(TFuzzShadow, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Int("Size", &TFuzzShadow::Size, &TFuzzShadow::SetSize, 4);
    b.Bool("Enabled", &TFuzzShadow::Enabled, &TFuzzShadow::SetEnabled, false);
})
VCL_IMPLEMENT_CLASS(TFuzzOptions, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Object("Shadow", &TFuzzOptions::Shadow);
    b.Int("ANameLongerThanTwentyCharactersForTheReader", &TFuzzOptions::LongName, &TFuzzOptions::SetLongName, 0);
})
VCL_IMPLEMENT_CLASS(TFuzzNested, vcl::TComponent, [](auto& b) {
    b.Component();
    b.Object("Options", &TFuzzNested::Options);
    b.Object("Font", &TFuzzNested::Font);
})

void RegisterStreamedClasses()
{
    vcl::RegisterClasses({vcl::TForm::StaticClass(), vcl::TTimer::StaticClass(), vcl::TImage::StaticClass(),
                          vcl::TShape::StaticClass(), vcl::TPopupMenu::StaticClass(),
                          vcl::TImageList::StaticClass(), TFuzzNested::StaticClass(),
                          vcl::TActionList::StaticClass(), vcl::TAction::StaticClass(), vcl::TButton::StaticClass()});
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
