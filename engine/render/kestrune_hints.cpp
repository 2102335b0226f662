#include "engine/render/kestrune_hints.h"

#include "engine/render/image_resource.h"
#include "engine/render/kestrune_image.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr float kFadeSeconds = 0.5f;
constexpr float kExitsAloneSeconds = 1.5f;
constexpr const char* kIconNames[] = {"hint_exit.image", "hint_hand.image", "hint_speak.image"};
constexpr int32_t kArrowCount = 8;

cKestruneNullHintsHost g_baseHost;
cKestruneHintsHost* g_host = nullptr;

cKestruneImage* ClampedImage(DynArray<cKestruneImage*>& list, int32_t index)
{
    return list.count > 0 ? list.data[std::clamp(index, 0, list.count - 1)] : nullptr;
}

} // namespace

bool cKestruneNullHintsHost::CurrentView(int32_t&) { return false; }

void SetHintsHost(cKestruneHintsHost* host) { g_host = host; }

cKestruneHintsHost& HintsHost() { return g_host ? *g_host : g_baseHost; }

cKestruneHints::cKestruneHints() = default;

cKestruneHints::~cKestruneHints()
{
    for (int32_t i = 0; i < icons.count; ++i)
        delete icons.data[i];
    for (int32_t i = 0; i < arrows.count; ++i)
        delete arrows.data[i];
}

void cKestruneHints::LoadImages()
{
    // A missing image is left out: the later ones of its list move down.
    for (const char* name : kIconNames) {
        if (cKestruneImage* image = LoadImageResource(name))
            icons.Add(image);
    }
    for (int32_t i = 1; i <= kArrowCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "hint_direct%02d.image", i);
        if (cKestruneImage* image = LoadImageResource(name))
            arrows.Add(image);
    }
}

void cKestruneHints::AddHint(int32_t view, int32_t x, int32_t y, int32_t kindPlusOne, int32_t arrow)
{
    records.Add({kindPlusOne - 1, arrow, view, x, y});
}

void cKestruneHints::Show(uint8_t show)
{
    const float now = HintsHost().Seconds();
    if (show) {
        switch (state) {
        case kHidden:
            records.count = 0;
            HintsHost().RunSceneHints();
            fadeStart = now;
            if (records.count > 0)
                state = kFirstFadeIn;
            break;
        // Turning back mid fade-out keeps the fade's start as it is.
        case kFirstFadeOut: state = kFirstFadeIn; break;
        case kSecondFadeOut: state = kSecondFadeIn; break;
        default: break;
        }
        return;
    }
    switch (state) {
    case kFirstFadeIn:
        // The fade-out starts from the fade-in's level: reflected about now.
        state = kFirstFadeOut;
        fadeStart = (now - fadeStart) + now;
        break;
    case kExitsShown:
        state = kFirstFadeOut;
        fadeStart = now;
        break;
    case kSecondFadeIn: state = kSecondFadeOut; break;
    case kAllShown:
        state = kSecondFadeOut;
        fadeStart = now;
        break;
    default: break;
    }
}

void cKestruneHints::DrawImage(cKestruneImage* image, int32_t x, int32_t y, bool faded, float fade)
{
    if (!image)
        return;
    image->SetPosition(x, y, -1, -1);
    if (faded) {
        image->SetAlpha(1 + static_cast<int32_t>(509.0f * fade));
        image->vertexAlpha = 1;
    } else {
        image->vertexAlpha = 0;
    }
    image->Render(0);
}

void cKestruneHints::Render()
{
    if (state == kHidden)
        return;
    const float now = HintsHost().Seconds();
    const float elapsed = now - fadeStart;
    bool exitsFaded = false;
    float fade = 0.0f;
    switch (state) {
    case kFirstFadeIn:
        if (elapsed >= kFadeSeconds) {
            state = kExitsShown;
            fadeStart = now;
        } else {
            exitsFaded = true;
            fade = elapsed;
        }
        break;
    case kExitsShown:
        if (elapsed >= kExitsAloneSeconds) {
            state = kSecondFadeIn;
            fadeStart = now;
        }
        break;
    case kFirstFadeOut:
    case kSecondFadeOut:
        if (elapsed >= kFadeSeconds) {
            state = kHidden;
            return;
        }
        exitsFaded = true;
        fade = kFadeSeconds - elapsed;
        break;
    case kSecondFadeIn:
        if (elapsed >= kFadeSeconds) {
            state = kAllShown;
            fadeStart = now;
        }
        break;
    default: break;
    }

    int32_t view = 0;
    if (!HintsHost().CurrentView(view))
        return;
    for (int32_t i = 0; i < records.count; ++i) {
        const HintRecord& record = records.data[i];
        if (record.view != view)
            continue;
        bool faded = exitsFaded;
        float factor = fade;
        if (record.kind > 0) {
            if (state == kFirstFadeIn || state == kExitsShown || state == kFirstFadeOut)
                continue;
            faded = state == kSecondFadeIn || state == kSecondFadeOut;
            factor = state == kSecondFadeIn ? elapsed : fade;
        }
        if (record.arrow > 0)
            DrawImage(ClampedImage(arrows, record.arrow - 1), record.x - 32, record.y + 96, faded, factor);
        DrawImage(ClampedImage(icons, record.kind), record.x - 16, record.y + 112, faded, factor);
    }
}
