#include "engine/ui/menu_host.h"

namespace {

cKestruneMenuHost g_baseHost;
cKestruneMenuHost* g_host = &g_baseHost;

} // namespace

bool cKestruneMenuHost::VideoPlaying() { return false; }
int32_t cKestruneMenuHost::DialogueState() { return 0; }
int32_t& cKestruneMenuHost::Setting(MenuSetting setting) { return settings[static_cast<int>(setting)]; }
bool cKestruneMenuHost::DemoData() { return false; }
void cKestruneMenuHost::RequestQuit() { quit = true; }
void cKestruneMenuHost::RequestNewGame() { newGame = true; }
void cKestruneMenuHost::RequestLoad(const char*) { load = true; }
void cKestruneMenuHost::SetPreviousSceneName(const char*) {}
void cKestruneMenuHost::ClearInventory() {}
void cKestruneMenuHost::ClearMessengerItems() {}
void cKestruneMenuHost::ClearDialogueRecords() {}
void cKestruneMenuHost::DeleteScene() {}

void SetMenuHost(cKestruneMenuHost* host) { g_host = host ? host : &g_baseHost; }
cKestruneMenuHost& MenuHost() { return *g_host; }
