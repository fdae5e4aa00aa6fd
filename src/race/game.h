// One running game: the race state, the game window's run-time state and,
// during a menu visit, the loaded menu window.
#pragma once

#include <optional>

#include "menu/menu_state.h"
#include "race/race_state.h"
#include "ui/game_window.h"

namespace quorvel {

struct Game {
  RaceState s;
  Form1 form1;
  std::optional<MenuState> form2;  // present only while the menu window is loaded
};

}  // namespace quorvel
