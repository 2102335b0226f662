#pragma once

// The original C run-time's extras: descriptors, text streams, _gcvt, rand.
#include "platform/crt/crt_io.h"
#include "platform/crt/gcvt.h"
#include "platform/crt/rand.h"
