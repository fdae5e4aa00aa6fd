// Fuzzing: the command lines of quorvel and quorvel-sim, the input's
// NUL-separated words as the arguments. A refusal is one line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options.h"

namespace {

// A value that starts with '-' is taken only from an `--option=VALUE` word:
// as a separate word it is the next option, or a forgotten value.
bool TakenRightly(const std::vector<std::string>& args, const std::string& value) {
  if (value.empty() || value[0] != '-') return true;
  for (const std::string& a : args) {
    if (a.size() > value.size() + 2 && a.rfind("--", 0) == 0 &&
        a.compare(a.size() - value.size() - 1, std::string::npos, "=" + value) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size > 4096) return -1;
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  if (size == 0) args.clear();
  std::string error;
  quorvel::GameOptions game;
  if (!quorvel::ParseGameOptions(args, game, error) &&
      (error.empty() || error.find('\n') != std::string::npos)) {
    std::abort();
  }
  if (game.scale && (*game.scale < 1 || *game.scale > quorvel::kMaxWindowScale)) std::abort();
  if (!TakenRightly(args, game.record_path) || !TakenRightly(args, game.replay_path)) std::abort();
  error.clear();
  quorvel::SimOptions sim;
  if (!quorvel::ParseSimOptions(args, sim, error)) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
  } else if (sim.width < 1 || sim.width > 10000 || sim.height < 1 || sim.height > 10000 ||
             !TakenRightly(args, sim.frames_dir) || !TakenRightly(args, sim.records_dir) ||
             !TakenRightly(args, sim.ghost_path)) {
    std::abort();
  }
  return 0;
}
