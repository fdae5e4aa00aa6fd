#include "app/script_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvel {

ScriptFile::~ScriptFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool ScriptFile::Open(const std::string& path, std::string& error) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    error = std::string("cannot open it: ") + std::strerror(errno);
    return false;
  }
  buf_ = std::make_unique<FdInBuf>(fd_);
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

std::string CheckScriptFile(const std::string& path) {
  ScriptFile file;
  std::string error;
  if (!file.Open(path, error)) return error;
  SimCommand cmd;
  for (;;) {
    switch (file.Next(cmd, error)) {
      case ScriptFile::kCommand:
        continue;
      case ScriptFile::kEnd:
        return "";
      case ScriptFile::kBad:
        return error;
    }
  }
}

}  // namespace quorvel
