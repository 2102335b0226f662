#pragma once

// A savegame that was there but could not be loaded is moved aside under a
// free name ("lastgame.refused", "lastgame.refused.2", ...) and the log says
// where, so the next write of that name does not lose it. Nothing happens
// when there is no such file. Returns the name it was kept as, or "" when it
// was not there or could not be moved.
#include <string>

std::string KeepRefusedSavegame(const char* fileName);
