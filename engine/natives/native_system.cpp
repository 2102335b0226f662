#include "engine/natives/engine_natives.h"

#include "engine/script/script_natives.h"

void RegisterSystemNatives() {}
