#pragma once

// The extension library: maths and texture helpers.

#include "platform/d3dx/d3dx8math.h"
#include "platform/d3dx/d3dx8tex.h"
