#pragma once

// The demo's story pieces: the project's one item, a lantern (its icon,
// cursor picture and script packed in "inventory"), and the short dialogue
// "greeting" that using the lantern starts.

#include "tools/demo/demo_harbour.h"
#include "tools/inventory_writer.h"

#include <vector>

namespace vls::tools {

struct DemoStory {
    std::vector<InventoryItemDescription> items;
    InventoryResource inventory;
    std::vector<DemoResource> resources; // "inventory" and "greeting.dialogue"
};

DemoStory MakeDemoStory();

}  // namespace vls::tools
