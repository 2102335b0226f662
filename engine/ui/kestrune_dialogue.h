#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/base/object_handles.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/script/script_identity.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class cKestruneScript;
struct SavegameBlockHeader;

// One offered option line. Its text object is reached by handle: leaving a
// scene releases every text.
struct DialogueEntry {
    int32_t number = 0; // -1 goes one level up
    ObjectHandle text = kNoObject;
    cString caption;
    int32_t height = 0;
    int32_t y = 0; // the line's bottom row
    uint8_t hidden = 0;
};

// Which options of one dialogue were chosen: flags[i] is 1 once option i was.
struct DialogueRecord {
    cString name;
    std::vector<uint32_t> flags; // option count + 1 of them
};

// The dialogue player: plays ".dialogue" trees (options in the lower
// letterbox bar, the tree's script hooks) and every spoken or printed line of
// the game, and remembers per dialogue which options were chosen.
class cKestruneDialogue {
public:
    enum State : int32_t { kIdle = 0, kChoosing = 1, kLine = 2 };
    static constexpr int32_t kOptionX = 50;
    static constexpr int32_t kDim = -192;
    static constexpr int32_t kBright = -96;
    static constexpr int32_t kHighlight = -16;
    static constexpr uint32_t kRecordNameSize = 64;

    cKestruneDialogue();
    ~cKestruneDialogue();
    cKestruneDialogue(const cKestruneDialogue&) = delete;
    cKestruneDialogue& operator=(const cKestruneDialogue&) = delete;

    // Reads the option count and the script of a ".dialogue" from the open
    // slot. -1 (nothing changed) when the data is short or damaged.
    int32_t Play(int32_t slot, const char* dialogueName);
    int32_t PlayFromMemory(const uint8_t* bytes, size_t size, const char* dialogueName);
    void Start();
    void Update();
    void Say(const char* text, const char* speech, cKestruneScript* script, ObjectHandle character);
    void SayFree(const char* text, const char* speech, ObjectHandle character, cKestruneScript* script,
                 const char* function);
    void Print(const char* text, cKestruneScript* script);
    void AddOption(const char* text, int32_t number);
    // The last option becomes the one that goes a level up.
    void MarkLastGoUp();
    void ClearLines();
    int32_t OptionShade(int32_t number) const;
    // Sets the evaluation result to 0 when option number has not been chosen
    // (its flag is 0); an index outside the record changes nothing.
    void ClearEvalIfUnchosen(int32_t number);
    // No dialogue running (a scene was entered); a script waiting on the
    // line is resumed at the next update instead of being lost.
    void Reset();
    // Ends the playing line now (a key that skips it), as a click would.
    void EndLine();
    bool SpeechLine() const { return state == kLine && lineIsSpeech; }

    // The highlight panel once per call while it is set (the frame draws it).
    const KestruneScreenVertex* TakeHighlight();

    void SaveBlock(int file) const;
    void LoadBlock(SavegameBlockHeader& header, int file);
    // The payload alone (fuzzing and tests).
    void ReadPayload(const uint8_t* bytes, size_t size);

    const DialogueRecord* ChosenRecord() const
    {
        return chosenRecord >= 0 && chosenRecord < static_cast<int32_t>(records.size()) ? &records[chosenRecord]
                                                                                          : nullptr;
    }
    int32_t EntryCount() const { return static_cast<int32_t>(entries.size()); }
    const DialogueEntry& Entry(int32_t i) const { return *entries[i]; }

    // Fields, in the engine's order.
    cString name;
    std::vector<DialogueEntry*> entries; // exitEntry is listed, never owned
    DialogueEntry exitEntry;
    int32_t goUp = 0;
    int32_t hovered = -1;
    int32_t state = kIdle;
    int32_t currentLevel = -1;
    DynArray<int32_t> levels;
    int32_t chosenRecord = -1;
    std::vector<DialogueRecord> records;
    uint32_t optionCount = 0;
    int32_t evalResult = 0;
    cKestruneScript* script = nullptr; // owned: the tree's hooks
    KestruneScreenVertex panel[4] = {};
    uint8_t panelSet = 0;
    uint8_t lineIsSpeech = 0;
    uint8_t printed = 0;
    ObjectHandle lineText = kNoObject;
    uint32_t lineStart = 0;
    cScriptRef lineScript; // the script waiting on the line
    cString lineResume;

private:
    struct Waiting {
        cScriptRef script;
        std::string resume;
    };

    void UpdateChoosing();
    void UpdateLine();
    void ShowOptions();
    void Choose(int32_t index);
    void RunHook(const char* prefix, int32_t number);
    void RunSetupHooks();
    void DeleteEntries();
    void ReleaseEntryTexts();
    void ReleaseLineText();
    void StartLine(const char* text, const char* speech, ObjectHandle character);
    void TakeLineScript();
    void FinishLine();
    void Highlight(int32_t index);
    uint32_t* Flag(int32_t number);
    bool ClickPending(bool right) const;
    void ConsumeClicks();

    // Scripts whose line another line took over; they resume at the next update.
    std::vector<Waiting> displaced_;
    int32_t lineLines_ = 1;
};

// Leading "_" of a printed or free line goes (a lone "_" stays).
std::string StripLineMarker(const char* text);
