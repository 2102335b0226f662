#pragma once

#include "engine/app/engine_members.h"
#include "engine/app/kestrune_engine.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vls::test {

// Stands in for every engine member: records what the engine asks, in order,
// and answers from plain fields the test sets.
class FakeMembers : public cKestruneMembers {
public:
    std::vector<std::string> calls;

    // Start-up: members named here do not come up.
    std::set<KestruneMember> failing;
    // Main loop: FrameDue answers from this list (true once it runs out), and
    // the loop sets quit after this many frames.
    std::vector<bool> frameAnswers;
    int framesUntilQuit = 1;
    int32_t lastgameResult = -1;
    int32_t sceneLoadResult = 0;

    // Input.
    bool gameplay = true;
    int32_t maxX = 1020, maxY = 764;
    int32_t mouseX = -1, mouseY = -1;
    int32_t leftEvent = 0, rightEvent = 0;
    uint32_t gameState = 0x207;
    bool walking = false, scriptedWait = false;
    std::set<std::string> items = {"Messenger"};
    int32_t dialogueState = 0;
    bool speechPlaying = false;
    bool menuPresent = true, menuOpen = false;
    int32_t menuScreen = 1, menuControl = 0;
    std::set<const cKestruneVideo*> realtimeVideos;
    // The engine's video queue: each queued video and the one behind it.
    std::map<cKestruneVideo*, cKestruneVideo*> queuedBehind;
    bool hints = true, graphics = true;

    void Record(const std::string& call) { calls.push_back(call); }

    static const char* Name(KestruneMember member)
    {
        static const char* const names[] = {"timer", "fileSystem", "graphics", "sprites", "sound", "fonts",
            "inventory", "messenger", "gameplay", "hints", "menu", "scene", "pendingScene", "video", "queuedVideo"};
        return names[static_cast<int>(member)];
    }

    bool Create(cKestruneEngine&, KestruneMember member) override
    {
        Record(std::string("create ") + Name(member));
        return !failing.count(member);
    }
    void Destroy(cKestruneEngine&, KestruneMember member) override { Record(std::string("destroy ") + Name(member)); }

    void SetGameState(cKestruneEngine&, uint32_t state) override { Record("state " + std::to_string(state)); }
    int32_t LoadSavegame(cKestruneEngine& engine, const char* name) override
    {
        Record(std::string("load ") + name);
        if (std::string(name) != "lastgame")
            engine.loadRequest = 0;
        return lastgameResult;
    }
    int32_t RunProjectFunction(cKestruneEngine&, const char* function) override
    {
        Record(std::string("run ") + function);
        return 0;
    }
    void NewGame(cKestruneEngine& engine) override
    {
        Record("new game");
        engine.newGameRequest = 0;
    }
    bool FrameDue(cKestruneEngine&) override
    {
        bool due = true;
        if (!frameAnswers.empty()) {
            due = frameAnswers.front();
            frameAnswers.erase(frameAnswers.begin());
        }
        Record(due ? "due" : "not due");
        return due;
    }
    void UpdateSound(cKestruneEngine&) override { Record("sound"); }
    void InputStep(cKestruneEngine&) override { Record("input"); }
    void DrawFrame(cKestruneEngine& engine) override
    {
        Record("frame");
        if (--framesUntilQuit == 0)
            engine.quit = 1;
    }

    void LeaveScene(cKestruneScene* scene, int32_t flag) override { Record("leave " + Id(scene) + " " + std::to_string(flag)); }
    void DeleteScene(cKestruneScene* scene) override { Record("delete " + Id(scene)); }
    int32_t LoadScene(cKestruneScene* scene) override
    {
        Record("load scene " + Id(scene));
        return sceneLoadResult;
    }
    void CloseSceneSlot(cKestruneScene* scene) override { Record("close " + Id(scene)); }
    void EnterScene(cKestruneScene* scene, int32_t flag) override { Record("enter " + Id(scene) + " " + std::to_string(flag)); }

    std::map<const cKestruneScript*, uint32_t> scriptIds;
    uint32_t ScriptIdentity(const cKestruneScript* script) override
    {
        const auto found = scriptIds.find(script);
        return found == scriptIds.end() ? 0 : found->second;
    }

    bool HasGameplay(cKestruneEngine&) override { return gameplay; }
    void GetMouseLimits(cKestruneEngine&, int32_t& x, int32_t& y) override
    {
        x = maxX;
        y = maxY;
    }
    void SetMouse(cKestruneEngine&, int32_t x, int32_t y) override
    {
        mouseX = x;
        mouseY = y;
    }
    int32_t* ButtonEvent(cKestruneEngine&, bool right) override
    {
        if (!gameplay)
            return nullptr;
        return right ? &rightEvent : &leftEvent;
    }
    uint32_t GameState(cKestruneEngine&) override { return gameState; }
    bool PlayerWalking(cKestruneEngine&) override { return walking; }
    bool ScriptedWaitPending(cKestruneEngine&) override { return scriptedWait; }
    bool HasInventoryItem(cKestruneEngine&, const char* name) override { return items.count(name) > 0; }
    int32_t DialogueState(cKestruneEngine&) override { return dialogueState; }
    bool DialogueSpeechPlaying(cKestruneEngine&) override { return speechPlaying; }
    void StopDialogueSpeech(cKestruneEngine&) override { Record("stop speech"); }
    void EndDialogueLine(cKestruneEngine&) override { Record("end line"); }
    bool MenuOpen(cKestruneEngine&) override { return menuPresent && menuOpen; }
    int32_t MenuScreen(cKestruneEngine&) override { return menuScreen; }
    int32_t MenuActiveControl(cKestruneEngine&) override { return menuControl; }
    void OpenMenu(cKestruneEngine&) override
    {
        Record("open menu");
        menuOpen = true;
        menuScreen = 1;
    }
    void CloseMenu(cKestruneEngine&) override
    {
        Record("close menu");
        menuOpen = false;
    }
    void MenuToMainScreen(cKestruneEngine&) override
    {
        Record("menu main");
        menuScreen = 1;
    }
    void MenuNameEntry(cKestruneEngine&, WPARAM character) override { Record("name entry " + std::to_string(character)); }
    bool VideoRealtime(cKestruneVideo* video) override { return realtimeVideos.count(video) > 0; }
    void ResumeVideoScript(cKestruneVideo* video) override { Record("resume " + Id(video)); }
    void DeleteVideo(cKestruneVideo* video) override { Record("delete video " + Id(video)); }
    cKestruneVideo* UnlinkQueuedVideo(cKestruneVideo* video) override
    {
        const auto found = queuedBehind.find(video);
        if (found == queuedBehind.end())
            return nullptr;
        cKestruneVideo* const rest = found->second;
        queuedBehind.erase(found);
        return rest;
    }
    bool HasHints(cKestruneEngine&) override { return hints; }
    void ShowHints(cKestruneEngine&, bool show) override { Record(show ? "show hints" : "hide hints"); }
    bool HasGraphics(cKestruneEngine&) override { return graphics; }
    void SaveScreenshot(cKestruneEngine&, const char* fileName) override { Record(std::string("screenshot ") + fileName); }

    // Objects the engine only passes around are stood for by small numbers.
    template <typename T>
    static T* Object(uintptr_t n)
    {
        return reinterpret_cast<T*>(n << 4);
    }
    template <typename T>
    static std::string Id(T* object)
    {
        return std::to_string(reinterpret_cast<uintptr_t>(object) >> 4);
    }
};

} // namespace vls::test
