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
// `err` naming the line).
int RunSim(const std::vector<std::string>& args, std::istream& script, std::ostream& out,
           std::ostream& err);

}  // namespace quorvel
