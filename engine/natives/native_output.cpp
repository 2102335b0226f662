#include "engine/natives/engine_natives.h"

#include "engine/audio/kestrune_sound.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/natives/native_host.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_hints.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_particles.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/kestrune_video.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/retired_objects.h"
#include "engine/world/world_host.h"
#include "platform/win32/winmm/mmsystem.h"

#include <cstring>
#include <string>

namespace {

constexpr std::int32_t kRain = 0;
constexpr std::int32_t kSnow = 2;
constexpr std::int32_t kCarryOverMode = 128;
constexpr float kMirrorLayerDepth = 99.9f;

cKestruneScene* Scene() { return WorldHost().CurrentScene(); }

// View i of the current scene by the DynArray rule; null without a scene or views.
cKestruneView* ViewArgument(const ScriptCallFrame* frame, std::int32_t argument)
{
    cKestruneScene* const scene = Scene();
    if (!scene || scene->views.count == 0)
        return nullptr;
    const std::int32_t index = frame->Argument(argument).intValue;
    return scene->views.data[index >= 0 && index < scene->views.count ? index : scene->views.count - 1];
}

void HideHints()
{
    if (cKestruneHints* const hints = NativeHost().Hints())
        hints->Show(0);
}

void AddGraphicsObject(cKestruneParticleSystem* effect)
{
    if (cKestruneGraphics* const graphics = cKestruneGraphics::Current())
        graphics->objects.Add(effect);
    else
        effect->Destroy();
}

// Every overlay of that name in every view of the current scene.
template <typename Fn>
void EachOverlayNamed(const char* name, Fn fn)
{
    cKestruneScene* const scene = Scene();
    for (std::int32_t v = 0; scene && v < scene->views.count; ++v) {
        const DynArray<cKestruneImage*>& overlays = scene->views.data[v]->overlays;
        for (std::int32_t i = 0; i < overlays.count; ++i)
            if (std::strcmp(overlays.data[i]->name.GetText(), name) == 0)
                fn(*overlays.data[i]);
    }
}

void SetCallback(cKestruneImage& image, cKestruneScript* script, std::int32_t frame, const char* function)
{
    if (frame == 0) {
        image.endCallbackScript = script;
        image.endCallbackName = function;
    } else {
        image.frameCallbackScript = script;
        image.frameCallbackName = function;
        image.frameCallbackFrame = frame;
    }
}

std::int32_t cOutput__PutCaption(ScriptCallFrame* frame)
{
    if (cKestruneScene* const scene = Scene())
        scene->saveName = frame->Argument(0).GetText();
    return 0;
}

std::int32_t cOutput__Print(ScriptCallFrame* frame)
{
    NativeHost().Print(frame->Argument(0).GetText(), frame->Argument(1).GetText(), frame->script);
    return 0;
}

std::int32_t cOutput__CreateWeather(ScriptCallFrame* frame)
{
    const std::int32_t type = frame->Argument(0).intValue;
    if (type != kRain && type != kSnow)
        return -1;
    WeatherParams params;
    float* const floats[] = {&params.centreX, &params.centreZ, &params.halfWidth, &params.top, &params.bottom,
                             &params.speed};
    for (std::int32_t i = 0; i < 6; ++i)
        *floats[i] = frame->Argument(i + 1).floatValue;
    params.count = frame->Argument(7).intValue;
    params.extra1 = frame->Argument(8).floatValue;
    params.extra2 = frame->Argument(9).floatValue;
    if (type == kSnow)
        AddGraphicsObject(new cKestruneWeatherSnow(params));
    else
        AddGraphicsObject(new cKestruneWeatherRain(params));
    return 0;
}

std::int32_t cOutput__CreateParticleFountain(ScriptCallFrame* frame)
{
    FountainParams params;
    params.x = frame->Argument(0).floatValue;
    params.y = frame->Argument(1).floatValue;
    params.z = frame->Argument(2).floatValue;
    params.spread = frame->Argument(3).floatValue * 2.0f;
    params.ground = frame->Argument(4).floatValue;
    params.speed = frame->Argument(5).floatValue;
    params.count = frame->Argument(6).intValue;
    AddGraphicsObject(new cKestruneFountain(params));
    return 0;
}

std::int32_t cOutput__LoadOverlayIntoView(ScriptCallFrame* frame)
{
    cKestruneView* const view = ViewArgument(frame, 0);
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const char* const name = frame->Argument(1).GetText();
    if (!view || !files)
        return 0;
    for (std::int32_t i = 0; i < view->overlays.count; ++i)
        if (std::strcmp(view->overlays.data[i]->name.GetText(), name) == 0)
            return 0;
    const std::string resource = std::string(view->Name()) + "_" + name + ".image";
    const std::int32_t slot = files->Exists(resource.c_str()) ? files->Open(resource.c_str()) : 0;
    if (slot <= 0)
        return 0;
    auto* const image = new cKestruneImage(0);
    const std::int32_t loaded = image->Load(slot);
    files->Close(slot);
    if (loaded != 0) {
        delete image;
        return 0;
    }
    image->name = name;
    image->SetPlayMode(0, 0);
    image->sharedCallbacks = 1;
    view->overlays.Add(image);
    return 0;
}

std::int32_t cOutput__SetOverlayMode(ScriptCallFrame* frame)
{
    const std::int32_t mode = frame->Argument(1).intValue;
    EachOverlayNamed(frame->Argument(0).GetText(), [mode](cKestruneImage& overlay) {
        if (mode == kCarryOverMode)
            overlay.carryOver = 1;
        else if (overlay.playMode != mode)
            overlay.SetPlayMode(mode, 0);
    });
    return 0;
}

std::int32_t cOutput__SetOverlayFrame(ScriptCallFrame* frame)
{
    const std::int32_t index = frame->Argument(1).intValue;
    EachOverlayNamed(frame->Argument(0).GetText(), [index](cKestruneImage& overlay) { overlay.SetFrame(index); });
    return 0;
}

std::int32_t cOutput__SetOverlayCallback(ScriptCallFrame* frame)
{
    const std::int32_t at = frame->Argument(1).intValue;
    const std::string function = frame->Argument(2).GetText();
    EachOverlayNamed(frame->Argument(0).GetText(),
                     [&](cKestruneImage& overlay) { SetCallback(overlay, frame->script, at, function.c_str()); });
    return 0;
}

void StartVideo(ScriptCallFrame* frame, std::int32_t realtime, const char* cameraTrack, const char* heightTrack)
{
    auto* const video = new cKestruneVideo();
    // A video with no picture would hold the screen (or the script) with
    // nothing to end it: the script goes on at once instead.
    if (video->Open(cString(frame->Argument(0).GetText()), realtime) != 0 || !video->image) {
        delete video;
        return;
    }
    if (realtime)
        video->LoadMotion(cString(cameraTrack), cString(heightTrack));
    if (video->image && frame->script) {
        video->image->endCallbackScript = frame->script;
        video->image->endCallbackName = SuspendScript(frame->script).c_str();
    }
    NativeHost().QueueVideo(video);
}

std::int32_t cOutput__PlayVideo(ScriptCallFrame* frame)
{
    StartVideo(frame, 0, "", "");
    return 0;
}

std::int32_t cOutput__PlayRealtimeVideo(ScriptCallFrame* frame)
{
    HideHints();
    const std::string camera = frame->Argument(1).GetText();
    const std::string height = frame->Argument(2).GetText();
    StartVideo(frame, 1, camera.c_str(), height.c_str());
    return 0;
}

std::int32_t cOutput__SetVideoCallback(ScriptCallFrame* frame)
{
    HideHints();
    cKestruneVideo* const video = NativeHost().CurrentVideo();
    if (video && video->image)
        SetCallback(*video->image, frame->script, frame->Argument(1).intValue, frame->Argument(2).GetText());
    return 0;
}

std::int32_t cOutput__SetMirrorLayer(ScriptCallFrame* frame)
{
    cKestruneView* const view = ViewArgument(frame, 0);
    const std::int32_t layer = frame->Argument(1).intValue;
    // The layers of a view not shown yet are read now, to be chosen from.
    if (view)
        view->LoadPicture();
    if (!view || layer < 0 || layer >= view->images.count)
        return 0;
    const std::int32_t next = layer + 1;
    cKestruneImage* const mirror = view->images.data[next < view->images.count ? next : view->images.count - 1];
    // A mirror layer taken out of the list before belongs to the view alone:
    // replacing it must not lose it.
    bool listed = false;
    for (std::int32_t i = 0; i < view->images.count; ++i)
        listed = listed || view->images.data[i] == view->mirrorLayer;
    // It may be drawing now: a script that runs from its own callback lands here.
    if (view->mirrorLayer && view->mirrorLayer != mirror && !listed)
        RetireForDeletion(view->mirrorLayer);
    view->mirrorLayer = mirror;
    mirror->alphaTest = 0;
    mirror->SetDepth(kMirrorLayerDepth);
    if (next < view->images.count)
        view->images.RemoveAt(next);
    view->mirrorLayerIndex = next;
    return 0;
}

std::int32_t cOutput__CreateFloorMirror(ScriptCallFrame* frame)
{
    if (cKestruneView* const view = ViewArgument(frame, 0))
        view->floorMirror = 1;
    return 0;
}

std::int32_t cOutput__CreateMirror(ScriptCallFrame* frame)
{
    cKestruneView* const view = ViewArgument(frame, 0);
    if (!view)
        return 0;
    KestruneMirrorRecord mirror;
    for (std::int32_t i = 0; i < 4; ++i)
        mirror.plane[i] = frame->Argument(i + 1).floatValue;
    view->mirrors.Add(mirror);
    return 0;
}

std::int32_t cOutput__RemoveMirrors(ScriptCallFrame* frame)
{
    if (cKestruneView* const view = ViewArgument(frame, 0))
        view->mirrors.count = 0;
    return 0;
}

std::int32_t cOutput__Fade(ScriptCallFrame* frame)
{
    HideHints();
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (!gameplay)
        return 0;
    const float seconds = frame->Argument(0).floatValue;
    // A fade of no length has already ended when the next frame looks.
    gameplay->fadeRate = seconds > 0.0f ? 1.0f / seconds : 1.0e9f;
    gameplay->fadeStart = timeGetTime();
    const std::int32_t direction = frame->Argument(1).intValue;
    if (direction == 0)
        gameplay->fadeActive = 1;
    else if (direction == 1)
        gameplay->fadeActive = 2;
    gameplay->fadeSound = frame->Argument(2).boolValue;
    const char* const function = frame->Argument(3).GetText();
    gameplay->fadeScript = function[0] ? frame->script : nullptr;
    gameplay->fadeFunction = function;
    return 0;
}

std::int32_t cOutput__SetAmbientLight(ScriptCallFrame* frame)
{
    if (cKestruneSprites* const sprites = cKestruneSprites::Current())
        for (std::int32_t i = 0; i < 3; ++i)
            sprites->ambient[i] = frame->Argument(i).floatValue;
    return 0;
}

std::int32_t cOutput__AddLight(ScriptCallFrame* frame)
{
    if (cKestruneSprites* const sprites = cKestruneSprites::Current())
        sprites->AddLight(frame->Argument(0).floatValue, frame->Argument(1).floatValue, frame->Argument(2).floatValue,
                          frame->Argument(3).floatValue, frame->Argument(4).floatValue, frame->Argument(5).floatValue,
                          frame->Argument(6).floatValue);
    return 0;
}

std::int32_t cOutput__SetLightEnable(ScriptCallFrame* frame)
{
    cKestruneSprites* const sprites = cKestruneSprites::Current();
    const std::int32_t light = frame->Argument(0).intValue;
    if (sprites && light >= 0 && light < sprites->lights.count)
        sprites->lights.data[light].enabled = frame->Argument(1).boolValue;
    return 0;
}

std::int32_t cOutput__SetShadowVector(ScriptCallFrame* frame)
{
    if (cKestruneSprites* const sprites = cKestruneSprites::Current())
        for (std::int32_t i = 0; i < 3; ++i)
            sprites->shadowVector[i] = frame->Argument(i).floatValue;
    return 0;
}

std::int32_t cOutput__PlayMusic(ScriptCallFrame* frame)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        sound->PlayMusic(frame->Argument(0).GetText(), frame->script, frame->Argument(1).GetText(),
                         static_cast<std::uint32_t>(frame->Argument(2).intValue), false);
    return 0;
}

std::int32_t cOutput__StopMusic(ScriptCallFrame* frame)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        sound->StopMusic(frame->Argument(0).floatValue, static_cast<std::uint32_t>(frame->Argument(1).intValue));
    return 0;
}

std::int32_t cOutput__SetupSound(ScriptCallFrame* frame)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        sound->SetupSound(frame->Argument(0).intValue, frame->Argument(1).GetText(),
                          static_cast<std::uint32_t>(frame->Argument(2).intValue));
    return 0;
}

std::int32_t cOutput__LoadSound(ScriptCallFrame* frame)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        sound->LoadSound(frame->Argument(0).intValue);
    return 0;
}

std::int32_t cOutput__PlaySound(ScriptCallFrame* frame)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        sound->PlaySound(frame->Argument(0).intValue, frame->Argument(1).floatValue, frame->Argument(2).floatValue,
                         frame->script, frame->Argument(3).GetText(),
                         static_cast<std::uint32_t>(frame->Argument(4).intValue));
    return 0;
}

std::int32_t cOutput__StopSound(ScriptCallFrame* frame)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        sound->StopSound(frame->Argument(0).intValue);
    return 0;
}

std::int32_t cOutput__PlayEmittedSound(ScriptCallFrame* frame)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        sound->PlayEmittedSound(frame->Argument(0).intValue, frame->Argument(1).floatValue,
                                frame->Argument(2).floatValue, frame->Argument(3).floatValue,
                                frame->Argument(4).floatValue, frame->script, frame->Argument(5).GetText(),
                                frame->Argument(6).intValue);
    return 0;
}

std::int32_t cOutput__SetFootstepSound(ScriptCallFrame* frame)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        sound->footstepSound = frame->Argument(0).intValue;
    return 0;
}

std::int32_t cOutput__AddHint(ScriptCallFrame* frame)
{
    if (cKestruneHints* const hints = NativeHost().Hints())
        hints->AddHint(frame->Argument(0).intValue, frame->Argument(1).intValue, frame->Argument(2).intValue,
                       frame->Argument(3).intValue, frame->Argument(4).intValue);
    return 0;
}

} // namespace

void RegisterOutputNatives()
{
    struct Entry {
        const char* name;
        ScriptNative native;
    };
    static const Entry kNatives[] = {
        {"cOutput__PutCaption", cOutput__PutCaption},
        {"cOutput__Print", cOutput__Print},
        {"cOutput__CreateWeather", cOutput__CreateWeather},
        {"cOutput__CreateParticleFountain", cOutput__CreateParticleFountain},
        {"cOutput__LoadOverlayIntoView", cOutput__LoadOverlayIntoView},
        {"cOutput__SetOverlayMode", cOutput__SetOverlayMode},
        {"cOutput__SetOverlayFrame", cOutput__SetOverlayFrame},
        {"cOutput__SetOverlayCallback", cOutput__SetOverlayCallback},
        {"cOutput__PlayVideo", cOutput__PlayVideo},
        {"cOutput__PlayRealtimeVideo", cOutput__PlayRealtimeVideo},
        {"cOutput__SetVideoCallback", cOutput__SetVideoCallback},
        {"cOutput__SetMirrorLayer", cOutput__SetMirrorLayer},
        {"cOutput__CreateFloorMirror", cOutput__CreateFloorMirror},
        {"cOutput__CreateMirror", cOutput__CreateMirror},
        {"cOutput__RemoveMirrors", cOutput__RemoveMirrors},
        {"cOutput__Fade", cOutput__Fade},
        {"cOutput__SetAmbientLight", cOutput__SetAmbientLight},
        {"cOutput__AddLight", cOutput__AddLight},
        {"cOutput__SetLightEnable", cOutput__SetLightEnable},
        {"cOutput__SetShadowVector", cOutput__SetShadowVector},
        {"cOutput__PlayMusic", cOutput__PlayMusic},
        {"cOutput__StopMusic", cOutput__StopMusic},
        {"cOutput__SetupSound", cOutput__SetupSound},
        {"cOutput__LoadSound", cOutput__LoadSound},
        {"cOutput__PlaySound", cOutput__PlaySound},
        {"cOutput__StopSound", cOutput__StopSound},
        {"cOutput__PlayEmittedSound", cOutput__PlayEmittedSound},
        {"cOutput__SetFootstepSound", cOutput__SetFootstepSound},
        {"cOutput__AddHint", cOutput__AddHint},
    };
    for (const Entry& entry : kNatives)
        RegisterScriptNative(entry.name, entry.native);
}
