/* Grabs what a window shows, as fast as the X server gives it, so that the
 * end-to-end test can look at every picture during a change of size: COUNT
 * shots of WINDOW, each written as DIR/shot-NNN.ppm at the size the window
 * had at that moment. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>

static int ignore_errors(Display* display, XErrorEvent* event) {
  (void)display;
  (void)event;
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: grab_frames WINDOW_ID COUNT DIR\n");
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "grab_frames: cannot open the display\n");
    return 1;
  }
  /* A shot taken while the window is being replaced is simply skipped. */
  XSetErrorHandler(ignore_errors);
  const Window window = (Window)strtoul(argv[1], NULL, 0);
  const int count = atoi(argv[2]);
  for (int i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a)) continue;
    XImage* image = XGetImage(display, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (image == NULL) continue;
    char path[4096];
    snprintf(path, sizeof path, "%s/shot-%03d.ppm", argv[3], i);
    FILE* f = fopen(path, "wb");
    if (f != NULL) {
      fprintf(f, "P6\n%d %d\n255\n", a.width, a.height);
      for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
          const unsigned long p = XGetPixel(image, x, y);
          const unsigned char rgb[3] = {(p >> 16) & 255, (p >> 8) & 255, p & 255};
          fwrite(rgb, 1, 3, f);
        }
      }
      fclose(f);
    }
    XDestroyImage(image);
  }
  XCloseDisplay(display);
  return 0;
}
