// The headless driver: runs the game's own load handler, frame tick and menu
// window on the headless platform, driven by a script, and prints the game
// state as one JSON object per line after every command.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace quorvel {

// Runs quorvel-sim with its command-line arguments (without the program
// name). Returns the exit status: 0 at the end of the script or once the
// game has ended, 2 for a bad option or a bad script line (with a message on
// `err` naming the line), 1 when the script cannot be read or the output, a
// frame or the --audio file cannot be written (one line on `err` saying
// why). An --audio file that cannot be created is a bad option (status 2,
// before anything runs); it is completed with the sound played so far
// however the run ends. Script lines are
// read from the descriptor `script_fd`, at most 4096 bytes each; `out` is
// flushed whenever the script has to be waited for (nullptr: standard output
// was closed, and the first write fails). A --ghost recording that cannot be
// read or does not start to replay is a bad file (status 2). With --records, warnings
// about the records go to `err`, one line each.
int RunSim(const std::vector<std::string>& args, int script_fd, FILE* out, FILE* err);

}  // namespace quorvel
