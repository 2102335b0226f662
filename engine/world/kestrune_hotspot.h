#pragma once

#include "engine/world/hotspot_format.h"

#include <cstdint>

class cKestruneObjectHandle;
class cKestruneCharacter;
class cKestruneScene;
class cString;

// A clickable region of a scene: 2D polygon areas per view, bound to a
// script object handle, or a character hit-tested in 3D. The scene loads its
// hotspots from its stream; hit tests, captions and events live with the
// characters and controllers they drive.
class cKestruneHotspot {
public:
    cKestruneHotspot() = default;
    cKestruneHotspot(const cKestruneHotspot&) = delete;
    cKestruneHotspot& operator=(const cKestruneHotspot&) = delete;

    // Reads the header and data block from the slot's position. 0, or -1
    // when the block is short or its counts do not fit it (reported).
    std::int32_t Load(std::int32_t slot);
    std::int32_t LoadFromMemory(const std::uint8_t* bytes, std::size_t size);

    // One built area: the screen's frame of width border (the scene band
    // only, when bandOnly), as an outer rectangle and an inner hole.
    void MakeScreenFrameHotspot(std::int32_t border, std::uint8_t bandOnly);
    void MakeRectHotspot(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);

    // Band coordinates; the current scene's current view picks the areas
    // (hotspot_events.cpp).
    bool HitTest(std::int32_t x, std::int32_t y);
    bool IsHotspotCovered3D(std::int32_t x, std::int32_t y);
    std::int32_t GetCursor() const;
    cString GetName() const;
    void Use();
    void UseRun();
    void Look();
    void LookRun();
    void FireEvent(const char* event);

    // Fields, in the engine's order.
    std::uint32_t areaCount = 0;
    std::uint32_t dataSize = 0;
    HotspotData data;
    std::int32_t cursor = 0;
    cKestruneObjectHandle* object = nullptr;
    cKestruneCharacter* character = nullptr;
};
