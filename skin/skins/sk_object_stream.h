#pragma once

// Skin objects on streams: a class-name string, then the object either in
// the class library's component text form (a string) or in its binary form
// (an int32 length and the "TPF0" stream). Readers check the class against
// the skin-object registry and limit how deep children may nest.

#include "platform/vcl/streams.h"
#include "skin/skins/sk_skin_object.h"

namespace skin {

// Deeper trees than this are taken for damage.
constexpr int kMaxSkinNesting = 32;

void WriteSkinObjectText(vcl::TStream* stream, TSkSkinObject* object);
TSkSkinObject* ReadSkinObjectText(vcl::TStream* stream, vcl::TComponent* owner);
void WriteSkinObjectBinary(vcl::TStream* stream, TSkSkinObject* object);
TSkSkinObject* ReadSkinObjectBinary(vcl::TStream* stream, vcl::TComponent* owner);

}  // namespace skin
