// A driver script read whole from a file, then handed out one command at a
// time: what `quorvel --replay` checks and plays. The file is read once, so
// a pipe (`--replay <(...)`) is checked and played from the same copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "app/script_reader.h"
#include "app/sim_script.h"

namespace quorvel {

class ScriptFile {
 public:
  // A recording is a few hundred KB (a line every 80 or 100 ms); anything
  // past this many bytes is no recording.
  static constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;

  // Reads the whole file at `path`. False with a one-line `error` when it
  // cannot be opened or read, or is larger than kMaxFileBytes.
  bool Open(const std::string& path, std::string& error);
  // The file's bytes, as read by Open().
  const std::string& text() const { return text_; }

  enum Result { kCommand, kEnd, kBad };
  // The next command, comments and empty lines skipped. kBad with a
  // one-line `error` ("line N: what is wrong") for a line that does not
  // parse; stop then.
  Result Next(SimCommand& cmd, std::string& error);
  // The line of the command Next() last returned, from 1.
  std::int64_t line_number() const;

 private:
  std::string text_;
  std::unique_ptr<TextInBuf> buf_;
  std::unique_ptr<std::istream> in_;
  std::unique_ptr<ScriptReader> reader_;
};

}  // namespace quorvel
