#pragma once

#include "engine/base/kestrune_string.h"
#include "engine/base/object_handles.h"
#include "engine/script/script_value.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/script/script_identity.h"
#include "platform/granny/granny_types.h"

#include <cstdint>
#include <string>

class cKestruneImage;
class cKestruneScene;
class cKestruneScript;

// A modal full-screen interaction over the scene. The gameplay object owns
// at most one: it hands the control all input until done is set, then
// deletes it; the frame draws it after the inventory bar.
class cKestruneScreenControl {
public:
    static constexpr int32_t kCursorExit = 13;
    static constexpr int32_t kCursorPage = 10;
    static constexpr int32_t kCursorNormal = 0;
    static constexpr int32_t kCursorNone = -1;
    static constexpr int32_t kExitBorder = 100;

    virtual ~cKestruneScreenControl() = default;
    cKestruneScreenControl(const cKestruneScreenControl&) = delete;
    cKestruneScreenControl& operator=(const cKestruneScreenControl&) = delete;

    virtual void Input() {}
    virtual void Render() {}

    uint8_t done = 0;
    uint8_t enabled = 1;

protected:
    // Stops the player's walk: the control takes over.
    cKestruneScreenControl();
};

// Whether the screen point lies in the hotspot (inside an outline, outside its holes).
bool ScreenHotspotContains(const cKestruneHotspot& hotspot, int32_t x, int32_t y);

// A picture to look at; any click on the screen's frame closes it.
class cKestruneImageControl : public cKestruneScreenControl {
public:
    cKestruneImageControl(const char* name, cKestruneScript* script, const char* function);
    ~cKestruneImageControl() override;
    void Input() override;
    void Render() override;

    cKestruneImage* image = nullptr;
    cScriptRef script;
    cString function;
    cKestruneHotspot exitHotspot;
};

// A book: pages "<name>NN.image" turned by the left and right page strips.
class cKestruneDiaryControl : public cKestruneScreenControl {
public:
    cKestruneDiaryControl(const char* name, int32_t pageCount, cKestruneScript* script, const char* function);
    ~cKestruneDiaryControl() override;
    void Input() override;
    void Render() override;
    void LoadPage();

    cKestruneImage* page = nullptr;
    cScriptRef script;
    cString function;
    cKestruneHotspot exitHotspot;
    cKestruneHotspot previousHotspot;
    cKestruneHotspot nextHotspot;
    cString baseName;
    int32_t pageCount = 0;
    int32_t currentPage = 1;
};

// A lighter in the dark: a glow under the mouse lights the background
// through a mask. The calling script goes on from its resume point when the
// frame is clicked.
class cKestruneLighterControl : public cKestruneScreenControl {
public:
    cKestruneLighterControl(const char* background, const char* mask, const char* glow, const char* flame,
                            cKestruneScript* script, const char* resume);
    ~cKestruneLighterControl() override;
    void Input() override;
    void Render() override;

    cKestruneImage* background = nullptr;
    cKestruneImage* mask = nullptr;
    cKestruneImage* glow = nullptr;
    cKestruneImage* flame = nullptr;
    cScriptRef script;
    cString resume;
    // What the call that made the control left for its script: the resume
    // hands it back to the code after the call.
    ScriptValue callResult;
    cKestruneHotspot exitHotspot;
    bool overExit = false;

private:
    void MoveMask(int32_t mouseX, int32_t mouseY);
};

// A close-up of a talking character's head beside a view overlay while a
// dialogue runs; it fades in, and fades out when the dialogue ends. The
// overlay is looked up by name each frame and the character is held by
// handle, so a scene change that frees them is noticed.
class cKestruneChatControl : public cKestruneScreenControl {
public:
    static constexpr int32_t kViewX = 298;
    static constexpr int32_t kViewY = 216;
    static constexpr int32_t kViewWidth = 340;
    static constexpr int32_t kViewHeight = 290;

    cKestruneChatControl(const char* overlayName, ObjectHandle character, cKestruneScript* script,
                         const char* function);
    void Input() override;
    void Render() override;
    cKestruneImage* Overlay() const;

    cString overlayName;
    ObjectHandle character = kNoObject;
    float fade = 0.0f;
    granny_camera camera{};
    cScriptRef script;
    cString function;
    uint8_t closing = 0;
    uint8_t opening = 1;
    cKestruneScene* scene = nullptr; // the scene it was made in; compared, never followed
};

// A head camera for a picture of width x height pixels on the 1024 x 768
// screen (the chat close-up and the messenger's talking head).
void InitializeHeadCamera(granny_camera& camera, int32_t width, int32_t height);

// What the image and diary controls share.
namespace screen_control {
// Runs the dialogue while one is active; true when the control may take the
// input this frame.
bool DialoguePassThrough();
// Consumes the first pending click (left, right, left double, right double).
bool TakeClick(bool singleOnly = false);
void DrawBackdrop();
int32_t MouseX();
int32_t MouseY();
void SetCursor(int32_t cursor);
cKestruneImage* LoadLooping(const std::string& name);
void RunClose(cScriptRef& script, const cString& function);
} // namespace screen_control
