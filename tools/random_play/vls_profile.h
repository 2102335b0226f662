#pragma once

// Random play of the engine on the demo: besides input anywhere, the places
// the demo reacts to (its things and people, the way out and back, dialogue
// choices, the inventory bar, the messenger, the menu's save and load
// screens) and restarts, which load the game the last menu saved.

#include "tools/random_play/random_input.h"

namespace vls::random_play {

class VlsProfile : public PlayProfile {
public:
    explicit VlsProfile(SeededRandom& random) : random_(random), input_(random, kWidth, kHeight) {}

    // The demo's archive (its "resource." files) from the demo's folder.
    void Prepare(const std::filesystem::path& work, const std::filesystem::path& config,
        const std::filesystem::path& data) override;
    PlayAction Next() override;

    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

private:
    PlayAction UseSomething();
    PlayAction ChooseInDialogue();
    PlayAction UseAnItem();
    PlayAction Messenger();
    PlayAction SaveFromTheMenu();
    PlayAction LoadFromTheMenu();
    PlayAction WanderInTheMenu();

    SeededRandom& random_;
    RandomInput input_;
};

} // namespace vls::random_play
