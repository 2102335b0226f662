#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

int32_t cKestruneDefaultMembers::DialogueState(cKestruneEngine& engine) { return cKestruneMembers::DialogueState(engine); }
bool cKestruneDefaultMembers::DialogueSpeechPlaying(cKestruneEngine& engine) { return cKestruneMembers::DialogueSpeechPlaying(engine); }
void cKestruneDefaultMembers::StopDialogueSpeech(cKestruneEngine& engine) { cKestruneMembers::StopDialogueSpeech(engine); }
void cKestruneDefaultMembers::EndDialogueLine(cKestruneEngine& engine) { cKestruneMembers::EndDialogueLine(engine); }

int32_t cKestruneEngineGraphicsHost::DialogueState() { return cKestruneGraphicsHost::DialogueState(); }
const void* cKestruneEngineGraphicsHost::TakeDialogueHighlight() { return cKestruneGraphicsHost::TakeDialogueHighlight(); }
