#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_fonts.h"

#include <new>

bool cKestruneDefaultMembers::CreateFonts(cKestruneEngine& engine)
{
    engine.fonts = new (std::nothrow) cKestruneFonts();
    return engine.fonts != nullptr;
}
void cKestruneDefaultMembers::DestroyFonts(cKestruneEngine& engine) { DeleteMember(engine.fonts); }

