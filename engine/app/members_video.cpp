#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateVideo(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyVideo(cKestruneEngine& engine) { engine.video = nullptr; }

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateQueuedVideo(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyQueuedVideo(cKestruneEngine& engine) { engine.queuedVideo = nullptr; }

bool cKestruneDefaultMembers::VideoRealtime(cKestruneVideo* video) { return cKestruneMembers::VideoRealtime(video); }
void cKestruneDefaultMembers::ResumeVideoScript(cKestruneVideo* video) { cKestruneMembers::ResumeVideoScript(video); }
void cKestruneDefaultMembers::DeleteVideo(cKestruneVideo* video) { cKestruneMembers::DeleteVideo(video); }

bool cKestruneEngineGraphicsHost::HasVideo() { return engine_.video != nullptr; }
void cKestruneEngineGraphicsHost::VideoUpdate() { cKestruneGraphicsHost::VideoUpdate(); }
bool cKestruneEngineGraphicsHost::VideoRealtime() { return cKestruneGraphicsHost::VideoRealtime(); }
void cKestruneEngineGraphicsHost::VideoDraw(int32_t withSubtitles) { cKestruneGraphicsHost::VideoDraw(withSubtitles); }
