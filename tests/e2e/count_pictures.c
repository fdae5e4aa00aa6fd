/* Loaded into the game with LD_PRELOAD by the end-to-end test: notes the time
 * of every picture the game window shows that differs from the one before,
 * one line ("seconds") per picture in the file named by
 * QUORVEL_PICTURE_LOG, so that the test can count distinct pictures a
 * second. It wraps SDL's renderer present, through which the game window
 * shows its pictures, and reads the picture back just before it. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static void (*real)(SDL_Renderer*);
  static FILE* log;
  static uint64_t last;
  static unsigned char* pixels;
  static size_t size;
  if (real == NULL) {
    /* POSIX's way of turning dlsym's object pointer into a function's. */
    void* found = dlsym(RTLD_NEXT, "SDL_RenderPresent");
    memcpy(&real, &found, sizeof real);
  }
  if (log == NULL && getenv("QUORVEL_PICTURE_LOG") != NULL) {
    log = fopen(getenv("QUORVEL_PICTURE_LOG"), "w");
  }
  int w = 0, h = 0;
  if (log != NULL && SDL_GetRendererOutputSize(renderer, &w, &h) == 0 && w > 0 && h > 0) {
    if (size < (size_t)w * h * 4) {
      free(pixels);
      size = (size_t)w * h * 4;
      pixels = malloc(size);
    }
    if (pixels != NULL &&
        SDL_RenderReadPixels(renderer, NULL, SDL_PIXELFORMAT_ARGB8888, pixels, w * 4) == 0) {
      uint64_t hash = 14695981039346656037ull; /* FNV-1a over the whole picture */
      for (size_t i = 0; i < (size_t)w * h * 4; ++i) hash = (hash ^ pixels[i]) * 1099511628211ull;
      if (hash != last) {
        struct timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        fprintf(log, "%.4f\n", t.tv_sec + t.tv_nsec / 1e9);
        fflush(log);
        last = hash;
      }
    }
  }
  real(renderer);
}
