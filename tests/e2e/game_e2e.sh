#!/usr/bin/env bash
# End-to-end test of the real game binary as a player meets it: a private
# Xvfb display, keys sent through XTest (xdotool), screenshots checked pixel
# by pixel (ImageMagick). Usage: game_e2e.sh QUORVEL SEND_WM_DELETE QUORVEL_SIM
# COUNT_PICTURES GRAB_FRAMES WINDOWS_GONE
set -uo pipefail
source "$(dirname "$0")/../support/checks.sh"
source "$(dirname "$0")/x_queries.sh"

game=$1
send_wm_delete=$2
sim=$3
count_pictures=$4
grab_frames=$5
windows_gone=$6
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
# The game's remembered settings, records and best runs live here, never in
# the tester's own folders.
export XDG_CONFIG_HOME=$work/config
export XDG_DATA_HOME=$work/data
# The sound plays on SDL's dummy audio device, which every machine has, so
# that the steps below see only the lines they expect on stderr.
export SDL_AUDIODRIVER=dummy

# Number of pixels of colour #RRGGBB in a PNG.
colour_count() {
  convert "$1" -format %c histogram:info:- | awk -v c="#$2" 'toupper($0) ~ c {gsub(":", "", $1); n += $1} END {print n + 0}'
}

# --- no display: a clear line and status 1 within a second ---
start_ns=$(date +%s%N)
DISPLAY=:9999 timeout 5 env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR "$game" \
  >"$work/out" 2>"$work/err"
status=$?
elapsed_ms=$((($(date +%s%N) - start_ns) / 1000000))
check "no display: exit status 1 (got $status)" test "$status" -eq 1
check "no display: one line on stderr ($(head -c 200 "$work/err"))" test "$(wc -l <"$work/err")" -eq 1
check "no display: within a second (${elapsed_ms} ms)" test "$elapsed_ms" -lt 1000

# --- a palette display (depth 8): refused with one line and status 1 ---
: >"$work/display8"
Xvfb -displayfd 3 -screen 0 640x480x8 -nolisten tcp 3>"$work/display8" >/dev/null 2>&1 &
xvfb8_pid=$!
if wait_for 10 test -s "$work/display8"; then
  DISPLAY=":$(head -1 "$work/display8")" timeout 5 env -u SDL_VIDEODRIVER "$game" \
    >"$work/out" 2>"$work/err"
  status=$?
  check "8-bit display: exit status 1 (got $status)" test "$status" -eq 1
  check "8-bit display: one line on stderr ($(head -c 200 "$work/err"))" \
    test "$(wc -l <"$work/err")" -eq 1
fi
kill "$xvfb8_pid" 2>/dev/null
wait "$xvfb8_pid" 2>/dev/null

# --- a private X server on a display number it picks itself ---
: >"$work/display"
# -noreset: a client that connects just as the previous one has left is not
# turned away while the server resets. At 1280 x 1024 a 1017-pixel window
# (scale 3) fits the screen only without its title bar.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
if ! wait_for 10 test -s "$work/display"; then
  echo "not ok - Xvfb did not start"
  exit 1
fi
export DISPLAY=":$(head -1 "$work/display")"
unset SDL_VIDEODRIVER
if ! wait_for 10 xdpyinfo >/dev/null 2>&1; then
  echo "not ok - Xvfb did not start on $DISPLAY"
  exit 1
fi

game_window_shown() {
  wid=$(timeout 10 xdotool search --onlyvisible --name '^Quorvel$' 2>/dev/null | head -1)
  [[ -n $wid ]]
}
start_game() {  # start_game [OPTION...]
  "$game" "$@" >"$work/game.out" 2>"$work/game.err" &
  game_pid=$!
  if ! wait_for 10 game_window_shown; then
    echo "# no game window on $DISPLAY; the game said: $(head -c 300 "$work/game.err")"
    return 1
  fi
  timeout 5 xdotool windowfocus --sync "$wid"
}
stop_game() {
  kill "$game_pid" 2>/dev/null
  wait "$game_pid" 2>/dev/null
  game_pid=""
}
# Waits up to 5 s for the game to exit; sets exit_status ("running" if not).
wait_game_exit() {
  local i
  for i in $(seq 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$game_pid" 2>/dev/null; then
    exit_status="running"
    return
  fi
  wait "$game_pid"
  exit_status=$?
  game_pid=""
}
hold() {  # hold SECONDS KEY...: held across several 80 ms ticks
  local t=$1
  shift
  xdotool keydown "$@"
  sleep "$t"
  xdotool keyup "$@"
}

# --- smooth motion: distinct pictures a second while driving, with the
# pictures between ticks and without them ---
pictures_while_driving() {  # pictures_while_driving MOTION: distinct pictures in 1 s
  QUORVEL_PICTURE_LOG=$work/pictures LD_PRELOAD=$count_pictures start_game --motion "$1" || return
  sleep 3.4  # the countdown
  xdotool keydown Up
  sleep 0.5
  local from
  from=$(awk '{t = $1} END {print t}' "$work/pictures")
  sleep 1.2
  xdotool keyup Up
  stop_game
  awk -v from="$from" '$1 > from && $1 <= from + 1 {n++} END {print n + 0}' "$work/pictures"
}
# A pace, not a behaviour: a sanitizer build is far slower, and its runtime
# must come first among the loaded libraries.
if ldd "$game" | grep -q libasan; then
  echo "# distinct pictures a second: not measured in a sanitizer build"
else
  smooth=$(pictures_while_driving smooth)
  original=$(pictures_while_driving original)
  check "smooth motion: 50 or more distinct pictures a second (got $smooth)" test "$smooth" -ge 50
  check "original motion: the ticks' 12 or 13 pictures a second (got $original)" \
    test "$original" -ge 12 -a "$original" -le 13
fi

# --- start-up picture; the whole session is recorded ---
start_game --record "$work/race.rec"
check "the game window named Quorvel appears" test -n "$wid"
check "client area 339 x 339" test "$(size_of "$wid")" = "339x339"
shot "$wid" "$work/start.png"
check "sky is cyan at the top" is_pixel "$work/start.png" 168 60 "0,255,255"
check "ground is black beside the road" is_pixel "$work/start.png" 3 185 "0,0,0"
check "grey road below the horizon" is_pixel "$work/start.png" 168 310 "128,128,128"
check "red start line" is_pixel "$work/start.png" 40 266 "255,0,0"
check "green car marker" is_pixel "$work/start.png" 180 236 "0,128,0"
check "lap label is a white box" is_pixel "$work/start.png" 266 10 "255,255,255"
check "speed label is a white box" is_pixel "$work/start.png" 266 291 "255,255,255"
check "window background in the 2-pixel strip" is_pixel "$work/start.png" 338 100 "224,224,224"

# --- driving: after the countdown, Up changes the speed and moves the road ---
sleep 3.2
shot "$wid" "$work/before_up.png"
hold 1.0 Up
shot "$wid" "$work/after_up.png"
speed_changed() {
  ! cmp -s <(convert "$work/before_up.png" -crop 57x33+264+288 rgb:-) \
    <(convert "$work/after_up.png" -crop 57x33+264+288 rgb:-)
}
road_moved() {
  ! cmp -s <(convert "$work/before_up.png" -crop 337x150+0+180 rgb:-) \
    <(convert "$work/after_up.png" -crop 337x150+0+180 rgb:-)
}
check "Up changes the speed label" speed_changed
check "Up moves the road" road_moved

# --- steering off the road: a black frame, then the race view again ---
xdotool keydown Left Up
black_frame() {
  shot "$wid" "$work/crash.png"
  is_pixel "$work/crash.png" 168 60 "0,0,0" && is_pixel "$work/crash.png" 168 310 "0,0,0"
}
check "leaving the road shows the black pause" wait_for 15 black_frame
xdotool keyup Left Up
sky_again() {
  shot "$wid" "$work/after_crash.png"
  is_pixel "$work/after_crash.png" 168 60 "0,255,255"
}
check "the race view comes back after the pause" wait_for 5 sky_again

# --- the menu: a borderless window centred over the game window; Esc ---
hold 0.25 Return
wait_for 3 menu_open
menu=$(menu_window)
check "Enter opens a second window" test -n "$menu"
if [[ -n $menu ]]; then
  check "menu is 313 x 162" test "$(size_of "$menu")" = "313x162"
  read -r gx gy < <(centre_of "$wid")
  read -r mx my < <(centre_of "$menu")
  centred() { (((gx - mx) ** 2 <= 4 && (gy - my) ** 2 <= 4)); }
  check "menu centred over the game window ($gx,$gy vs $mx,$my, doubled)" centred
  shot "$menu" "$work/menu.png"
  check "menu background" is_pixel "$work/menu.png" 5 40 "224,224,224"
  check "red cursor frame on コース1" is_pixel "$work/menu.png" 61 5 "255,0,0"
  hold 0.2 Escape
  check "Esc closes the menu" wait_for 3 menu_closed
fi
shot "$wid" "$work/resumed1.png"
hold 0.6 Up
shot "$wid" "$work/resumed2.png"
# The speed label, not the clock: keys must reach the game again.
race_goes_on() {
  ! cmp -s <(convert "$work/resumed1.png" -crop 57x33+264+288 rgb:-) \
    <(convert "$work/resumed2.png" -crop 57x33+264+288 rgb:-)
}
check "the race goes on after Esc" race_goes_on

# --- course 2 from the menu ---
hold 0.25 Return
wait_for 3 menu_open
for key in Right Down Down Left Return; do
  hold 0.1 "$key"
done
check "the menu closes after the start" wait_for 3 menu_closed
timeout 5 xdotool windowfocus --sync "$wid"
course2_shown() {
  shot "$wid" "$work/course2.png"
  (($(colour_count "$work/course2.png" FFFF00) > 200 && $(colour_count "$work/course2.png" FF0000) > 200))
}
check "course 2's yellow and red road" wait_for 3 course2_shown

# --- ending the game from the menu ---
hold 0.25 Return
wait_for 3 menu_open
shot "$wid" "$work/last_seen.png"
hold 0.1 Up
hold 0.1 Return
wait_game_exit
check "ゲームの終了 ends the game with status 0 (got $exit_status)" test "$exit_status" = "0"
check "ゲームの終了: nothing on stderr" test ! -s "$work/game.err"

# --- the recording replays the race exactly, in quorvel-sim and in the window ---
# Two pictures agree, but for the rectangle the menu covered in the first.
same_outside_menu() {
  convert "$1" -fill black -draw "rectangle 13,88 325,249" "$work/masked1.png" &&
    convert "$2" -fill black -draw "rectangle 13,88 325,249" "$work/masked2.png" &&
    [[ $(compare -metric AE "$work/masked1.png" "$work/masked2.png" null: 2>&1) == 0 ]]
}
last_frame() { find "$1" -name 'frame-*.png' | sort | tail -1; }
mkdir "$work/replayed" "$work/head"
"$sim" --frames "$work/replayed" <"$work/race.rec" >"$work/replayed.jsonl"
check "quorvel-sim replays the recording (status $?)" test $? -eq 0
final=$(tail -1 "$work/replayed.jsonl")
check "the replay ends with the quit, 1周目, no goal" grep -q '"QuitRequested": true.*"Label4": "1周目", "Label3": "", "Label3Visible": false.*"ended": true' <<<"$final"
check "the window's last picture, labels included, is the replay's last frame" \
  same_outside_menu "$work/last_seen.png" "$(last_frame "$work/replayed")"
# The first 75 ticks: the countdown and the first driving, replayed in the
# window at the real rate; the last frame stays until Esc ends the replay.
awk '/^tick/ {n++} {print} n == 75 {exit}' "$work/race.rec" >"$work/head.rec"
"$sim" --frames "$work/head" <"$work/head.rec" >/dev/null
start_game --replay "$work/head.rec"
replay_done() {
  shot "$wid" "$work/replay.png" &&
    [[ $(compare -metric AE "$work/replay.png" "$(last_frame "$work/head")" null: 2>&1) == 0 ]]
}
check "--replay shows the recording's frame after 75 ticks" wait_for 15 replay_done
xdotool key Escape
wait_game_exit
check "Esc ends the replay with status 0 (got $exit_status)" test "$exit_status" = "0"
# Killed while recording: every line up to then is in the file.
start_game --record "$work/killed.rec"
sleep 1
kill -TERM "$game_pid"
wait_game_exit
check "a recording cut by SIGTERM replays ($(grep -c '^tick' "$work/killed.rec") ticks)" \
  bash -c "(($(grep -c '^tick' "$work/killed.rec") >= 5)) && '$sim' <'$work/killed.rec' >/dev/null"

# --- W, A, S, D and the keypad's arrows drive as the arrow keys and are
# recorded as them; P pauses, with the title saying so in UTF-8 whatever the
# locale, and the picture held is the race's own, one quorvel-sim draws ---
LC_ALL=C start_game --record "$work/keys.rec"
sleep 3.4  # the countdown
hold 0.6 w
hold 0.3 KP_Left
xdotool key p
sleep 0.3
paused_title=$(LC_ALL=C.UTF-8 timeout 5 xprop -id "$wid" _NET_WM_NAME)
check "P pauses, and the title says so in UTF-8 (${paused_title#*= })" \
  grep -qF '"Quorvel (一時停止中)"' <<<"$paused_title"
shot "$wid" "$work/paused.png"
held_frames=$(grep -c '^tick' "$work/keys.rec")
xdotool key p
sleep 0.4
"$send_wm_delete" "$wid"
wait_game_exit
mkdir "$work/keys"
"$sim" --frames "$work/keys" <"$work/keys.rec" >/dev/null
# The picture shown while paused is the last tick's own, not one on the way
# to a tick that did not run.
held_is_a_tick() {
  local want f
  want=$(convert "$work/paused.png" rgb:- | md5sum)
  for f in "$work"/keys/frame-*.png; do
    [[ $(convert "$f" rgb:- | md5sum) == "$want" ]] && return 0
  done
  return 1
}
check "the picture held while paused is a tick's own ($held_frames ticks by then)" held_is_a_tick
check "W and the keypad's Left are recorded as up and left" \
  bash -c "grep -q '^tick up' '$work/keys.rec' && grep -q '^tick left' '$work/keys.rec'"
check "P is no part of the recording" bash -c "! grep -Eq '^key|80' '$work/keys.rec'"
check "the recording with a pause replays (status $?)" \
  bash -c "'$sim' <'$work/keys.rec' >/dev/null"

# --- the ghost: a best run kept by quorvel-sim --records races beside the
# car, as a magenta outline no course uses; a replay has none. A data folder
# of its own: the other steps race no ghost ---
export XDG_DATA_HOME=$work/ghost_data
"$sim" --records "$XDG_DATA_HOME/quorvel" \
  <"$(dirname "$0")/../recordings/course1-race.rec" >/dev/null
check "quorvel-sim --records keeps the best run of course 1 (status $?)" \
  test -s "$XDG_DATA_HOME/quorvel/best-course1-beginner.rec"
cp "$XDG_DATA_HOME/quorvel/records" "$work/records.before"
ghost_seen() {  # ghost_seen PNG: the outline's colour below the horizon
  shot "$wid" "$1" && convert "$1" -crop 337x169+0+168 +repage "$1.ground.png" &&
    (($(colour_count "$1.ground.png" FF00FF) > 0))
}
# The car stands at the start; the ghost drives off once the countdown is over.
start_game
check "the ghost's outline shows on the road after the countdown" \
  wait_for 10 ghost_seen "$work/ghost.png"
stop_game
start_game --no-ghost
sleep 5
shot "$wid" "$work/no_ghost.png"
check "--no-ghost: no outline" test "$(colour_count "$work/no_ghost.png" FF00FF)" -eq 0
stop_game
start_game --replay "$XDG_DATA_HOME/quorvel/best-course1-beginner.rec"
sleep 5
shot "$wid" "$work/replay_ghost.png"
check "a replay races no ghost" test "$(colour_count "$work/replay_ghost.png" FF00FF)" -eq 0
stop_game
check "the records are as quorvel-sim left them" \
  cmp -s "$work/records.before" "$XDG_DATA_HOME/quorvel/records"
export XDG_DATA_HOME=$work/data

# Windows that another program resizes and destroys just before the game
# presents to them end the game quietly.
"$windows_gone" >"$work/gone.out" 2>&1
gone_status=$?
check "windows destroyed as SDL redoes them: status 0 (got $gone_status), nothing said ($(head -c 200 "$work/gone.out"))" \
  test "$gone_status" = 0 -a ! -s "$work/gone.out"

# --- the title-bar close button ---
start_game
check "the game starts again" test -n "$wid"
"$send_wm_delete" "$wid"
wait_game_exit
check "the close button ends the game with status 0 (got $exit_status)" test "$exit_status" = "0"

# --- under a window manager, which moves the focus between the two windows ---
openbox >"$work/wm.log" 2>&1 &
wm_pid=$!
wm_ready() { wmctrl -l >/dev/null 2>&1; }
wait_for 5 wm_ready || cat "$work/wm.log"
check "a window manager runs" wm_ready
start_game
hold 0.25 Return
wait_for 3 menu_open
window_titles() { wmctrl -l | awk '{print $NF}' | sort | tr '\n' ' '; }
check "both windows are titled Quorvel in the window list ($(window_titles))" \
  test "$(window_titles)" = "Quorvel Quorvel "
# Enter held on ゲームスタート across the focus's return to the game window
# and the keyboard's auto-repeat starts one race and does not reopen the menu.
xdotool key --delay 100 Down Down Left
hold 1.5 Return
sleep 0.3
check "Enter held 1.5 s on ゲームスタート does not reopen the menu" test -z "$(menu_window)"

# The X server holds as much for the game after 20 more menu visits as after one.
# Keys always released, so that one failed wait cannot leave Enter held.
visits=0
visit() {  # the sleep: a tick sees Enter released before it is pressed again
  local ok=1
  xdotool keydown Return && wait_for 3 menu_open || ok=0
  xdotool keyup Return keydown Escape && wait_for 3 menu_closed || ok=0
  xdotool keyup Escape && sleep 0.15 && ((ok)) && visits=$((visits + 1))
}
visit
resources_1=$(x_resources "$game_pid")
for _ in $(seq 20); do visit; done
resources_21=$(x_resources "$game_pid")
check "X resources after 1 and 21 menu visits ($visits made): $resources_1 and $resources_21" \
  test "$visits" -eq 21 -a "$resources_1" -gt 0 -a "$resources_1" -eq "$resources_21"

# Quick taps count: Enter down for 20 ms, between two 80 ms ticks, still
# opens the menu.
taps=0
for _ in $(seq 10); do
  xdotool keydown Return sleep 0.02 keyup Return
  wait_for 3 menu_open && taps=$((taps + 1))
  xdotool key Escape
  wait_for 3 menu_closed
  sleep 0.1
done
check "a 20 ms tap of Enter opens the menu ($taps times out of 10)" test "$taps" -eq 10
stop_game

# A close request ends the game at once, whatever it is doing.
close_quickly() {  # close_quickly WINDOW: sets close_ms and exit_status
  local t0
  t0=$(date +%s%N)
  "$send_wm_delete" "$1"
  while kill -0 "$game_pid" 2>/dev/null && (($(date +%s%N) - t0 < 3000000000)); do sleep 0.01; done
  close_ms=$((($(date +%s%N) - t0) / 1000000))
  wait_game_exit
}
start_game
open_menu() { hold 0.25 Return && wait_for 3 menu_open; }
open_menu
close_quickly "$wid"
check "close with the menu open: status $exit_status in $close_ms ms" \
  test "$exit_status" = 0 -a "$close_ms" -lt 500
start_game --record "$work/crash_close.rec"
sleep 3.2  # the countdown
xdotool keydown Left Up
wait_for 15 black_frame
xdotool keyup Left Up
close_quickly "$wid"
check "close during the crash's black pause: status $exit_status in $close_ms ms" \
  test "$exit_status" = 0 -a "$close_ms" -lt 500
# Its last check is the state after the whole crash, as a replay reaches it.
"$sim" <"$work/crash_close.rec" >/dev/null 2>"$work/crash_close.err"
status=$?
check "the recording closed in the crash replays (status $status: $(head -c 200 "$work/crash_close.err"))" \
  test "$status" = 0

# A scale too large for the screen: the largest that fits, title bar included.
sized() { [[ $(size_of "$wid") == "$1" ]]; }
frame_on_screen() {
  local l r t b
  IFS=', ' read -r l r t b < <(xprop -id "$wid" _NET_FRAME_EXTENTS | sed 's/.*= //')
  read -r x y < <(xwininfo -id "$wid" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print x, y}')
  read -r w h < <(size_of "$wid" | tr x ' ')
  ((x - l >= 0 && y - t >= 0 && x + w + r <= 1280 && y + h + b <= 1024))
}
settings=$XDG_CONFIG_HOME/quorvel/settings
start_game --scale 16
check "--scale 16 on 1280 x 1024: 678 x 678 ($(size_of "$wid"))" test "$(size_of "$wid")" = 678x678
check "... its frame on the screen" frame_on_screen
check "... and one line on stderr ($(head -c 200 "$work/game.err"))" \
  test "$(wc -l <"$work/game.err")" -eq 1
read -r c1 < <(centre_of "$wid")
scale_steps=""
for key in ctrl+plus ctrl+minus ctrl+plus; do
  xdotool key "$key"
  sleep 0.3
  scale_steps+=" $(size_of "$wid")"
done
check "Ctrl+Plus, Ctrl+Minus, Ctrl+Plus step through the scales that fit:$scale_steps" \
  test "$scale_steps" = " 678x678 339x339 678x678"
check "... and the window keeps its centre ($c1, $(centre_of "$wid"))" \
  test "$(centre_of "$wid")" = "$c1"
stop_game
rm -f "$settings"
start_game --scale 16
xdotool key F11
wait_for 3 sized 1280x1024
xdotool key F11
wait_for 3 sized 678x678
check "F11 twice saves no scale the player never chose ($(grep scale "$settings"))" \
  grep -qx 'scale = auto' "$settings"
stop_game

# --- no audio device: silent, one warning; M (also in the menu) is saved
# like F11 and never recorded ---
rm -f "$settings"
SDL_AUDIODRIVER=no-such-driver start_game --record "$work/muted.rec"
xdotool key m
hold 0.25 Return
wait_for 3 menu_open
for key in m Up Return; do hold 0.1 "$key"; done
wait_game_exit
check "no audio device: the game runs and ends with status 0 and one warning line" \
  test "$exit_status:$(wc -l <"$work/game.err")" = "0:1" -a "$(grep -c 'without sound' "$work/game.err")" -eq 1
check "M twice: saved off, then on ($(grep sound "$settings"))" grep -qx 'sound = yes' "$settings"
check "M is not in the recording: only Up and Enter" test "$(grep -c '^key' "$work/muted.rec")" -eq 2

# Every picture shown while the window enters and leaves fullscreen and
# steps its scale is the whole race picture at the window's size of the
# moment: never a stale, cut or shifted one. Black is allowed for the
# moment between the window manager's resize and the first picture at the
# new size.
whole_picture() {  # whole_picture IMAGE: sets shot_size
  local w h s=0 ox=0 oy=0 want px
  read -r w h < <(identify -format '%w %h' "$1")
  shot_size=${w}x$h
  if ((w == 1280 && h == 1024)); then
    s=3 ox=$(((1280 - 1017) / 2)) oy=$(((1024 - 1017) / 2))
  elif ((w % 339 == 0 && h == w)); then
    s=$((w / 339))
  fi
  ((s > 0)) || return 1
  # The sky, the background strip right of the picture, the lap label's
  # white box, and black around the picture in fullscreen.
  px=$(convert "$1" -format "%[pixel:p{$((ox + 168 * s)),$((oy + 60 * s))}] \
%[pixel:p{$((ox + 338 * s)),$((oy + 100 * s))}] %[pixel:p{$((ox + 266 * s)),$((oy + 10 * s))}] \
%[pixel:p{$((ox / 2)),$((oy / 2))}]" info:)
  want="srgb(0,255,255) srgb(224,224,224) srgb(255,255,255)"
  ((ox > 0)) && want+=" srgb(0,0,0)"
  [[ $px == "$want"* ]] || [[ $(convert "$1" -format '%[max]' info:) == 0 ]]
}
start_game --scale 16
sleep 0.3
step=0
for key_size in F11:1280x1024 F11:678x678 ctrl+minus:339x339 ctrl+plus:678x678; do
  step=$((step + 1))
  mkdir -p "$work/shots-$step/settled"
  timeout 5 xdotool windowfocus --sync "$wid"
  xdotool key "${key_size%%:*}"
  "$grab_frames" "$wid" 25 "$work/shots-$step"
  # A slow build may take longer than the shots: the last ones at the size.
  wait_for 3 sized "${key_size#*:}"
  "$grab_frames" "$wid" 3 "$work/shots-$step/settled"
done
bad_shots="" shot_sizes=""
for f in "$work"/shots-*/shot-*.ppm "$work"/shots-*/settled/shot-*.ppm; do
  whole_picture "$f" || bad_shots+=" ${f#"$work"/}:$shot_size"
  [[ $shot_sizes == *"$shot_size"* ]] || shot_sizes+=" $shot_size"
done
# Fullscreen and a windowed size at least, so that a change was seen.
check "pictures through F11, F11, Ctrl+Minus, Ctrl+Plus are whole (sizes:$shot_sizes; bad:${bad_shots:- none})" \
  test -z "$bad_shots" -a "$(wc -w <<<"$shot_sizes")" -ge 2
stop_game

# The race pauses while the player is away, and goes on without a burst of
# catch-up ticks: the recording, written tick by tick, shows it.
titled() { [[ $(xdotool getwindowname "$wid") == "$1" ]]; }
ticks() { grep -c '^tick' "$work/paused.rec"; }
away_then_back() {  # away_then_back HOW: sets away (ticks while away) and back (in 0.5 s after)
  local n1 n2
  case $1 in
    minimised) xdotool windowminimize "$wid" ;;
    other) xdotool windowactivate "$other" ;;
  esac
  wait_for 3 titled "Quorvel (一時停止中)"
  n1=$(ticks)
  sleep 1.5
  n2=$(ticks)
  away=$((n2 - n1))
  xdotool windowactivate "$wid"
  wait_for 3 titled Quorvel
  sleep 0.5
  back=$(($(ticks) - n2))
}
xmessage 'another program' &
other_pid=$!
start_game --record "$work/paused.rec"
sleep 1
other=$(timeout 10 xdotool search --sync --onlyvisible --name '^xmessage$' | head -1)
for how in minimised other; do
  away_then_back "$how"
  check "$how: paused ($away ticks in 1.5 s), then on again ($back ticks in 0.5 s)" \
    test "$away" -eq 0 -a "$back" -ge 3 -a "$back" -le 8
done
open_menu && xdotool key Escape && wait_for 3 menu_closed
n1=$(ticks)
sleep 0.5
n2=$(ticks)
check "a menu visit is no leaving: $((n2 - n1)) ticks in 0.5 s after it, titled Quorvel" \
  test "$((n2 - n1))" -ge 3 -a "$(xdotool getwindowname "$wid")" = Quorvel
kill "$other_pid" 2>/dev/null
stop_game

# Every way out ends with status 0 and nothing on stderr, 20 times in a row:
# the menu's ゲームの終了, the close button, close requests to both windows
# during the menu then Esc and the close button, and another program
# destroying the game window or the open menu window.
quit_by() {
  case $1 in
    menu) open_menu && xdotool key --delay 60 Down Down Down Return ;;
    close) "$send_wm_delete" "$wid" ;;
    closes_in_menu)
      open_menu && "$send_wm_delete" "$wid" && "$send_wm_delete" "$(menu_window)" &&
        hold 0.2 Escape && wait_for 3 menu_closed && "$send_wm_delete" "$wid" ;;
    destroy_game) xdotool windowclose "$wid" ;;
    destroy_menu) open_menu && xdotool windowclose "$(menu_window)" ;;
  esac
}
ways=(menu close closes_in_menu destroy_game destroy_menu)
bad_quits=""
for i in $(seq 20); do
  start_game
  quit_by "${ways[i % 5]}" 2>/dev/null
  wait_game_exit
  [[ $exit_status == running ]] && kill "$game_pid" && wait "$game_pid" 2>/dev/null
  [[ $exit_status != 0 || -s $work/game.err ]] &&
    bad_quits+=" ${ways[i % 5]}:$exit_status:$(head -c 300 "$work/game.err")"
  game_pid=""
done
check "20 quits in a row: status 0, nothing on stderr (failed:${bad_quits:- none})" \
  test -z "$bad_quits"

if ((failures > 0)) && [[ -s $work/game.err ]]; then
  echo "the game said on stderr:"
  head -20 "$work/game.err"
fi
echo "$passes passed, $failures failed"
((failures == 0))
