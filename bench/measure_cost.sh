#!/usr/bin/env bash
# Measures what the real game costs while it runs a race under Xvfb: time
# from start to the first frame on screen, CPU use at rest and while driving
# (from /proc), resident memory, and the tick period over 200 ticks (from
# the timestamps of the frames it sends to the X server, seen by strace).
# Not a test: it prints figures. Usage: bench/measure_cost.sh [build/quorvel]
# (QUORVEL_COST_MOTION=original for the tick period: between ticks, smooth
# motion sends pictures faster than the period can be told apart;
# QUORVEL_COST_SCALE=N shows the window at scale N, up to 3 on the 1280 x
# 1024 screen, instead of the one the screen's dpi gives; the sound plays
# on SDL's dummy audio device unless SDL_AUDIODRIVER names another, and
# QUORVEL_COST_SOUND=no runs the game with --no-sound.)
set -euo pipefail

game=$(realpath "${1:-build/quorvel}")
seconds=${QUORVEL_COST_SECONDS:-20}
work=$(mktemp -d)
# No records, ghost or settings (a saved scale) of the measurer's own.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
scale_args=()
if [[ -n ${QUORVEL_COST_SCALE:-} ]]; then scale_args=(--scale "$QUORVEL_COST_SCALE"); fi
if [[ ${QUORVEL_COST_SOUND:-yes} == no ]]; then scale_args+=(--no-sound); fi
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
xvfb_pid=""
game_pid=""
cleanup() {
  [[ -n $game_pid ]] && kill "$game_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 141 190); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then break; fi
done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
unset SDL_VIDEODRIVER
for _ in $(seq 200); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done

clk_tck=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$game_pid/stat"; }
now_ns() { date +%s%N; }

# --- start to first frame: window mapped and the sky painted ---
t0=$(now_ns)
"$game" --motion "${QUORVEL_COST_MOTION:-smooth}" "${scale_args[@]}" >/dev/null 2>&1 &
game_pid=$!
wid=""
while [[ -z $wid ]]; do
  wid=$(xdotool search --onlyvisible --name '^Quorvel$' 2>/dev/null | head -1 || true)
done
while true; do
  px=$(import -window "$wid" -crop 1x1+168+60 -depth 8 txt:- 2>/dev/null | grep -o '#00FFFF' || true)
  [[ -n $px ]] && break
done
first_frame_ms=$((($(now_ns) - t0) / 1000000))
window_size=$(xdotool getwindowgeometry "$wid" | awk '/Geometry/ {print $2}')

# --- CPU at rest (no keys held) ---
sleep 4  # past the countdown
c0=$(cpu_ticks)
t1=$(now_ns)
sleep "$seconds"
c1=$(cpu_ticks)
t2=$(now_ns)
rest_pct=$(awk -v c="$((c1 - c0))" -v hz="$clk_tck" -v ns="$((t2 - t1))" \
  'BEGIN {printf "%.2f", 100 * c / hz / (ns / 1e9)}')

# --- tick period at rest (no crash in the way): one frame goes to the X
# server per tick ---
timeout 25 strace -f -ttt -e trace=writev,sendmsg,write,sendto -p "$game_pid" -o "$work/trace" \
  >/dev/null 2>&1 || true
period=$(awk '
  { t = $2 + 0; if (t == 0) t = $1 + 0 }
  t > 0 { if (last == 0 || t - last > 0.02) { frames[n++] = t }; last = t }
  END {
    if (n < 202) { print "too few frames: " n; exit }
    for (i = 1; i <= 200; i++) { d = (frames[i] - frames[i - 1]) * 1000; s += d; q += d * d }
    m = s / 200; printf "%.2f ms mean, %.2f ms deviation over 200 ticks", m, sqrt(q / 200 - m * m)
    drift = (frames[200] - frames[0]) * 1000 - 200 * 80
    printf ", %.1f ms away from 200 x 80 ms", drift
  }' "$work/trace")

# --- CPU while driving: Up held, with a turn now and then ---
xdotool windowfocus --sync "$wid"
c0=$(cpu_ticks)
t1=$(now_ns)
end=$((SECONDS + seconds))
while ((SECONDS < end)); do
  xdotool keydown Up
  sleep 1.5
  xdotool keydown Left
  sleep 0.3
  xdotool keyup Left
done
xdotool keyup Up
c1=$(cpu_ticks)
t2=$(now_ns)
drive_pct=$(awk -v c="$((c1 - c0))" -v hz="$clk_tck" -v ns="$((t2 - t1))" \
  'BEGIN {printf "%.2f", 100 * c / hz / (ns / 1e9)}')
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$game_pid/status")
hwm_kb=$(awk '/VmHWM/ {print $2}' "/proc/$game_pid/status")

echo "window: ${window_size} pixels"
echo "first frame on screen: ${first_frame_ms} ms after start"
echo "CPU at rest: ${rest_pct} % of one core over ${seconds} s"
echo "CPU while driving: ${drive_pct} % of one core over ${seconds} s"
echo "resident memory: $((rss_kb / 1024)) MB now, $((hwm_kb / 1024)) MB at most"
echo "tick period: ${period}"
