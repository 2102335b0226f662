#pragma once

class cKestruneScene;
class ScriptValue;
struct SavegameBlockHeader;

// The characters a scene owns: read from a savegame into the scene and the
// script variable that names them, and freed with the scene.

// A block without a variable to hold its character is read and dropped, so
// the blocks after it are still found.
void LoadSceneCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file, SavegameBlockHeader& header);
void DeleteSceneCharacters(cKestruneScene& scene);
