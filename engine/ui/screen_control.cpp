#include "engine/ui/kestrune_screen_control.h"

#include "engine/base/engine_link.h"
#include "engine/render/image_resource.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/script/kestrune_script.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/world_host.h"

#include <cstdio>

namespace {

constexpr int32_t kBackdropAlpha = 128;

bool PolygonContains(const HotspotData& data, const HotspotPolygon& polygon, int32_t x, int32_t y)
{
    bool inside = false;
    const uint32_t first = polygon.firstPoint;
    if (first >= data.points.size() || polygon.pointCount > data.points.size() - first)
        return false;
    for (uint32_t i = 0, j = polygon.pointCount - 1; i < polygon.pointCount; j = i++) {
        const HotspotPoint& a = data.points[first + i];
        const HotspotPoint& b = data.points[first + j];
        if ((a.y > y) != (b.y > y)) {
            const double crossX = a.x + static_cast<double>(y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (x < crossX)
                inside = !inside;
        }
    }
    return inside;
}

} // namespace

bool ScreenHotspotContains(const cKestruneHotspot& hotspot, int32_t x, int32_t y)
{
    const HotspotData& data = hotspot.data;
    for (const HotspotArea& area : data.areas) {
        bool inOutline = false, inHole = false;
        for (uint32_t k = 0; k < area.polygonCount; ++k) {
            const uint32_t index = area.firstPolygon + k;
            if (index >= data.polygons.size())
                break;
            const HotspotPolygon& polygon = data.polygons[index];
            if (PolygonContains(data, polygon, x, y))
                (polygon.IsHole() ? inHole : inOutline) = true;
        }
        if (inOutline && !inHole)
            return true;
    }
    return false;
}

cKestruneScreenControl::cKestruneScreenControl() { UiHost().StopPlayerWalk(); }

namespace screen_control {

bool DialoguePassThrough()
{
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    cKestruneDialogue* const dialogue = gameplay ? gameplay->dialogue : nullptr;
    if (!dialogue || dialogue->state <= 0)
        return true;
    dialogue->Update();
    return dialogue->state == cKestruneDialogue::kLine && !(gameplay->gameState & cKestruneGameplay::kInputLocked);
}

bool TakeClick(bool singleOnly)
{
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (!gameplay)
        return false;
    if (gameplay->ConsumeEvent(0, 1) || gameplay->ConsumeEvent(1, 1))
        return true;
    return !singleOnly && (gameplay->ConsumeEvent(0, 2) || gameplay->ConsumeEvent(1, 2));
}

int32_t MouseX()
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    return gameplay ? gameplay->mouseX : 0;
}

int32_t MouseY()
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    return gameplay ? gameplay->mouseY : 0;
}

void SetCursor(int32_t cursor) { WorldHost().SetCursor(cursor); }

void DrawBackdrop()
{
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    cKestruneImage* const backdrop = graphics ? graphics->blackScreen : nullptr;
    if (!backdrop)
        return;
    backdrop->SetPosition(0, 0, graphics->screenWidth, graphics->screenHeight);
    backdrop->SetAlpha(kBackdropAlpha);
    backdrop->vertexAlpha = 1;
    backdrop->Render(0);
    backdrop->vertexAlpha = 0;
}

cKestruneImage* LoadLooping(const std::string& name)
{
    cKestruneImage* const image = LoadImageResource(name.c_str());
    if (image)
        image->SetPlayMode(kImageLoop, 0);
    return image;
}

void RunClose(cScriptRef& script, const cString& function)
{
    cKestruneScript* const target = script.Get();
    script = nullptr;
    if (target && function.GetLength() > 0)
        target->Run(function.GetText());
}

} // namespace screen_control

using namespace screen_control;

cKestruneImageControl::cKestruneImageControl(const char* name, cKestruneScript* closeScript, const char* closeFunction)
    : script(closeScript), function(closeFunction)
{
    image = LoadLooping(std::string(name) + ".image");
    exitHotspot.MakeScreenFrameHotspot(kExitBorder, 0);
}

cKestruneImageControl::~cKestruneImageControl() { delete image; }

void cKestruneImageControl::Input()
{
    if (!DialoguePassThrough())
        return;
    const bool overExit = ScreenHotspotContains(exitHotspot, MouseX(), MouseY());
    if (TakeClick() && overExit) {
        RunClose(script, function);
        done = 1;
    }
    SetCursor(overExit ? kCursorExit : kCursorNormal);
}

void cKestruneImageControl::Render()
{
    DrawBackdrop();
    if (image)
        image->Render(1);
}

cKestruneDiaryControl::cKestruneDiaryControl(const char* name, int32_t pages, cKestruneScript* closeScript,
                                             const char* closeFunction)
    : script(closeScript), function(closeFunction), baseName(name), pageCount(pages)
{
    exitHotspot.MakeScreenFrameHotspot(kExitBorder, 0);
    previousHotspot.MakeRectHotspot(150, 168, 300, 598);
    nextHotspot.MakeRectHotspot(720, 168, 820, 598);
    LoadPage();
}

cKestruneDiaryControl::~cKestruneDiaryControl() { delete page; }

void cKestruneDiaryControl::LoadPage()
{
    char pageName[300];
    std::snprintf(pageName, sizeof pageName, "%s%.2d.image", baseName.GetText(), currentPage);
    cKestruneImage* const loaded = LoadLooping(pageName);
    if (!loaded)
        return;
    delete page;
    page = loaded;
}

void cKestruneDiaryControl::Input()
{
    if (!DialoguePassThrough())
        return;
    const int32_t x = MouseX(), y = MouseY();
    const bool overExit = ScreenHotspotContains(exitHotspot, x, y);
    const bool overPrevious = ScreenHotspotContains(previousHotspot, x, y);
    const bool overNext = ScreenHotspotContains(nextHotspot, x, y);
    if (TakeClick()) {
        if (overExit) {
            RunClose(script, function);
            done = 1;
        }
        if (overPrevious && currentPage > 1) {
            --currentPage;
            LoadPage();
        }
        if (overNext && currentPage < pageCount) {
            ++currentPage;
            LoadPage();
        }
    }
    if (overExit)
        SetCursor(kCursorExit);
    else if ((overPrevious && currentPage > 1) || (overNext && currentPage < pageCount))
        SetCursor(kCursorPage);
    else
        SetCursor(kCursorNormal);
}

void cKestruneDiaryControl::Render()
{
    DrawBackdrop();
    if (page)
        page->Render(1);
}
