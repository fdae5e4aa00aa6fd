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
menu_window() { timeout 10 xdotool search --onlyvisible --name '^Form2$' 2>/dev/null | head -1; }
