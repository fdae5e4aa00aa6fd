// Recordings: the text form of the game's input, as quorvel-sim reads it as
// a script, as `quorvel --record` and the kept best runs write it, and as
// `quorvel --replay` and the ghost play it. One command a line:
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
// a recording saw at that point, for a replay to compare with its own. This
// is the one place that reads and writes the format.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "race/race_state.h"

namespace quorvel {

// The recording format this game writes, and the newest it reads.
inline constexpr int kRecordingFormat = 1;

// A recording holds a check line after every this many tick lines.
inline constexpr int kTicksPerCheck = 125;

// What a `check` line holds: the race state after the commands above it.
struct RaceCheck {
  int32_t Ticks = 0, Lap = 0, LastGate = 0;
  float Speed = 0, Heading = 0, X = 0, Y = 0;  // world units, radians
  static RaceCheck Of(const RaceState& s);
};

// "" when `now` is `recorded`; else the first field that differs with both
// values: "Speed 2.5, recorded 2.25".
std::string CheckDifference(const RaceCheck& recorded, const RaceCheck& now);

// Reads a recording (or any quorvel-sim script) a line at a time in bounded
// memory, from a descriptor as it arrives or from text in memory, each
// command checked against the state it arrives in: tick and close only while
// the menu is closed, key and poll only while it is open. A line ends at LF,
// CR or CRLF; one longer than kMaxLineBytes is refused as soon as that many
// bytes have come in, without reading the rest of it.
class RecordingReader {
 public:
  static constexpr std::size_t kMaxLineBytes = 4096;

  // Reads the descriptor `fd` (not closed here). `before_wait`, when given,
  // runs whenever more bytes have to be waited for, so a program that feeds
  // the script one line at a time sees each answer first.
  explicit RecordingReader(int fd, std::function<void()> before_wait = {});
  // Reads `text`.
  explicit RecordingReader(std::string text);

  // Each `check` line is compared with `race` (nullptr: not compared) when
  // it is read; one that differs is a bad line naming the tick line it
  // follows and the first field that differs.
  void VerifyAgainst(const RaceState* race) { race_ = race; }
  // A last line without its line end is taken as the cut end of a recording
  // (a full disk, a kill) and ends it quietly, rather than being read.
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

  int fd_ = -1;
  bool from_text_ = false;  // the text in buffer_ is all there is
  std::function<void()> before_wait_;
  std::string buffer_;
  std::size_t at_ = 0, end_ = 0;  // the bytes read but not yet taken
  std::int64_t line_number_ = 0;
  bool skip_lf_ = false;  // the previous line ended with CR
  const RaceState* race_ = nullptr;
  bool cut_end_ok_ = false;
  std::int64_t ticks_ = 0;  // tick lines read so far
  std::string error_;
};

// Writes the game's input as a recording: `version`, a comment naming what
// made it, then every event the game takes, a line each, with a check line
// of the race after every kTicksPerCheck tick lines and at the end. As a tap
// it sees each event before the game takes it: the check of the state after
// the last tick (and the menu visit it may have made) goes before the next
// line read with the menu closed.
class RecordingWriter final : public InputTap {
 public:
  // Writes to the descriptor `fd` (not closed here), every line with a
  // write of its own as soon as the game takes the event, so a kill or a
  // crash loses nothing played before it. A line that cannot be written
  // whole is cut off again where the file is a regular one, so that the
  // recording always ends with a whole line. `failed`, when given, is told
  // why at the first write that fails; the game goes on unrecorded.
  RecordingWriter(int fd, const RaceState& race, const std::string& header,
                  std::function<void(const std::string& error)> failed = {});
  // Keeps the lines in memory (text()), at most kMaxTextBytes of them.
  RecordingWriter(const RaceState& race, const std::string& header);

  // Some four hours of ticks.
  static constexpr std::size_t kMaxTextBytes = 16 * 1024 * 1024;

  // A close while the menu is open ends the recording there: a script has
  // no such line, and its end leaves the menu as Esc would.
  void Before(const InputEvent& e, bool menu_open) override;
  // The program is ending: the last check and a `close` line when the game
  // window went without one while the menu was closed (destroyed by another
  // program), unless the game unloaded itself (a quit from the menu). False
  // with `error()` set when some of the recording could not be written.
  bool Finish(bool unloaded);
  // Starts the kept lines afresh from the header, as a recording whose
  // game has just been loaded.
  void Restart();
  // The recording in memory as it stands, ended with the check of the race
  // as it stands now; empty when it outgrew kMaxTextBytes.
  std::string text() const;
  const std::string& error() const { return error_; }

 private:
  void WriteLine(const std::string& line);
  void WriteCheckIfDue(bool at_end);

  int fd_ = -1;  // -1: kept in text_
  const RaceState& race_;
  std::string header_;
  std::function<void(const std::string& error)> failed_;
  std::string error_;
  std::string text_;
  bool regular_ = false;  // a regular file: a cut line can be taken back
  off_t whole_ = 0;       // bytes of whole lines written
  bool menu_open_ = false;
  bool closed_ = false;
  long ticks_unchecked_ = 0;  // tick lines since the last check line
};

// Plays a recording back as the game's input: each tick of the game's
// timer takes the next `tick` line in place of the devices, which are never
// read, and each period of the menu's timer the next `key` or `poll` line.
// The recording is read as it plays, so one of any length starts at once, in
// bounded memory; a line that is malformed or does not fit, or a check line
// the game's race differs from, ends the replay there. Esc or the window's
// close button end it and the game; the end of the recording stops the
// ticks (the last picture stays) and leaves an open menu as Esc would.
class RecordingReplay final : public InputSource {
 public:
  // Reads the recording from `fd` (not closed here) and compares its check
  // lines with `race`, the game it plays. A last line cut short ends it as
  // the end of the file does.
  RecordingReplay(int fd, const RaceState& race);

  std::optional<InputEvent> Due(bool menu_open) override;
  std::optional<InputEvent> Seen(const InputEvent& live, bool menu_open) override;
  // The next tick line's input, read ahead, so a replay is as smooth as the
  // race was; nothing at the end of the recording.
  std::optional<InputEvent> Held() override;
  // Empty while the recording has fitted the game; else one line naming the
  // line that did not (the replay stopped there).
  const std::string& error() const { return error_; }

 private:
  RecordingReader::Result Next(bool menu_open, InputEvent& e);

  RecordingReader reader_;
  struct Ahead {
    RecordingReader::Result result;
    InputEvent event;
  };
  std::optional<Ahead> ahead_;
  bool ended_ = false;
  std::string error_;
};

}  // namespace quorvel
