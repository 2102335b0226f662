#pragma once

#include "engine/base/dynarray.h"

#include <cstdint>

class cKestruneImage;

// One mark: icon kind (0 exit, 1 use, 2 speak), arrow 1..8 (0: none), the id
// of its view and its centre in band pixels.
struct HintRecord {
    int32_t kind = 0;
    int32_t arrow = 0;
    int32_t view = 0;
    int32_t x = 0;
    int32_t y = 0;
};

// What the hints ask of the engine: the frame clock, the current view, and
// the scene script's "_hint" function, which adds the marks.
class cKestruneHintsHost {
public:
    virtual ~cKestruneHintsHost() = default;
    // The frame clock's seconds.
    virtual float Seconds() = 0;
    // The current scene's current view id; false without a scene.
    virtual bool CurrentView(int32_t& id) = 0;
    // Runs "_hint" of the current scene's script; false without a scene.
    virtual bool RunSceneHints() = 0;
};

// The answers of an engine with no scene and a clock standing at 0: what the
// hints see before the engine installs its host, and the base of test fakes.
class cKestruneNullHintsHost : public cKestruneHintsHost {
public:
    float Seconds() override { return 0.0f; }
    bool CurrentView(int32_t& id) override;
    bool RunSceneHints() override { return false; }
};

// Null restores the null host (the answers of an engine without members).
void SetHintsHost(cKestruneHintsHost* host);
cKestruneHintsHost& HintsHost();

// The marks of the current view while the hint key is held: exits first, then
// after a pause the places to use or talk to, fading in and out.
class cKestruneHints {
public:
    enum State : int32_t {
        kHidden = 0,
        kFirstFadeIn = 1,
        kExitsShown = 2,
        kFirstFadeOut = 3,
        kSecondFadeIn = 4,
        kAllShown = 5,
        kSecondFadeOut = 6,
    };

    cKestruneHints();
    ~cKestruneHints();
    cKestruneHints(const cKestruneHints&) = delete;
    cKestruneHints& operator=(const cKestruneHints&) = delete;

    void LoadImages();
    void AddHint(int32_t view, int32_t x, int32_t y, int32_t kindPlusOne, int32_t arrow);
    void Show(uint8_t show);
    void Render();

    // Fields, in the engine's order.
    DynArray<cKestruneImage*> icons;
    DynArray<cKestruneImage*> arrows;
    DynArray<HintRecord> records;
    float fadeStart = 0.0f;
    int32_t state = kHidden;

private:
    void DrawImage(cKestruneImage* image, int32_t x, int32_t y, bool faded, float fade);
};
