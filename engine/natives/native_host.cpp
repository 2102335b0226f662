#include "engine/natives/native_host.h"

#include "engine/render/kestrune_video.h"

namespace {

cKestruneNullNativeHost g_baseHost;
cKestruneNativeHost* g_host = &g_baseHost;

} // namespace

const char* cKestruneNullNativeHost::PreviousSceneName() { return ""; }
void cKestruneNullNativeHost::RequestNewGame() {}
void cKestruneNullNativeHost::AddRoomTimer(cKestruneScript*, const char*, float) {}
cKestruneHints* cKestruneNullNativeHost::Hints() { return nullptr; }
bool cKestruneNullNativeHost::MenuOpen() { return false; }
bool cKestruneNullNativeHost::HasInventoryItem(const char*) { return false; }
cKestruneVideo* cKestruneNullNativeHost::CurrentVideo() { return nullptr; }
void cKestruneNullNativeHost::QueueVideo(cKestruneVideo* video) { delete video; }
void cKestruneNullNativeHost::OpenMessenger() {}
void cKestruneNullNativeHost::CloseMessenger() {}
void cKestruneNullNativeHost::CloseMessengerConnection() {}
void cKestruneNullNativeHost::AddMessengerItem(const char*, const char*, const char*, const char*, uint32_t) {}
void cKestruneNullNativeHost::Print(const char*, const char*, cKestruneScript*) {}

void SetNativeHost(cKestruneNativeHost* host) { g_host = host ? host : &g_baseHost; }
cKestruneNativeHost& NativeHost() { return *g_host; }
