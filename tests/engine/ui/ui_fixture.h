#pragma once

// The render world of the render tests (data folder, file system, graphics
// on the recording device, fonts) plus what the user-interface objects need:
// a gameplay object, fresh script tables, a fake ui host with an injected
// clock, and a test native that scripts call to say what ran.

#include "engine/script/kestrune_script.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "tests/engine/render/render_fixture.h"
#include "tools/font_writer.h"
#include "tools/inventory_writer.h"
#include "tools/script_assembler.h"

#include <memory>
#include <string>
#include <vector>

namespace vls::test {

inline std::vector<std::string>& Marks()
{
    static std::vector<std::string> marks;
    return marks;
}

inline int32_t TestMark(ScriptCallFrame* frame)
{
    Marks().push_back(frame->Argument(0).GetText());
    return 0;
}

// Where an image's quad was last placed: its top-left corner.
inline std::pair<int32_t, int32_t> TopLeft(cKestruneImage* image)
{
    BYTE* bits = nullptr;
    if (!image || !image->vertexBuffer || FAILED(image->vertexBuffer->Lock(0, 0, &bits, 0)))
        return {-9999, -9999};
    KestruneImageVertex corner;
    std::memcpy(&corner, bits + 2 * (image->twoTextureSets ? 36 : 28), sizeof corner);
    image->vertexBuffer->Unlock();
    return {static_cast<int32_t>(corner.x), static_cast<int32_t>(corner.y)};
}

class FakeUiHost : public cKestruneNullUiHost {
public:
    FakeUiHost() { SetUiHost(this); }
    ~FakeUiHost() override { SetUiHost(nullptr); }

    uint32_t FrameTime() override { return now; }
    float FrameSeconds() override { return now / 1000.0f; }
    float FrameDeltaSeconds() override { return delta; }
    void AddTimer(cKestruneScript* script, const char* function, float seconds) override
    {
        timers.push_back({script, function, seconds});
    }
    int32_t Subtitle() override { return subtitle; }
    uint32_t TextColour(ObjectHandle character) override { return character == kNoObject ? 0xFF00FF00 : 0xFFFF0000; }
    bool PlaySpeech(const char* name, ObjectHandle character) override
    {
        log.push_back(std::string("speech ") + name + (character ? " by character" : ""));
        speaking = speechExists;
        return speechExists;
    }
    bool SpeechDone() override { return !speaking; }
    void StopSpeech() override
    {
        log.push_back("stop speech");
        speaking = false;
    }
    void StartLipSync(ObjectHandle, const char* name) override { log.push_back(std::string("lips ") + name); }
    void StopPlayerWalk() override { log.push_back("stop walk"); }
    ObjectHandle CreateHead(const char* model, uint32_t) override
    {
        log.push_back(std::string("head ") + model);
        return headHandle;
    }
    void DeleteHead(ObjectHandle head) override { log.push_back("delete head " + std::to_string(head)); }
    void RenderHead(ObjectHandle) override { log.push_back("render head"); }
    void CentreOnBrows(ObjectHandle) override { log.push_back("brows"); }
    void RenderCloseUp(ObjectHandle) override { log.push_back("close-up"); }
    void ShowHints(bool show) override { log.push_back(show ? "hints on" : "hints off"); }
    void CacheMeshSprite(const char* name) override { log.push_back(std::string("cache ") + name); }
    void RunProjectFunction(const char* function) override { log.push_back(std::string("project ") + function); }

    struct Timer {
        cKestruneScript* script;
        std::string function;
        float seconds;
    };
    uint32_t now = 1000;
    float delta = 0.025f;
    int32_t subtitle = 1;
    bool speechExists = false;
    bool speaking = false;
    ObjectHandle headHandle = kNoObject;
    std::vector<Timer> timers;
    std::vector<std::string> log;
};

// A font whose letters advance 10 pixels and spaces 5, lines 20 high.
inline std::string TestFontBytes()
{
    std::vector<uint8_t> out(kFontHeaderSize);
    KestruneFontHeader header;
    std::vector<KestruneGlyph> glyphs;
    for (char16_t c : std::u16string(u"abcdefghijklmnopqrstuvwxyz ")) {
        KestruneGlyph g;
        g.code = c;
        g.width = 8;
        g.height = 10;
        g.topOffset = 10;
        g.advance = c == u' ' ? 5 : 10;
        glyphs.push_back(g);
    }
    header.glyphCount = static_cast<uint16_t>(glyphs.size());
    header.pageCount = 1;
    header.lineHeight = 20;
    WriteFontHeader(header, out.data());
    for (const KestruneGlyph& g : glyphs) {
        uint8_t record[kGlyphRecordSize];
        WriteGlyph(g, record);
        out.insert(out.end(), record, record + kGlyphRecordSize);
    }
    return Bytes(out) + ImageBytes(Solid(16, 16, 0xFFFFFFFF), 0, 0, 1, 1);
}

class UiWorld : public RenderWorld {
protected:
    UiWorld()
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
        RegisterScriptNative("test__Mark", TestMark);
        Marks().clear();
    }
    ~UiWorld() override
    {
        gameplay.reset();
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    // Starts the data folder, the device and a gameplay object in game state 0x207.
    void StartGame()
    {
        data.Add("font1", TestFontBytes());
        data.Add("font2", TestFontBytes());
        Start();
        fonts->Load();
        gameplay = std::make_unique<cKestruneGameplay>();
        gameplay->gameState = 0x207;
        reports.reports.clear();
    }

    static std::vector<uint8_t> Script(const std::string& source) { return tools::AssembleScriptBytes(source); }

    // A script whose named functions mark "<function>" when they run.
    static std::vector<uint8_t> MarkingScript(const std::vector<std::string>& functions, const std::string& extra = "")
    {
        std::string source = "callsite mark test__Mark 1 int\n" + extra;
        for (const std::string& name : functions)
            source += "func " + name + "\n push string \"" + name + "\"\n native - mark\n ret\n";
        source += "end\n";
        return Script(source);
    }

    std::unique_ptr<cKestruneScript> LoadScript(const std::string& source)
    {
        const std::vector<uint8_t> bytes = Script(source);
        auto script = std::make_unique<cKestruneScript>();
        EXPECT_EQ(script->LoadFromMemory(bytes.data(), bytes.size()), 0);
        return script;
    }

    // A savegame file written by save, then opened for reading with its first
    // block header read; the descriptor is closed by the caller.
    template <typename Save>
    int SaveAndReopen(Save save, SavegameBlockHeader& header)
    {
        const std::string path = (work_.path() / "blocks.sav").string();
        int file = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        save(file);
        WriteSavegameBlockHeader(file, "END", "", 0);
        _close(file);
        file = _open(path.c_str(), _O_RDONLY | _O_BINARY);
        ReadSavegameBlockHeader(file, header);
        return file;
    }

    ScriptGlobalTable globals;
    ScriptNativeCache natives;
    FakeUiHost ui;
    std::unique_ptr<cKestruneGameplay> gameplay;
};

} // namespace vls::test
