#include "app/script_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvel {

namespace {

// Reads the descriptor to its end, at most `max` bytes; one more byte
// than that makes it too large. "" or why it failed.
std::string ReadAll(int fd, std::size_t max, std::string& out) {
  constexpr std::size_t kChunk = 64 * 1024;
  for (;;) {
    const std::size_t at = out.size();
    out.resize(at + kChunk);
    const ssize_t n = ::read(fd, out.data() + at, kChunk);
    out.resize(at + (n > 0 ? static_cast<std::size_t>(n) : 0));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::string("cannot read it: ") + std::strerror(errno);
    if (out.size() > max) return "larger than " + std::to_string(max >> 20) + " MiB";
    if (n == 0) return "";
  }
}

}  // namespace

bool ScriptFile::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::string("cannot open it: ") + std::strerror(errno);
    return false;
  }
  text_.clear();
  error = ReadAll(fd, kMaxFileBytes, text_);
  ::close(fd);
  if (!error.empty()) {
    text_.clear();
    return false;
  }
  buf_ = std::make_unique<TextInBuf>(text_);
  in_ = std::make_unique<std::istream>(buf_.get());
  reader_ = std::make_unique<ScriptReader>(*in_);
  return true;
}

ScriptFile::Result ScriptFile::Next(SimCommand& cmd, std::string& error) {
  std::string text;
  for (;;) {
    switch (reader_->Next(text)) {
      case ScriptReader::kLine:
        if (!ParseSimLine(text, cmd, error)) {
          error = "line " + std::to_string(line_number()) + ": " + error;
          return kBad;
        }
        if (cmd.kind == SimCommand::kSkip) continue;
        return kCommand;
      case ScriptReader::kEnd:
        return kEnd;
      case ScriptReader::kTooLong:
        error = "line " + std::to_string(line_number()) + ": longer than " +
                std::to_string(ScriptReader::kMaxLineBytes) + " bytes";
        return kBad;
      case ScriptReader::kReadError:
        error = "cannot read it: " + reader_->error();
        return kBad;
    }
  }
}

std::int64_t ScriptFile::line_number() const {
  return reader_ != nullptr ? reader_->line_number() : 0;
}

}  // namespace quorvel
