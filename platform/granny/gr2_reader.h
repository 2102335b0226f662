#pragma once

// Reads ".gr2" content (glTF binary laid out as gr2_layout.h describes) into
// the run-time's records. Everything is checked here, once, so the run-time
// can trust indices and counts afterwards.

#include <cstddef>
#include <memory>
#include <string>

#include "platform/granny/storage.h"

namespace vls::granny {

// Null with a message in error when the content is damaged or breaks a limit.
std::shared_ptr<FileStorage> ReadGr2(const unsigned char* bytes, std::size_t size, std::string* error);

}  // namespace vls::granny
