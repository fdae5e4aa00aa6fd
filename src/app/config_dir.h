// The folder of the player's own files for this game: $XDG_CONFIG_HOME/quorvel,
// or ~/.config/quorvel when XDG_CONFIG_HOME is unset, empty or relative (a
// relative value is invalid there and is ignored, as desktops do).
#pragma once

#include <string>

namespace quorvel {

// The folder's path, which need not exist yet; empty when neither
// XDG_CONFIG_HOME nor HOME gives a place for it.
std::string ConfigDir();

// The folder of the game's data: the records and the kept best runs, in
// $XDG_DATA_HOME/quorvel or ~/.local/share/quorvel (a relative
// XDG_DATA_HOME is ignored likewise); empty without XDG_DATA_HOME or HOME.
std::string DataDir();

// Creates `dir` and every missing folder above it, each new one 0700 as the
// XDG folders are meant to be (less what the umask takes away). False with
// errno set when one cannot be made.
bool MakeFolders(const std::string& dir);

}  // namespace quorvel
