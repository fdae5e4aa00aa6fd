// Fuzzing: a script or recording run through quorvel-sim's own entry point,
// on a small surface so that each input plays quickly. Every outcome is a
// status (0, 1 or 2) with at most one line on standard error.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/sim_driver.h"

namespace {

// Beyond this many lines an input only repeats what shorter ones reach.
constexpr std::size_t kMaxLines = 4000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::size_t lines = 0;
  for (std::size_t i = 0; i < size; ++i) lines += data[i] == '\n' || data[i] == '\r';
  if (lines > kMaxLines) return -1;
  const int fd = memfd_create("script", 0);
  if (fd < 0) std::abort();
  if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
  ::lseek(fd, 0, SEEK_SET);
  static FILE* const out = std::fopen("/dev/null", "w");
  char* err_text = nullptr;
  std::size_t err_size = 0;
  FILE* err = open_memstream(&err_text, &err_size);
  // The draw log goes through every drawing call's text form as well.
  const bool draw_log = size > 0 && data[0] == '#';
  std::vector<std::string> args = {"--surface", "64", "48"};
  if (draw_log) args.push_back("--draw-log");
  const int status = quorvel::RunSim(args, fd, out, err);
  std::fclose(err);
  ::close(fd);
  std::size_t ends = 0;
  for (std::size_t i = 0; i < err_size; ++i) ends += err_text[i] == '\n';
  std::free(err_text);
  if (status < 0 || status > 2 || ends > 1 || (status == 0 && ends != 0)) std::abort();
  return 0;
}
