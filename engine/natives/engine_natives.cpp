#include "engine/natives/engine_natives.h"

void RegisterEngineNatives()
{
    RegisterObjectNatives();
    RegisterInputNatives();
    RegisterSystemNatives();
    RegisterCharacterNatives();
    RegisterOutputNatives();
}
