// The view's settings and the game options in the registry.
#pragma once

#include "game/gamestate.h"
#include "game/view/view_logic.h"

class CRegistryKey;

namespace view {

extern const char kGameOptionsKey[];  // "GameOptions"

// app: the application key. Missing values keep the defaults; the result
// is clamped.
void ReadViewSettings(CRegistryKey& app, ViewSettings* s);
// Nonzero when all eight values were written.
int WriteViewSettings(CRegistryKey& app, const ViewSettings& s);

// Reads "GameOptions" below app into c (defaults for what is missing, then
// clamped).
void ReadGameOptions(CRegistryKey& app, game::GameConfig* c);

// True when folder holds "Main\Info.html".
bool FolderHasInfoPage(const char* folder);

}  // namespace view
