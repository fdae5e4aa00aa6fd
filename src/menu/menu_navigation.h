// Cursor moves of the menu window and the placing of its three frames.
#pragma once

#include "menu/menu_state.h"

namespace quorvel {

// Each move sets CurrentItem by the cursor table (entering the course or
// car row lands on the pending choice, entering the action row always on
// "キャンセル"; the choice follows the cursor along the course and car rows;
// item 2 is never reached) and ends with ShowMenuState.
void CursorDown(MenuState& m);
void CursorUp(MenuState& m);
void CursorLeft(MenuState& m);
void CursorRight(MenuState& m);

// Places the cursor frame centred on the current item (60 twips above it)
// and the course and car marks on the pending items, in twips; half twips
// are kept.
void ShowMenuState(MenuState& m);

}  // namespace quorvel
