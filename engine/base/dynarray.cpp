#include "engine/base/dynarray.h"

#include "engine/base/engine_link.h"

void ReportEmptyArrayRead()
{
    ReportError("dynarray", "At", 0, "Element read from an empty array.");
}
