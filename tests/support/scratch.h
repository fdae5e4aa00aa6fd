// Test helpers for the world outside the process: a scratch folder of the
// test's own, a shell command's status and output, a file's text.
#pragma once

#include <filesystem>
#include <string>

namespace quorvel::testing {

// A new empty folder under the temporary folder, named after `name` and the
// process (so parallel test runs never share one); removed with everything
// in it when the value goes.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // Empties it again.
  void Clear() const;

 private:
  std::filesystem::path path_;
};

struct CommandResult {
  int status = -1;  // the exit status; -1 when the command did not exit
  std::string out;  // what it wrote on standard output
};

// Runs `command` with /bin/sh and waits for it.
CommandResult RunCommand(const std::string& command);

// The whole of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace quorvel::testing
