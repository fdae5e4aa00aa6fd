#include "support/scratch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace quorvel::testing {

ScratchDir::ScratchDir(const std::string& name)
    : path_(std::filesystem::temp_directory_path() /
            ("quorvel-" + name + "-" + std::to_string(::getpid()))) {
  Clear();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::Clear() const {
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

CommandResult RunCommand(const std::string& command) {
  CommandResult r;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
  const int status = pclose(p);
  if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
  return r;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quorvel::testing
