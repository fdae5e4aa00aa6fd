/* Loaded into the game with LD_PRELOAD by the end-to-end test: notes the time
 * of every picture the game window shows that differs from the one before,
 * one line ("seconds") per picture in the file named by
 * QUORVEL_PICTURE_LOG, so that the test can count distinct pictures a
 * second. It wraps SDL's window-surface update, through which the game
 * presents. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

int SDL_UpdateWindowSurface(SDL_Window* window) {
  static int (*real)(SDL_Window*);
  static FILE* log;
  static uint64_t last;
  if (real == NULL) {
    /* POSIX's way of turning dlsym's object pointer into a function's. */
    void* found = dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
    memcpy(&real, &found, sizeof real);
  }
  if (log == NULL && getenv("QUORVEL_PICTURE_LOG") != NULL) {
    log = fopen(getenv("QUORVEL_PICTURE_LOG"), "w");
  }
  SDL_Surface* s = SDL_GetWindowSurface(window);
  if (log != NULL && s != NULL && s->pixels != NULL) {
    uint64_t h = 14695981039346656037ull; /* FNV-1a over the whole picture */
    const unsigned char* row = (const unsigned char*)s->pixels;
    for (int y = 0; y < s->h; ++y, row += s->pitch) {
      for (int x = 0; x < s->w * 4; ++x) h = (h ^ row[x]) * 1099511628211ull;
    }
    if (h != last) {
      struct timespec t;
      clock_gettime(CLOCK_MONOTONIC, &t);
      fprintf(log, "%.4f\n", t.tv_sec + t.tv_nsec / 1e9);
      fflush(log);
      last = h;
    }
  }
  return real(window);
}
