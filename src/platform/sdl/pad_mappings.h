// The player's own game-controller mappings: gamecontrollerdb.txt in the
// game's settings folder, in SDL's mapping format (one pad a line, "GUID,name,
// a:b0,..."; '#' starts a comment). They add to SDL's built-in list and
// replace its entries for the same pads; SDL_GAMECONTROLLERCONFIG in the
// environment still wins over both. Needs SDL's game-controller subsystem.
#pragma once

#include <string>

namespace quorvel {

// Adds every mapping in the file at `path` for this platform (lines naming
// another platform are skipped, lines naming none are taken). Returns one
// warning line when the file exists but cannot be read whole, or has lines
// SDL refuses (the good lines are still added); empty otherwise, and for a
// missing file.
std::string AddPadMappingsFile(const std::string& path);

// The same for gamecontrollerdb.txt in the settings folder; a warning goes to
// stderr and the game carries on.
void AddPlayerPadMappings();

}  // namespace quorvel
