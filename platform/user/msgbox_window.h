#pragma once

#include <string>
#include <vector>

namespace vls::user {

constexpr int kOwnBoxNotShown = -2;

// Shows a box of our own windows with the text over a row of buttons and
// waits for a choice: the index of the button (Enter takes the focused one,
// starting at defaultButton; Escape takes cancelButton when it is one),
// -1 when the box was closed without one, or kOwnBoxNotShown when no window
// could be made. A quit request that arrives meanwhile ends the box
// unanswered and stays in the queue.
int ShowOwnMessageBox(const std::string& caption, const std::string& text, const std::vector<std::string>& labels,
                      int defaultButton, int cancelButton);

}  // namespace vls::user
