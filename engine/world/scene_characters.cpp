#include "engine/world/scene_characters.h"

#include "engine/script/script_value.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_scene.h"

#include <cstdint>

void LoadSceneCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file, SavegameBlockHeader& header)
{
    auto* const character = new cKestruneCharacter();
    if (!character->LoadBlock(file, header, variable != nullptr) || !variable) {
        delete character;
        return;
    }
    variable->object = character->Handle();
    scene.characters.Add(character);
}

void DeleteSceneCharacters(cKestruneScene& scene)
{
    for (std::int32_t i = 0; i < scene.characters.count; ++i)
        delete scene.characters.data[i];
    scene.characters.count = 0;
}
