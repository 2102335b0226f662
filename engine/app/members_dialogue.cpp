#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"

namespace {

// The gameplay object owns the dialogue player; it is asked for while the
// gameplay object is still being made, so the newest one is used.
cKestruneDialogue* Dialogue()
{
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    return gameplay ? gameplay->dialogue : nullptr;
}

} // namespace

int32_t cKestruneDefaultMembers::DialogueState(cKestruneEngine&)
{
    const cKestruneDialogue* const dialogue = Dialogue();
    return dialogue ? dialogue->state : 0;
}

bool cKestruneDefaultMembers::DialogueSpeechPlaying(cKestruneEngine&)
{
    const cKestruneDialogue* const dialogue = Dialogue();
    return dialogue && dialogue->SpeechLine() && !UiHost().SpeechDone();
}

void cKestruneDefaultMembers::StopDialogueSpeech(cKestruneEngine&) { UiHost().StopSpeech(); }

void cKestruneDefaultMembers::EndDialogueLine(cKestruneEngine&)
{
    if (cKestruneDialogue* const dialogue = Dialogue())
        dialogue->EndLine();
}

int32_t cKestruneEngineGraphicsHost::DialogueState()
{
    const cKestruneDialogue* const dialogue = Dialogue();
    return dialogue ? dialogue->state : 0;
}

const void* cKestruneEngineGraphicsHost::TakeDialogueHighlight()
{
    cKestruneDialogue* const dialogue = Dialogue();
    return dialogue ? dialogue->TakeHighlight() : nullptr;
}

void cKestruneEngineWorldHost::CreateDialogue()
{
    if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current()) {
        delete gameplay->dialogue;
        gameplay->dialogue = new cKestruneDialogue();
    }
}

void cKestruneEngineWorldHost::DeleteDialogue()
{
    if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current()) {
        delete gameplay->dialogue;
        gameplay->dialogue = nullptr;
    }
}

int32_t cKestruneEngineWorldHost::DialogueState()
{
    const cKestruneDialogue* const dialogue = Dialogue();
    return dialogue ? dialogue->state : 0;
}

void cKestruneEngineWorldHost::ResetDialogue()
{
    if (cKestruneDialogue* const dialogue = Dialogue())
        dialogue->Reset();
}

void cKestruneEngineWorldHost::UpdateDialogue()
{
    if (cKestruneDialogue* const dialogue = Dialogue())
        dialogue->Update();
}
