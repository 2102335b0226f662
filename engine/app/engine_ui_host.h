#pragma once

class cKestruneCharacter;
class cKestruneEngine;

// The engine's answers to the inventory, dialogue, screen controls and
// messenger (members_ui.cpp). Installed with the first of them at start-up
// and removed with the last at shut-down; talking heads still made then go
// with it.
void InstallEngineUiHost(cKestruneEngine& engine);
void RemoveEngineUiHost();

// The live character whose spoken line was started last through the host,
// or null (none, or gone since).
cKestruneCharacter* EngineSpeaker();
