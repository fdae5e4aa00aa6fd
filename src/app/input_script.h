// Input scripts: the text form of the game's input events, as quorvel-sim
// reads them, as `quorvel --record` writes them and as `quorvel --replay`
// plays them. One command a line:
//
//   tick [left] [right] [up] [down] [enter] [joy X Y B]   menu closed
//   key NAME                                              menu open
//   poll [joy X Y B]                                      menu open
//   close                                                 menu closed
//   version N                                             anywhere
//   check T L G S H X Y                                   menu closed
//
// Empty lines and lines starting with '#' are skipped but counted. `version`
// names the recording format of the lines below; `check` holds the race state
// a recording saw at that point, for a replay to compare with its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "race/race_state.h"

namespace quorvel {

// The recording format this game writes, and the newest it reads.
inline constexpr int kRecordingFormat = 1;

// A recording records one every this many tick lines.
inline constexpr int kTicksPerCheck = 125;

// What a `check` line holds: the race state after the commands above it.
struct RaceCheck {
  int32_t Ticks = 0, Lap = 0, LastGate = 0;
  float Speed = 0, Heading = 0, X = 0, Y = 0;  // world units, radians
  static RaceCheck Of(const RaceState& s);
};

// One script line as read: an input event, a format version, a check, or
// nothing (blank or comment).
struct ScriptCommand {
  enum Kind { kNone, kEvent, kVersion, kCheck };
  Kind kind = kNone;
  InputEvent event;
  RaceCheck check;
};

// Parses one line. False with a short `error` (no line number) for a
// malformed one, or for a version newer than kRecordingFormat.
bool ParseScriptLine(const std::string& line, ScriptCommand& out, std::string& error);

// The `check` line for `c`, without its end; every single printed with 9
// significant digits so that it reads back as the same value.
std::string FormatCheckLine(const RaceCheck& c);

// "" when `now` is `recorded`; else the first field that differs with both
// values: "Speed 2.5, recorded 2.25".
std::string CheckDifference(const RaceCheck& recorded, const RaceCheck& now);

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

  // Reads the descriptor `fd` (not closed here). `before_wait`, when given,
  // runs whenever more bytes have to be waited for, so a program that feeds
  // the script one line at a time sees each answer first.
  explicit InputScript(int fd, std::function<void()> before_wait = {})
      : fd_(fd), before_wait_(std::move(before_wait)) {}

  // Each `check` line is compared with `race` (nullptr: not compared) when
  // it is read; one that differs is a bad line naming the tick and the first
  // field that differs.
  void VerifyAgainst(const RaceState* race) { race_ = race; }
  // A last line without its line end that does not parse is taken as the
  // cut end of a recording (a full disk, a kill) rather than a bad line.
  void AcceptCutEnd() { cut_end_ok_ = true; }

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
  enum LineResult { kLine, kCutLine, kLineEnd, kTooLong, kFailed };
  LineResult ReadLine(std::string& line);

  int fd_;
  std::function<void()> before_wait_;
  std::vector<char> buffer_ = std::vector<char>(64 * 1024);
  std::size_t at_ = 0, end_ = 0;  // the bytes read but not yet taken
  std::int64_t line_number_ = 0;
  bool skip_lf_ = false;  // the previous line ended with CR
  const RaceState* race_ = nullptr;
  bool cut_end_ok_ = false;
  std::int64_t ticks_ = 0;  // tick lines read so far
  std::string error_;
};

}  // namespace quorvel
