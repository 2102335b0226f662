#include "engine/render/image_resource.h"

#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_image.h"

cKestruneImage* LoadImageResource(const char* name, bool openVideoOnFirstUse)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    if (!files || !files->Exists(name))
        return nullptr;
    const int32_t slot = files->Open(name);
    if (slot <= 0)
        return nullptr;
    cKestruneImage* image = new cKestruneImage(0);
    if (openVideoOnFirstUse)
        image->OpenVideoOnFirstUse();
    if (image->Load(slot) != 0) {
        delete image;
        image = nullptr;
    }
    files->Close(slot);
    return image;
}
