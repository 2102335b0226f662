#pragma once

namespace vls::backend {

// The exit status of a program whose display went away under it.
constexpr int kDisplayLostStatus = 70;

// Makes a lost connection to the X server a fatal error of its own: a report
// on standard error (and in the log, when standard output is one), then the
// process ends at once. The ordinary exit would tear windows down through the
// dead connection, and Xlib waits on that for ever.
void WatchForLostDisplay();

}  // namespace vls::backend
