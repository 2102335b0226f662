#pragma once

class cKestruneEngine;

// The engine's answers to the inventory, dialogue, screen controls and
// messenger (members_ui.cpp). Installed with the first of them at start-up
// and removed with the last at shut-down.
void InstallEngineUiHost(cKestruneEngine& engine);
void RemoveEngineUiHost();
