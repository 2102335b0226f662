#pragma once

#include "engine/script/kestrune_script.h"

#include <cstdint>
#include <new>
#include <vector>

namespace vls::test {

// Two scripts, one after the other, in the same storage: the second is made
// where the first was destroyed, as the next scene's script often is where
// the old scene's was freed. Whatever still names the first by address then
// finds the second there.
class ReusedScriptStorage {
public:
    explicit ReusedScriptStorage(std::vector<std::uint8_t> code) : code_(std::move(code)) { Make(); }
    ~ReusedScriptStorage() { Current()->~cKestruneScript(); }
    ReusedScriptStorage(const ReusedScriptStorage&) = delete;
    ReusedScriptStorage& operator=(const ReusedScriptStorage&) = delete;

    cKestruneScript* Current() { return std::launder(reinterpret_cast<cKestruneScript*>(storage_)); }

    // Destroys the current script and loads the same code into a new one at
    // its address.
    cKestruneScript* Replace()
    {
        Current()->~cKestruneScript();
        return Make();
    }

    // Whether the last script made took the code.
    bool loaded = false;

private:
    cKestruneScript* Make()
    {
        auto* const script = new (storage_) cKestruneScript();
        loaded = script->LoadFromMemory(code_.data(), code_.size()) == 0;
        return script;
    }

    std::vector<std::uint8_t> code_;
    alignas(cKestruneScript) unsigned char storage_[sizeof(cKestruneScript)];
};

} // namespace vls::test
