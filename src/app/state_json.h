// The game state as one line of JSON, in the headless driver's format.
#pragma once

#include <cstdint>
#include <string>

#include "race/game.h"

namespace quorvel {

struct StateLineExtras {
  const char* event = "tick";
  std::int64_t line = 0;  // 0: no "line" field (the load line)
  int surface_width = 337;
  int surface_height = 337;
  bool timer = true;
  int draws = 0;
  int slept = 0;
  bool ended = false;
};

// Floats are written with %.9g, which reads back as the same float.
std::string StateLineJson(const Game& g, const StateLineExtras& x);

// A JSON string literal for UTF-8 text.
std::string JsonString(const std::string& text);

// %.9g of a float.
std::string JsonFloat(float v);

}  // namespace quorvel
