#include "engine/ui/kestrune_dialogue.h"

#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/script/kestrune_script.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/world_host.h"

#include <cstring>

namespace {

constexpr int32_t kFont = 0;
constexpr uint32_t kLineFlags = kTextCentre | kTextWrap;
constexpr int32_t kLineCentreX = 512;
constexpr uint32_t kSecondsPerTextLine = 3;
constexpr float kPrintWaitSeconds = 3.0f;
constexpr int32_t kCursorNormal = 0;
constexpr int32_t kCursorOption = 12;
constexpr int32_t kBarClosing = 4;
constexpr float kPanelDepth = 0.1f;
constexpr float kPanelRhw = 10.0f;
constexpr float kPanelRight = 1023.0f;
constexpr DWORD kPanelColours[4] = {0x60F0FFFF, 0x40C0D0FF, 0x10C0D0FF, 0x28E8F0FF};
constexpr int32_t kBandBottom = 640;

int32_t LineHeight()
{
    const cKestruneFonts* const fonts = cKestruneFonts::Current();
    return fonts ? fonts->fonts[kFont].lineHeight : 0;
}


void RunIfLive(const cScriptRef& ref, const char* start)
{
    if (cKestruneScript* const script = ref.Get())
        script->Run(start);
}

void RunOwned(cKestruneScript* script, const char* start)
{
    if (script)
        script->Run(start);
}

} // namespace

std::string StripLineMarker(const char* text)
{
    if (text && text[0] == '_' && text[1] != 0)
        return text + 1;
    return text ? text : "";
}

cKestruneDialogue::cKestruneDialogue()
{
    exitEntry.caption = "exit";
}

cKestruneDialogue::~cKestruneDialogue()
{
    ReleaseEntryTexts();
    DeleteEntries();
    ReleaseLiveText(lineText);
    DeleteScript(script);
}

int32_t cKestruneDialogue::Play(int32_t slot, const char* dialogueName)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    if (!files)
        return -1;
    const int64_t size = files->GetRemaining(slot);
    if (size < 4)
        return -1;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (files->Read(slot, bytes.data(), static_cast<int32_t>(size)) != 0)
        return -1;
    return PlayFromMemory(bytes.data(), bytes.size(), dialogueName);
}

int32_t cKestruneDialogue::PlayFromMemory(const uint8_t* bytes, size_t size, const char* dialogueName)
{
    if (size < 4)
        return -1;
    uint32_t count = 0;
    std::memcpy(&count, bytes, 4);
    auto* loaded = new cKestruneScript();
    // A damaged script, or a count no record could hold, leaves the dialogue
    // that plays now as it is.
    if (loaded->LoadFromMemory(bytes + 4, size - 4) != 0 || count >= 0x10000) {
        DeleteScript(loaded);
        return -1;
    }
    name = dialogueName;
    optionCount = count;
    DeleteScript(script);
    script = loaded;
    chosenRecord = -1;
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].name == dialogueName)
            chosenRecord = static_cast<int32_t>(i);
    if (chosenRecord < 0) {
        records.push_back({cString(dialogueName), std::vector<uint32_t>(count + 1, 0)});
        chosenRecord = static_cast<int32_t>(records.size()) - 1;
    }
    return 0;
}

void cKestruneDialogue::Start()
{
    uint32_t& gameState = UiGameState();
    if (gameState & cKestruneGameplay::kBarOpen) {
        gameState &= ~cKestruneGameplay::kBarOpen;
        WorldHost().SetInventoryBarState(kBarClosing);
    }
    state = kIdle;
    printed = 0;
    goUp = 1;
    exitEntry.number = 0;
    exitEntry.caption = "exit";
    WorldHost().SetCursor(kCursorNormal);
    ReleaseEntryTexts();
    DeleteEntries();
    while (levels.count > 0)
        levels.RemoveAt(levels.count - 1);
    currentLevel = -1;
    RunOwned(script, "onenter");
    // The options onenter added are offered now: the input step only
    // updates a dialogue that is already active.
    ShowOptions();
}

uint32_t* cKestruneDialogue::Flag(int32_t number)
{
    if (chosenRecord < 0 || chosenRecord >= static_cast<int32_t>(records.size()) || number < 0)
        return nullptr;
    std::vector<uint32_t>& flags = records[chosenRecord].flags;
    return static_cast<size_t>(number) < flags.size() ? &flags[number] : nullptr;
}

void cKestruneDialogue::AddOption(const char* text, int32_t number)
{
    uint32_t* const flag = number >= 0 && static_cast<uint32_t>(number) <= optionCount ? Flag(number) : nullptr;
    evalResult = flag ? static_cast<int32_t>(*flag) : 1;
    if (script) {
        script->PushFrame();
        script->Run(("eval" + std::to_string(number)).c_str());
        script->PopFrame();
    }
    if (uint32_t* const after = number >= 0 && static_cast<uint32_t>(number) <= optionCount ? Flag(number) : nullptr)
        *after = static_cast<uint32_t>(evalResult);
    auto* entry = new DialogueEntry();
    entry->number = number;
    entry->caption = text ? text : "";
    entries.push_back(entry);
}

void cKestruneDialogue::MarkLastGoUp()
{
    if (!entries.empty())
        entries.back()->number = -1;
}

void cKestruneDialogue::ClearEvalIfUnchosen(int32_t number)
{
    if (const uint32_t* const flag = Flag(number); flag && *flag == 0)
        evalResult = 0;
}

int32_t cKestruneDialogue::OptionShade(int32_t number) const
{
    if (number == -1 || number < 0 || static_cast<uint32_t>(number) > optionCount)
        return kDim;
    for (const DialogueEntry* entry : entries)
        if (entry->hidden && entry->number == number)
            return kDim;
    const uint32_t* const flag = const_cast<cKestruneDialogue*>(this)->Flag(number);
    return flag && *flag ? kDim : kBright;
}

void cKestruneDialogue::ClearLines()
{
    ReleaseEntryTexts();
    DeleteEntries();
    // The dialogue is over: levels left behind would run its setup hooks and
    // bring its options back at the end of the next line anybody speaks.
    levels.count = 0;
    state = kIdle;
}

void cKestruneDialogue::DeleteEntries()
{
    for (DialogueEntry* entry : entries)
        if (entry != &exitEntry)
            delete entry;
    entries.clear();
    hovered = -1;
    panelSet = 0;
}

void cKestruneDialogue::ReleaseEntryTexts()
{
    for (DialogueEntry* entry : entries)
        ReleaseLiveText(entry->text);
}

void cKestruneDialogue::ReleaseLineText() { ReleaseLiveText(lineText); }

bool cKestruneDialogue::ClickPending(bool right) const
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (!gameplay)
        return false;
    const int32_t event = right ? gameplay->rightEvent : gameplay->leftEvent;
    return event == 1 || event == 2;
}

void cKestruneDialogue::ConsumeClicks()
{
    if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current()) {
        gameplay->leftEvent = 0;
        gameplay->rightEvent = 0;
    }
}

void cKestruneDialogue::ShowOptions()
{
    if (printed || entries.empty() || (UiGameState() & cKestruneGameplay::kInputLocked))
        return;
    state = kChoosing;
    if (levels.count > 0)
        currentLevel = levels.data[levels.count - 1];
    if (entries.back() != &exitEntry)
        entries.push_back(&exitEntry);
    cKestruneFonts* const fonts = cKestruneFonts::Current();
    const int32_t height = LineHeight();
    int32_t y = kBandBottom + height;
    for (DialogueEntry* entry : entries) {
        ReleaseLiveText(entry->text);
        const char* caption = entry->caption.GetText();
        while (*caption == ' ')
            ++caption;
        if (fonts) {
            const DWORD shade = static_cast<DWORD>(OptionShade(entry->number));
            if (cKestruneText* const text = fonts->CreateText(kFont, caption, kOptionX, y, shade, 0))
                entry->text = text->Handle();
        }
        entry->height = height;
        entry->y = y;
        y += height;
    }
    hovered = -1;
    panelSet = 0;
    ConsumeClicks();
}

void cKestruneDialogue::Highlight(int32_t index)
{
    cKestruneFonts* const fonts = cKestruneFonts::Current();
    if (hovered >= 0 && hovered < EntryCount() && fonts)
        if (cKestruneText* const text = LiveText(entries[hovered]->text))
            fonts->SetTextColor(text, static_cast<DWORD>(OptionShade(entries[hovered]->number)));
    hovered = index;
    WorldHost().SetCursor(index >= 0 ? kCursorOption : kCursorNormal);
    if (index < 0)
        return;
    const DialogueEntry& entry = *entries[index];
    if (fonts)
        if (cKestruneText* const text = LiveText(entry.text))
            fonts->SetTextColor(text, static_cast<DWORD>(kHighlight));
    const float top = static_cast<float>(entry.y - entry.height), bottom = static_cast<float>(entry.y);
    const float corners[4][2] = {{0.0f, top}, {kPanelRight, top}, {kPanelRight, bottom}, {0.0f, bottom}};
    for (int i = 0; i < 4; ++i)
        panel[i] = {corners[i][0], corners[i][1], kPanelDepth, kPanelRhw, kPanelColours[i]};
}

const KestruneScreenVertex* cKestruneDialogue::TakeHighlight()
{
    if (!panelSet)
        return nullptr;
    panelSet = 0;
    return panel;
}

void cKestruneDialogue::Update()
{
    // Lines that another line took over give their scripts back first.
    std::vector<Waiting> waiting;
    waiting.swap(displaced_);
    for (const Waiting& w : waiting)
        RunIfLive(w.script, w.resume.c_str());
    if (state == kChoosing)
        UpdateChoosing();
    else if (state == kLine)
        UpdateLine();
}

void cKestruneDialogue::UpdateChoosing()
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    const int32_t mouseY = gameplay ? gameplay->mouseY : -1;
    int32_t over = -1;
    for (int32_t i = 0; i < EntryCount(); ++i) {
        const DialogueEntry& entry = *entries[i];
        if (entry.y - entry.height - 1 < mouseY && mouseY < entry.y + 1)
            over = i;
    }
    if (over != hovered)
        Highlight(over);
    panelSet = hovered >= 0 ? 1 : 0;
    const bool left = ClickPending(false);
    if (left || ClickPending(true))
        ConsumeClicks();
    if (left && hovered >= 0)
        Choose(hovered);
}

void cKestruneDialogue::RunHook(const char* prefix, int32_t number)
{
    RunOwned(script, (prefix + std::to_string(number)).c_str());
}

void cKestruneDialogue::RunSetupHooks()
{
    while (levels.count > 0 && entries.empty()) {
        const int32_t level = levels.data[levels.count - 1];
        levels.RemoveAt(levels.count - 1);
        RunHook("setup", level);
    }
}

void cKestruneDialogue::Choose(int32_t index)
{
    const int32_t number = entries[index]->number;
    ReleaseEntryTexts();
    state = kIdle;
    WorldHost().SetCursor(kCursorNormal);
    DeleteEntries();
    if (number == -1) {
        RunSetupHooks();
    } else {
        if (uint32_t* const flag = static_cast<uint32_t>(number) <= optionCount ? Flag(number) : nullptr)
            *flag = 1;
        levels.Add(number);
        levels.Add(number);
        RunHook("do", number);
    }
    ShowOptions();
}

void cKestruneDialogue::UpdateLine()
{
    const bool locked = UiGameState() & cKestruneGameplay::kInputLocked;
    const bool clicked = locked && (ClickPending(false) || ClickPending(true));
    if (clicked)
        ConsumeClicks();
    cKestruneUiHost& host = UiHost();
    if (lineIsSpeech) {
        if (clicked && !host.SpeechDone())
            host.StopSpeech();
        if (!clicked && !host.SpeechDone())
            return;
    } else if (!clicked) {
        const uint32_t elapsed = host.FrameTime() - lineStart;
        if (static_cast<int32_t>(elapsed) < static_cast<int32_t>(lineLines_ * kSecondsPerTextLine * 1000))
            return;
    }
    FinishLine();
}

void cKestruneDialogue::EndLine()
{
    if (state != kLine)
        return;
    if (lineIsSpeech)
        UiHost().StopSpeech();
    FinishLine();
}

void cKestruneDialogue::FinishLine()
{
    ReleaseLineText();
    state = kIdle;
    UiGameState() &= ~cKestruneGameplay::kInputLocked;
    const cScriptRef resumed = lineScript;
    const std::string resume = lineResume.GetText();
    lineScript = nullptr;
    RunIfLive(resumed, resume.c_str());
    // The resumed script may have started the next line.
    if (state != kIdle)
        return;
    if (!printed && entries.empty() && !(UiGameState() & cKestruneGameplay::kInputLocked))
        RunSetupHooks();
    ShowOptions();
}

void cKestruneDialogue::Reset()
{
    TakeLineScript();
    ReleaseLineText();
    state = kIdle;
}

void cKestruneDialogue::TakeLineScript()
{
    // A line that is cut off still owes its script the resume.
    if (state == kLine && lineScript)
        displaced_.push_back({lineScript, lineResume.GetText()});
    lineScript = nullptr;
}

void cKestruneDialogue::StartLine(const char* text, const char* speech, ObjectHandle character)
{
    cKestruneUiHost& host = UiHost();
    const DWORD colour = host.TextColour(character);
    ReleaseLineText();
    lineIsSpeech = speech && *speech && host.PlaySpeech(speech, character) ? 1 : 0;
    if (lineIsSpeech && character != kNoObject)
        host.StartLipSync(character, speech);
    lineLines_ = 1;
    if (!lineIsSpeech || host.Subtitle() == 1) {
        if (cKestruneFonts* const fonts = cKestruneFonts::Current()) {
            if (cKestruneText* const made = fonts->CreateText(kFont, text, kLineCentreX, LineHeight(), colour, kLineFlags)) {
                lineText = made->Handle();
                lineLines_ = made->lineCount > 0 ? made->lineCount : 1;
            }
        }
        lineStart = host.FrameTime();
    }
}

void cKestruneDialogue::Say(const char* text, const char* speech, cKestruneScript* caller, ObjectHandle character)
{
    TakeLineScript();
    lineScript = caller;
    if (caller)
        lineResume = SuspendScript(caller).c_str();
    StartLine(text, speech, character);
    state = kLine;
    UiGameState() |= cKestruneGameplay::kInputLocked;
}

void cKestruneDialogue::SayFree(const char* text, const char* speech, ObjectHandle character, cKestruneScript* caller,
                                const char* function)
{
    if (state != kIdle)
        return;
    const std::string line = StripLineMarker(text);
    lineScript = nullptr;
    if (function && *function) {
        lineScript = caller;
        lineResume = function;
    }
    StartLine(line.c_str(), speech, character);
    state = kLine;
    printed = 1;
}

void cKestruneDialogue::Print(const char* text, cKestruneScript* caller)
{
    if (state < kChoosing || printed) {
        Say(StripLineMarker(text).c_str(), "", caller, kNoObject);
        printed = 1;
        return;
    }
    if (caller) {
        const std::string resume = SuspendScript(caller);
        UiHost().AddTimer(caller, resume.c_str(), kPrintWaitSeconds);
    }
}
