#!/usr/bin/env bash
# The real game on a high-density screen: under `Xvfb -dpi 192` both windows
# are twice as large (678 x 678 and 626 x 324) and, outside the labels, their
# screenshots are the 96-dpi screenshots of the same game state with every
# pixel a 2 x 2 block. Xft.dpi in the X resources wins over the screen's own
# dpi either way. Each X server is private, on a free display number that
# Xvfb picks itself (-displayfd), and is stopped by its PID.
# Usage: hidpi_e2e.sh QUORVEL
set -uo pipefail
source "$(dirname "$0")/../support/checks.sh"
source "$(dirname "$0")/x_queries.sh"

game=$1
work=$(mktemp -d)
xvfb_pid=""
game_pid=""
wm_pid=""

cleanup() {
  [[ -n $game_pid ]] && kill "$game_pid" 2>/dev/null
  [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# The game's remembered settings live here, never in the tester's own folder.
export XDG_CONFIG_HOME=$work/config
export XDG_DATA_HOME=$work/data

# Label rectangles at 96 dpi, as ImageMagick rectangles (x0,y0 x1,y1, last
# pixel included): where the text may be rendered at the higher resolution.
form1_labels=("16,8 64,32" "264,8 328,32" "264,288 320,320")  # Label2, Label4, Label1
form2_labels=(
  "64,8 152,24" "160,8 248,24" "248,8 336,24" "64,40 152,56" "160,40 248,56"  # items 0-4
  "96,104 216,120" "48,72 160,88" "176,72 264,88"                              # items 5-7
  "16,8 56,24" "16,40 56,56" "8,128 304,144" "8,144 304,160"                   # fixed labels
)

# Paints the label rectangles, scaled by SCALE, black.
masked() {  # masked IN OUT SCALE RECT...
  local in=$1 out=$2 scale=$3
  shift 3
  local draw=() r x0 y0 x1 y1
  for r in "$@"; do
    IFS=', ' read -r x0 y0 x1 y1 <<<"$r"
    draw+=(-draw "rectangle $((x0 * scale)),$((y0 * scale)) $(((x1 + 1) * scale - 1)),$(((y1 + 1) * scale - 1))")
  done
  convert "$in" -fill black "${draw[@]}" "$out"
}
# Number of pixels in which two PNGs of one size differ.
differing() { compare -metric AE "$1" "$2" null: 2>&1; }

# Whether the scale-2 shot BIG is the 96-dpi shot SMALL in 2 x 2 blocks
# outside the label rectangles: halved it equals SMALL, and enlarged again
# it equals itself (every block one colour).
same_in_blocks() {  # same_in_blocks SMALL BIG NAME RECT...
  local small=$1 big=$2 name=$3
  shift 3
  convert "$big" -sample 50% "$work/$name.half.png"
  masked "$work/$name.half.png" "$work/$name.half.m.png" 1 "$@"
  masked "$small" "$work/$name.small.m.png" 1 "$@"
  local n
  n=$(differing "$work/$name.half.m.png" "$work/$name.small.m.png")
  [[ $n == 0 ]] || { echo "# $name: halved, $n pixels differ from 96 dpi"; return 1; }
  convert "$work/$name.half.png" -sample 200% "$work/$name.blocks.png"
  masked "$work/$name.blocks.png" "$work/$name.blocks.m.png" 2 "$@"
  masked "$big" "$work/$name.big.m.png" 2 "$@"
  n=$(differing "$work/$name.blocks.m.png" "$work/$name.big.m.png")
  [[ $n == 0 ]] || { echo "# $name: $n pixels are not in 2 x 2 blocks"; return 1; }
}

start_xvfb() {  # start_xvfb DPI; -noreset keeps root properties between clients
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi "$1" -noreset -nolisten tcp \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  if ! wait_for 10 test -s "$work/display"; then
    echo "not ok - Xvfb -dpi $1 did not start"
    exit 1
  fi
  export DISPLAY=":$(head -1 "$work/display")"
  unset SDL_VIDEODRIVER
  # The sound on SDL's dummy device: no warning about a missing one.
  export SDL_AUDIODRIVER=dummy
  wait_for 10 xdpyinfo >/dev/null 2>&1
}
stop_xvfb() {
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}
set_xft_dpi() { xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$1"; }

start_game() {  # start_game [OPTION...]
  "$game" "$@" >"$work/game.out" 2>"$work/game.err" &
  game_pid=$!
  wid=$(timeout 10 xdotool search --sync --onlyvisible --name '^Quorvel$' | head -1)
  [[ -n $wid ]] && timeout 10 xdotool windowfocus --sync "$wid"
}
stop_game() {
  kill "$game_pid" 2>/dev/null
  wait "$game_pid" 2>/dev/null
  game_pid=""
}
# Shoots the game window once its first frame is on the screen (cyan sky).
shoot_game() {  # shoot_game SCALE OUT
  local s=$1 out=$2
  painted() { shot "$wid" "$out" && is_pixel "$out" $((168 * s)) $((60 * s)) "0,255,255"; }
  wait_for 5 painted
}
# Opens the menu with Enter and shoots it once painted.
shoot_menu() {  # shoot_menu SCALE OUT; sets menu
  local s=$1 out=$2
  xdotool keydown Return
  sleep 0.25
  xdotool keyup Return
  wait_for 3 menu_open
  menu=$(menu_window)
  [[ -n $menu ]] || return 1
  painted() { shot "$menu" "$out" && is_pixel "$out" $((5 * s)) $((40 * s)) "224,224,224"; }
  wait_for 3 painted
}

# --- 96 dpi: the 339 x 339 window; then Xft.dpi 192 doubles it ---
start_xvfb 96
start_game
check "96 dpi: the game window appears" test -n "$wid"
check "96 dpi: game window 339 x 339" test "$(size_of "$wid")" = "339x339"
check "96 dpi: first frame shot" shoot_game 1 "$work/game96.png"
check "96 dpi: menu shot" shoot_menu 1 "$work/menu96.png"
check "96 dpi: menu 313 x 162" test "$(size_of "$menu")" = "313x162"
stop_game
set_xft_dpi 192
start_game
check "Xft.dpi 192 on a 96-dpi screen: game window 678 x 678" test "$(size_of "$wid")" = "678x678"
stop_game
stop_xvfb

# --- 192 dpi: twice as large, the same picture in blocks ---
start_xvfb 192
start_game
check "192 dpi: the game window appears" test -n "$wid"
check "192 dpi: game window 678 x 678" test "$(size_of "$wid")" = "678x678"
check "192 dpi: first frame shot" shoot_game 2 "$work/game192.png"
check "192 dpi: game window is the 96-dpi picture in 2 x 2 blocks outside the labels" \
  same_in_blocks "$work/game96.png" "$work/game192.png" game "${form1_labels[@]}"
# The lap label's white box keeps its place: its corner at (264, 8) doubled.
check "192 dpi: lap label box starts at (528, 16)" is_pixel "$work/game192.png" 528 16 "255,255,255"
check "192 dpi: sky just left of the lap label" is_pixel "$work/game192.png" 527 16 "0,255,255"
check "192 dpi: speed label box starts at (528, 576)" is_pixel "$work/game192.png" 528 576 "255,255,255"
check "192 dpi: menu shot" shoot_menu 2 "$work/menu192.png"
check "192 dpi: menu 626 x 324" test "$(size_of "$menu")" = "626x324"
check "192 dpi: menu is the 96-dpi menu in 2 x 2 blocks outside the labels" \
  same_in_blocks "$work/menu96.png" "$work/menu192.png" menu "${form2_labels[@]}"
read -r gx gy < <(centre_of "$wid")
read -r mx my < <(centre_of "$menu")
centred() { (((gx - mx) ** 2 <= 4 && (gy - my) ** 2 <= 4)); }
check "192 dpi: menu centred over the game window ($gx,$gy vs $mx,$my, doubled)" centred
stop_game
set_xft_dpi 96
start_game
check "Xft.dpi 96 on a 192-dpi screen: game window 339 x 339" test "$(size_of "$wid")" = "339x339"
stop_game
stop_xvfb

# --- a bigger picture on an ordinary 96-dpi screen, under a window manager ---
start_xvfb 96
openbox >"$work/wm.log" 2>&1 &
wm_pid=$!
wm_ready() { wmctrl -l >/dev/null 2>&1; }
wait_for 5 wm_ready || cat "$work/wm.log"
check "a window manager runs" wm_ready
settings=$XDG_CONFIG_HOME/quorvel/settings
sized() { [[ $(size_of "$wid") == "$1" ]]; }
holds() { [[ $(cat "$settings" 2>/dev/null) == "$1" ]]; }  # written just after the resize
start_game
check "windowed: first frame shot" shoot_game 1 "$work/windowed.png"
xdotool key F11
check "F11: the game window fills the 1024 x 768 screen" wait_for 3 sized 1024x768
# Repainted: black in the corner, the sky where the scale-2 picture starts.
full_painted() {
  shot "$wid" "$work/full.png" && is_pixel "$work/full.png" 172 44 "0,0,0" &&
    is_pixel "$work/full.png" $((173 + 336)) $((45 + 120)) "0,255,255"
}
check "F11: repainted at scale 2 in the middle" wait_for 3 full_painted
convert "$work/full.png" -crop 678x678+173+45 +repage "$work/full_middle.png"
check "F11: in the middle, the windowed picture in 2 x 2 blocks outside the labels" \
  same_in_blocks "$work/windowed.png" "$work/full_middle.png" full "${form1_labels[@]}"
check "F11: black around it" is_pixel "$work/full.png" 172 44 "0,0,0"
check "F11 is remembered" wait_for 3 holds $'scale = auto\nfullscreen = yes\npause = yes\nmotion = smooth\nghost = yes\nsplits = yes\nsound = yes\nvolume = 80'
xdotool key Escape
check "Esc leaves fullscreen" wait_for 3 sized 339x339
xdotool key alt+Return
check "Alt+Enter: fullscreen" wait_for 3 sized 1024x768
xdotool key alt+Return
check "Alt+Enter again: windowed, and no menu opens" wait_for 3 sized 339x339
check "... no menu" menu_closed
xdotool keydown Return sleep 0.25 keyup Return
wait_for 3 menu_open
xdotool key F11
wait_for 3 sized 1024x768
read -r gx gy < <(centre_of "$wid")
centred() {
  read -r mx my < <(centre_of "$(menu_window)") && (((gx - mx) ** 2 <= 4 && (gy - my) ** 2 <= 4))
}
check "F11 with the menu open: the menu centred over the fullscreen window" wait_for 3 centred
xdotool key Escape
wait_for 3 menu_closed
xdotool key F11
check "F11 again: windowed" wait_for 3 sized 339x339
setxkbmap fr  # "-" is the 6 key
xdotool key ctrl+plus
check "Ctrl+Plus: 678 x 678" wait_for 3 sized 678x678
xdotool key ctrl+minus
check "Ctrl+Minus on a French layout: 339 x 339" wait_for 3 sized 339x339
setxkbmap jp  # "+" is Shift+";"
xdotool key ctrl+plus
check "Ctrl+Plus on a Japanese layout: 678 x 678" wait_for 3 sized 678x678
xdotool key ctrl+0
check "Ctrl+0: the display's own scale, 339 x 339" wait_for 3 sized 339x339
xdotool key ctrl+plus
wait_for 3 sized 678x678
check "the settings file holds the choice" wait_for 3 holds $'scale = 2\nfullscreen = no\npause = yes\nmotion = smooth\nghost = yes\nsplits = yes\nsound = yes\nvolume = 80'
# Maximise stays disabled: only whole-number scales keep the picture exact.
wmctrl -i -r "$wid" -b add,maximized_vert,maximized_horz
sleep 0.3
check "the window manager's maximise leaves it at 678 x 678" sized 678x678
stop_game
start_game
check "the next start reads it back: 678 x 678" sized 678x678
stop_game
printf 'scale = 2\nfullscr' >"$settings"
start_game
check "a cut-short settings file: its whole lines still count, 678 x 678" sized 678x678
check "... and one warning line ($(head -c 200 "$work/game.err"))" \
  test "$(wc -l <"$work/game.err")" -eq 1
stop_game
start_game --fullscreen
check "--fullscreen starts fullscreen" wait_for 3 sized 1024x768
stop_game
"$game" --scale 0 >"$work/out" 2>"$work/err"
status=$?
check "--scale 0: status 2 and one line (got $status: $(head -c 200 "$work/err"))" \
  test "$status" -eq 2 -a "$(wc -l <"$work/err")" -eq 1
stop_xvfb

echo "$passes passed, $failures failed"
((failures == 0))
