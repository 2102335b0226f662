#include "engine/natives/native_host.h"

#include "engine/render/kestrune_video.h"

namespace {

cKestruneNativeHost g_baseHost;
cKestruneNativeHost* g_host = &g_baseHost;

} // namespace

const char* cKestruneNativeHost::PreviousSceneName() { return ""; }
void cKestruneNativeHost::RequestNewGame() {}
void cKestruneNativeHost::AddRoomTimer(cKestruneScript*, const char*, float) {}
cKestruneHints* cKestruneNativeHost::Hints() { return nullptr; }
bool cKestruneNativeHost::MenuOpen() { return false; }
bool cKestruneNativeHost::HasInventoryItem(const char*) { return false; }
cKestruneVideo* cKestruneNativeHost::CurrentVideo() { return nullptr; }
void cKestruneNativeHost::QueueVideo(cKestruneVideo* video) { delete video; }
void cKestruneNativeHost::OpenMessenger() {}
void cKestruneNativeHost::CloseMessenger() {}
void cKestruneNativeHost::CloseMessengerConnection() {}
void cKestruneNativeHost::AddMessengerItem(const char*, const char*, const char*, const char*, uint32_t) {}
void cKestruneNativeHost::Print(const char*, const char*, cKestruneScript*) {}

void SetNativeHost(cKestruneNativeHost* host) { g_host = host ? host : &g_baseHost; }
cKestruneNativeHost& NativeHost() { return *g_host; }
