#pragma once

#include <cstdint>

class cKestruneScript;

// Savegames name a script by its save identity (0: none); on load the
// identity is looked up among the live scripts, and one that matches none
// gives no script.
std::uint32_t ScriptToSaveId(const cKestruneScript* script);
cKestruneScript* ScriptFromSaveId(std::uint32_t id);

// A script that an event names across frames, held by its serial: once the
// script is deleted the reference gives nothing, even when a new script (the
// next scene's) has taken the old one's address.
class cScriptRef {
public:
    cScriptRef() = default;
    cScriptRef(const cKestruneScript* script) : serial_(ScriptToSaveId(script)) {}
    cScriptRef& operator=(const cKestruneScript* script)
    {
        serial_ = ScriptToSaveId(script);
        return *this;
    }

    // The live script, or null.
    cKestruneScript* Get() const { return ScriptFromSaveId(serial_); }
    std::uint32_t Serial() const { return serial_; }
    // Whether a script was named, alive or not.
    explicit operator bool() const { return serial_ != 0; }
    bool operator==(const cKestruneScript* script) const { return Get() == script; }

private:
    std::uint32_t serial_ = 0;
};
