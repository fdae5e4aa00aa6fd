# Shared by the end-to-end tests: screenshots and questions about windows on
# the test's own X display. Every call is bounded, so a window that vanished
# fails a check instead of hanging the run.

# "R,G,B" of pixel (X, Y) of a PNG.
pixel() {
  timeout 10 convert "$1" -format "%[fx:int(255*u.p{$2,$3}.r+.5)],%[fx:int(255*u.p{$2,$3}.g+.5)],%[fx:int(255*u.p{$2,$3}.b+.5)]" info:
}
is_pixel() { [[ $(pixel "$1" "$2" "$3") == "$4" ]]; }
shot() { timeout 10 import -window "$1" "$2" 2>/dev/null; }
size_of() { timeout 10 xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }
# Twice the centre, so that it stays a whole number.
centre_of() {
  timeout 10 xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print 2 * x + w, 2 * y + h}'
}
# Both windows carry the game's name; the menu is the visible one that is not
# the game window $wid.
menu_window() {
  timeout 10 xdotool search --onlyvisible --name '^Quorvel$' 2>/dev/null | grep -vxF "$wid" | head -1
}
# For wait_for, which must ask again on every try.
menu_open() { [[ -n $(menu_window) ]]; }
menu_closed() { [[ -z $(menu_window) ]]; }
# X server resources (windows, GCs, pixmaps, ...) held by the client with PID.
x_resources() {
  timeout 10 xrestop -b -m 1 | awk -v pid="$1" '
    / - .*\( PID: *[0-9?]+ *\):$/ { p = $0; gsub(/.*PID: *| *\):$/, "", p); mine = (p == pid) }
    mine && /^\t(windows|GCs|fonts|pixmaps|pictures|glyphsets|colormaps|passive grabs|cursors|unknowns) *:/ {
      n += $NF }
    END { print n + 0 }'
}
