#pragma once

// The engine's exported script natives, one file per script class. Each file
// registers its own class's natives; RegisterEngineNatives registers them all
// and is called by the engine before any script runs.
void RegisterEngineNatives();

void RegisterObjectNatives();    // native_object.cpp: cObject__*
void RegisterInputNatives();     // native_input.cpp: cInput__*
void RegisterSystemNatives();    // native_system.cpp: cSystem__*
void RegisterCharacterNatives(); // native_character.cpp: cCharacter__*
void RegisterOutputNatives();    // native_output.cpp: cOutput__*
