// A driver script read from a file one command at a time, in bounded memory:
// what `quorvel --replay` plays and checks before any window opens.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "app/fd_streams.h"
#include "app/script_reader.h"
#include "app/sim_script.h"

namespace quorvel {

class ScriptFile {
 public:
  ScriptFile() = default;
  ~ScriptFile();
  ScriptFile(const ScriptFile&) = delete;
  ScriptFile& operator=(const ScriptFile&) = delete;

  // False with a one-line `error` when the file cannot be opened.
  bool Open(const std::string& path, std::string& error);

  enum Result { kCommand, kEnd, kBad };
  // The next command, comments and empty lines skipped. kBad with a
  // one-line `error` ("line N: what is wrong", or why reading failed) for a
  // line that does not parse or a file that cannot be read; stop then.
  Result Next(SimCommand& cmd, std::string& error);
  // The line of the command Next() last returned, from 1.
  std::int64_t line_number() const;

 private:
  int fd_ = -1;
  std::unique_ptr<FdInBuf> buf_;
  std::unique_ptr<std::istream> in_;
  std::unique_ptr<ScriptReader> reader_;
};

// Reads the whole script at `path`: "" when every line parses, else the
// one-line reason for the first one that does not.
std::string CheckScriptFile(const std::string& path);

}  // namespace quorvel
