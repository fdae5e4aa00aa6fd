// The player's own game-controller mappings: gamecontrollerdb.txt in the
// game's settings folder, in SDL's mapping format (one pad a line, "GUID,name,
// a:b0,...,platform:Linux,"; '#' starts a comment). They add to SDL's built-in
// list and replace its entries for the same pads; SDL_GAMECONTROLLERCONFIG in
// the environment still wins over both. Needs SDL's game-controller subsystem.
#pragma once

#include <string>
#include <vector>

namespace quorvel {

// SDL adds each mapping in a time that grows with the mappings it already
// has, so the work is bounded: only the first kMaxPadMappings mapping lines
// for this platform, in the first kMaxPadMappingBytes of the file, are used
// (the community list of every known pad has about 2,000 lines in all).
inline constexpr int kMaxPadMappings = 3000;
inline constexpr long kMaxPadMappingBytes = 4L << 20;

// Hands SDL's own loader the mappings in the file at `path` for this
// platform (lines naming another platform are skipped; lines naming none
// are taken as this platform's). Returns the warnings, one line each with no
// prefix: the file exists but cannot be read, it goes past the bounds above
// (the rest is ignored), or some lines are not mappings (GUID of 32 hex
// digits, name, fields); the good lines are still added. Nothing for a
// missing file.
std::vector<std::string> AddPadMappingsFile(const std::string& path);

// The same for gamecontrollerdb.txt in the settings folder; the warnings go
// to stderr and the game carries on.
void AddPlayerPadMappings();

}  // namespace quorvel
