// Input scripts: the text form of the game's input events, as quorvel-sim
// reads them, as `quorvel --record` writes them and as `quorvel --replay`
// plays them. One command a line:
//
//   tick [left] [right] [up] [down] [enter] [joy X Y B]   menu closed
//   key NAME                                              menu open
//   poll [joy X Y B]                                      menu open
//   close                                                 menu closed
//
// Empty lines and lines starting with '#' are skipped but counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "platform/platform.h"

namespace quorvel {

// Parses one line. True with the event, or nothing for a blank or comment
// line; false with a short `error` (no line number) for a malformed one.
bool ParseScriptLine(const std::string& line, std::optional<InputEvent>& out, std::string& error);

// The line for an event, without its end: what ParseScriptLine reads back
// as the same event. Key names are used where a key has one.
std::string FormatScriptLine(const InputEvent& event);

// A script read line by line in bounded memory, each command checked
// against the state it arrives in: tick and close only while the menu is
// closed, key and poll only while it is open. A line ends at LF, CR or
// CRLF; one longer than kMaxLineBytes is refused as soon as that many bytes
// have come in, without reading the rest of it.
class InputScript {
 public:
  static constexpr std::size_t kMaxLineBytes = 4096;

  // Reads `in` through its buffer; `flush_before_wait`, when given, is
  // flushed whenever the next byte has to be waited for, so a program that
  // feeds the script one line at a time sees each answer first.
  explicit InputScript(std::istream& in, std::ostream* flush_before_wait = nullptr)
      : in_(in), flush_(flush_before_wait) {}

  enum Result { kEvent, kEnd, kBad, kReadError };
  // The next command, comments skipped. kBad with `error()` "line N: what
  // is wrong" for a line that is malformed, too long, or does not fit
  // `menu_open`; kReadError with `error()` saying why the input failed.
  // After anything but kEvent, stop.
  Result Next(bool menu_open, InputEvent& out);
  // The line of the command Next() last returned or stopped on, from 1.
  std::int64_t line_number() const { return line_number_; }
  const std::string& error() const { return error_; }

 private:
  enum LineResult { kLine, kLineEnd, kTooLong, kFailed };
  LineResult ReadLine(std::string& line);

  std::istream& in_;
  std::ostream* flush_;
  std::int64_t line_number_ = 0;
  bool skip_lf_ = false;  // the previous line ended with CR
  std::string error_;
};

}  // namespace quorvel
