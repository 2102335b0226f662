#pragma once

// The demo's messenger: the pocket device the player carries (the inventory
// item "Messenger", opened with the M key), its pictures and animations, one
// contact, the lighthouse keeper, with his picture and a talking head, and
// the short call with him.

#include "tools/demo/demo_harbour.h"
#include "tools/inventory_writer.h"

#include <string>
#include <vector>

namespace vls::tools {

// Where the device sits in the scene's band, and the head's screen inside it.
namespace messenger {
constexpr int kDeviceX = 60;
constexpr int kDeviceY = 102;
constexpr int kScreenX = 121; // the head's viewport, in band pixels
constexpr int kScreenY = 134;
constexpr int kConnectX = 84; // the call buttons' pictures
constexpr int kDisconnectX = 222;
constexpr int kButtonY = 262;
} // namespace messenger

// The item "Messenger": its icon, cursor picture and script.
InventoryItemDescription MakeMessengerItem();

// The device's pictures, the keeper's picture, head model, call dialogue and
// spoken lines; empty with `error` set when an animation cannot be encoded.
std::vector<DemoResource> MakeMessengerResources(std::string& error);

// The project script's messenger functions: "messenger_open" (which adds the
// keeper as a contact the first time), "messenger_close" and the keeper's
// call "messenger__keeper". Appended to the project's own script.
std::string MessengerProjectScript();

} // namespace vls::tools
