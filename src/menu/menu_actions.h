// What the menu window does when an item is confirmed or the menu cancelled.
#pragma once

#include "race/game.h"

namespace quorvel {

// Acts on the item under the cursor: "ゲームスタート" builds the pending
// course, sets CarType and the stored choices, resets the race and closes
// the menu; "キャンセル" closes it; "ゲームの終了" sets QuitRequested and
// closes it; the course and car items do nothing. Needs a loaded menu.
void ConfirmChoice(Game& g);

// Unloads the menu window: the modal show in the game window's tick returns.
// No choice is stored. Idempotent.
void CloseMenu(Game& g);

}  // namespace quorvel
