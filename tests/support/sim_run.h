// quorvel-sim run in-process on a script held in memory.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/sim_driver.h"

namespace quorvel::testing {

struct SimOutput {
  int status = -1;
  std::string out, err;
};

inline std::string TakeMemStream(FILE* f, char*& buf, size_t& size) {
  std::fclose(f);
  std::string text(buf, size);
  std::free(buf);
  return text;
}

inline SimOutput RunSimOn(const std::string& script, const std::vector<std::string>& args = {}) {
  const int fd = memfd_create("script", 0);
  if (fd < 0 || ::write(fd, script.data(), script.size()) != static_cast<ssize_t>(script.size()) ||
      ::lseek(fd, 0, SEEK_SET) != 0) {
    return {};
  }
  char *out_buf = nullptr, *err_buf = nullptr;
  size_t out_size = 0, err_size = 0;
  FILE* out = open_memstream(&out_buf, &out_size);
  FILE* err = open_memstream(&err_buf, &err_size);
  SimOutput r;
  r.status = RunSim(args, fd, out, err);
  ::close(fd);
  r.out = TakeMemStream(out, out_buf, out_size);
  r.err = TakeMemStream(err, err_buf, err_size);
  return r;
}

}  // namespace quorvel::testing
