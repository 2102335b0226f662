#pragma once

// The text for an FSOUND_GetError code; "Unknown error" for any other value.
const char* FMOD_ErrorString(int errcode);
