#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/base/kestrune_file_system.h"

#include <new>

bool cKestruneDefaultMembers::CreateFileSystem(cKestruneEngine& engine)
{
    engine.fileSystem = new (std::nothrow) cKestruneFileSystem();
    return engine.fileSystem && engine.fileSystem->ready;
}
void cKestruneDefaultMembers::DestroyFileSystem(cKestruneEngine& engine) { DeleteMember(engine.fileSystem); }

