#pragma once

// Libraries that the stand-ins open when first needed rather than link, so
// that a program which never uses them does not map them at start. Each is
// kept for the process's life: the tables of entry points never go stale.

#include <dlfcn.h>

#include <string>

namespace vls {

// Opens `soname`; null when it cannot be, with `error` saying so in the
// words of `what` ("video libraries", say).
inline void* OpenRunTimeLibrary(const char* soname, const char* what, std::string& error)
{
    void* const handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        error = std::string("The ") + what + " cannot be loaded: " + dlerror();
    return handle;
}

// Takes the entry point `name` of an opened library into `out`; false when
// it lacks it, with `error` naming it.
template <typename Pointer>
bool FindRunTimeSymbol(void* handle, const char* name, Pointer& out, const char* what, std::string& error)
{
    out = reinterpret_cast<Pointer>(dlsym(handle, name));
    if (!out)
        error = std::string("The ") + what + " lack " + name + ".";
    return out != nullptr;
}

} // namespace vls
