#pragma once

#include <cstdint>

class cKestruneScript;

// Savegames name a script by its save identity (0: none); on load the
// identity is looked up among the live scripts, and one that matches none
// gives no script.
std::uint32_t ScriptToSaveId(const cKestruneScript* script);
cKestruneScript* ScriptFromSaveId(std::uint32_t id);
