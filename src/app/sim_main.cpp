#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/fd_streams.h"
#include "app/sim_driver.h"

int main(int argc, char** argv) {
  // A reader that goes away (`quorvel-sim < race | head`) is a failed write,
  // reported in one line, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  // The script and the state lines go straight through the descriptors, so
  // that a failed read is not taken for the end of the script and a failed
  // write is seen; both buffers look at the descriptors before any is
  // reserved.
  quorvel::FdInBuf in_buf(0);
  quorvel::FdOutBuf out_buf(1);
  quorvel::ReserveStdFds();
  std::istream script(&in_buf);
  std::ostream out(&out_buf);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return quorvel::RunSim(args, script, out, std::cerr);
}
