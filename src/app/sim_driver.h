// The headless driver: runs the game's own load handler, frame tick and menu
// window on the headless platform, driven by a script, and prints the game
// state as one JSON object per line after every command.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace quorvel {

// Runs quorvel-sim with its command-line arguments (without the program
// name). Returns the exit status: 0 at the end of the script or once the
// game has ended, 2 for a bad option or a bad script line (with a message on
// `err` naming the line), 1 when the script cannot be read or the output or a
// frame cannot be written (one line on `err` saying why). Script lines are
// read through `script`'s buffer, at most 4096 bytes each; `out` is flushed
// whenever the script has to be waited for.
int RunSim(const std::vector<std::string>& args, std::istream& script, std::ostream& out,
           std::ostream& err);

}  // namespace quorvel
