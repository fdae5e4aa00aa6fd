#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/sim_driver.h"

namespace {

bool FdOpen(int fd) {
  return fcntl(fd, F_GETFD) != -1;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away (`quorvel-sim < race | head`) is a failed write,
  // reported in one line, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  // A standard descriptor found closed fails its first use (EBADF), and is
  // then taken on /dev/null, so that a file opened later (a frame, a font)
  // can never land on it and take the output.
  const int script_fd = FdOpen(0) ? 0 : -1;
  FILE* const out = FdOpen(1) ? stdout : nullptr;
  for (int fd = 0; fd < 3; ++fd) {
    if (FdOpen(fd)) continue;
    // The lowest free descriptor is `fd` itself: the ones below are open.
    const int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) close(null);
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  return quorvel::RunSim(args, script_fd, out, stderr);
}
