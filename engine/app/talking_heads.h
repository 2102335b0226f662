#pragma once

#include <cstdint>

class cKestruneCharacter;
class cKestruneMeshSprite;

// Character models drawn by the user interface in a viewport of their own:
// the messenger's talking head and the chat control's close-up.

// Places the model so that its "bip_brows" bone sits at the origin that the
// head cameras look at; a model without that bone stays where it is.
void CentreOnBrows(cKestruneMeshSprite& model);

// A character wearing "<model>.gr2", lit by full ambient light, without a
// shadow, never idle and speaking in colour; null when the model is missing
// or does not read.
cKestruneCharacter* MakeTalkingHead(const char* model, uint32_t colour);

// Advances the character's animation and draws its model with the identity
// world matrix and no shadow, into the viewport and camera the caller set.
void DrawCloseUp(cKestruneCharacter& character);
