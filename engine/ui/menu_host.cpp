#include "engine/ui/menu_host.h"

namespace {

cKestruneNullMenuHost g_baseHost;
cKestruneMenuHost* g_host = &g_baseHost;

} // namespace

bool cKestruneNullMenuHost::VideoPlaying() { return false; }
int32_t cKestruneNullMenuHost::DialogueState() { return 0; }
int32_t& cKestruneNullMenuHost::Setting(MenuSetting setting) { return settings[static_cast<int>(setting)]; }
bool cKestruneNullMenuHost::DemoData() { return false; }
void cKestruneNullMenuHost::RequestQuit() { quit = true; }
void cKestruneNullMenuHost::RequestNewGame() { newGame = true; }
void cKestruneNullMenuHost::RequestLoad(const char*) { load = true; }
void cKestruneNullMenuHost::SetPreviousSceneName(const char*) {}
void cKestruneNullMenuHost::ClearInventory() {}
void cKestruneNullMenuHost::ClearMessengerItems() {}
void cKestruneNullMenuHost::ClearDialogueRecords() {}
void cKestruneNullMenuHost::DeleteScene() {}

void SetMenuHost(cKestruneMenuHost* host) { g_host = host ? host : &g_baseHost; }
cKestruneMenuHost& MenuHost() { return *g_host; }
