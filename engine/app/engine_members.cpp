#include "engine/app/engine_members.h"

bool cKestruneMembers::Create(cKestruneEngine&, KestruneMember) { return false; }
void cKestruneMembers::Destroy(cKestruneEngine&, KestruneMember) {}
void cKestruneMembers::SetGameState(cKestruneEngine&, uint32_t) {}
int32_t cKestruneMembers::LoadSavegame(cKestruneEngine&, const char*) { return -1; }
int32_t cKestruneMembers::RunProjectFunction(cKestruneEngine&, const char*) { return -1; }
void cKestruneMembers::NewGame(cKestruneEngine&) {}
bool cKestruneMembers::FrameDue(cKestruneEngine&) { return true; }
uint32_t cKestruneMembers::FrameTime(cKestruneEngine&) { return 0; }
void cKestruneMembers::UpdateSound(cKestruneEngine&) {}
void cKestruneMembers::InputStep(cKestruneEngine&) {}
void cKestruneMembers::DrawFrame(cKestruneEngine&) {}
uint32_t cKestruneMembers::ScriptIdentity(const cKestruneScript*) { return 0; }
void cKestruneMembers::LeaveScene(cKestruneScene*, int32_t) {}
void cKestruneMembers::DeleteScene(cKestruneScene*) {}
int32_t cKestruneMembers::LoadScene(cKestruneScene*) { return -1; }
void cKestruneMembers::CloseSceneSlot(cKestruneScene*) {}
void cKestruneMembers::EnterScene(cKestruneScene*, int32_t) {}
bool cKestruneMembers::HasGameplay(cKestruneEngine&) { return false; }
void cKestruneMembers::GetMouseLimits(cKestruneEngine&, int32_t& maxX, int32_t& maxY) { maxX = maxY = 0; }
void cKestruneMembers::SetMouse(cKestruneEngine&, int32_t, int32_t) {}
int32_t* cKestruneMembers::ButtonEvent(cKestruneEngine&, bool) { return nullptr; }
uint32_t cKestruneMembers::GameState(cKestruneEngine&) { return 0; }
bool cKestruneMembers::PlayerWalking(cKestruneEngine&) { return false; }
bool cKestruneMembers::ScriptedWaitPending(cKestruneEngine&) { return false; }
bool cKestruneMembers::HasInventoryItem(cKestruneEngine&, const char*) { return false; }
int32_t cKestruneMembers::DialogueState(cKestruneEngine&) { return 0; }
bool cKestruneMembers::DialogueSpeechPlaying(cKestruneEngine&) { return false; }
void cKestruneMembers::StopDialogueSpeech(cKestruneEngine&) {}
void cKestruneMembers::EndDialogueLine(cKestruneEngine&) {}
bool cKestruneMembers::MenuOpen(cKestruneEngine&) { return false; }
int32_t cKestruneMembers::MenuScreen(cKestruneEngine&) { return 0; }
int32_t cKestruneMembers::MenuActiveControl(cKestruneEngine&) { return 0; }
void cKestruneMembers::OpenMenu(cKestruneEngine&) {}
void cKestruneMembers::CloseMenu(cKestruneEngine&) {}
void cKestruneMembers::MenuToMainScreen(cKestruneEngine&) {}
void cKestruneMembers::MenuNameEntry(cKestruneEngine&, WPARAM) {}
bool cKestruneMembers::VideoRealtime(cKestruneVideo*) { return false; }
void cKestruneMembers::ResumeVideoScript(cKestruneVideo*) {}
void cKestruneMembers::DeleteVideo(cKestruneVideo*) {}
cKestruneVideo* cKestruneMembers::UnlinkQueuedVideo(cKestruneVideo*) { return nullptr; }
bool cKestruneMembers::HasHints(cKestruneEngine&) { return false; }
void cKestruneMembers::ShowHints(cKestruneEngine&, bool) {}
bool cKestruneMembers::HasGraphics(cKestruneEngine&) { return false; }
void cKestruneMembers::SaveScreenshot(cKestruneEngine&, const char*) {}
