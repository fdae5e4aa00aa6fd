#include "app/recording.h"

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "base/text.h"

namespace quorvel {

namespace {

// The keys a tick line can name, in the order it names them.
struct NamedKey {
  uint8_t bit;
  int16_t vk;
  const char* name;
};
constexpr NamedKey kNamedKeys[] = {{kTickLeft, kVkLeft, "left"},
                                   {kTickRight, kVkRight, "right"},
                                   {kTickUp, kVkUp, "up"},
                                   {kTickDown, kVkDown, "down"},
                                   {kTickEnter, kVkReturn, "enter"}};

const NamedKey* FindKey(std::string_view word) {
  for (const NamedKey& k : kNamedKeys) {
    if (word == k.name) return &k;
  }
  return nullptr;
}

// Parses "joy X Y B" starting at words[i]; it must end the line.
bool ParseJoy(const std::vector<std::string_view>& words, std::size_t i,
              std::optional<JoyReading>& joy, std::string& error) {
  if (words.size() - i != 4) {
    error = "joy takes exactly three numbers: joy X Y B";
    return false;
  }
  JoyReading r;
  if (!ParseWhole(words[i + 1], 0u, 65535u, r.dwXpos) ||
      !ParseWhole(words[i + 2], 0u, 65535u, r.dwYpos)) {
    error = "joy X and Y must be whole numbers from 0 to 65535";
    return false;
  }
  if (!ParseWhole(words[i + 3], 0u, UINT32_MAX, r.dwButtons)) {
    error = "joy B must be a decimal button mask from 0 to 4294967295";
    return false;
  }
  joy = r;
  return true;
}

std::string JoyWords(const std::optional<JoyReading>& joy) {
  if (!joy) return "";
  return " joy " + std::to_string(joy->dwXpos) + " " + std::to_string(joy->dwYpos) + " " +
         std::to_string(joy->dwButtons);
}

// The seven fields of a check line, in its order.
struct CheckField {
  const char* name;
  int32_t RaceCheck::*whole;
  float RaceCheck::*single;
};
constexpr CheckField kCheckFields[] = {{"Ticks", &RaceCheck::Ticks, nullptr},
                                       {"Lap", &RaceCheck::Lap, nullptr},
                                       {"LastGate", &RaceCheck::LastGate, nullptr},
                                       {"Speed", nullptr, &RaceCheck::Speed},
                                       {"Heading", nullptr, &RaceCheck::Heading},
                                       {"X", nullptr, &RaceCheck::X},
                                       {"Y", nullptr, &RaceCheck::Y}};

std::string SingleText(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
  return text;
}

std::string FieldText(const RaceCheck& c, const CheckField& f) {
  return f.whole != nullptr ? std::to_string(c.*f.whole) : SingleText(c.*f.single);
}

bool ParseCheck(const std::vector<std::string_view>& words, RaceCheck& c, std::string& error) {
  if (words.size() != 1 + std::size(kCheckFields)) {
    error = "check takes seven numbers: check T L G S H X Y";
    return false;
  }
  for (std::size_t i = 0; i < std::size(kCheckFields); ++i) {
    const CheckField& f = kCheckFields[i];
    const std::string_view w = words[i + 1];
    const char* last = w.data() + w.size();
    const std::from_chars_result r = f.whole != nullptr
                                         ? std::from_chars(w.data(), last, c.*f.whole)
                                         : std::from_chars(w.data(), last, c.*f.single);
    if (r.ec == std::errc::result_out_of_range && r.ptr == last) {
      error = std::string("check: ") + f.name + " " + Quoted(w) + " is out of range (" +
              (f.whole != nullptr ? "a 32-bit whole number" : "a single-precision number") + ")";
      return false;
    }
    if (r.ec != std::errc() || r.ptr != last) {
      error = std::string("check: ") + f.name + " must be a decimal " +
              (f.whole != nullptr ? "whole number" : "number") + ", not " + Quoted(w);
      return false;
    }
  }
  return true;
}

std::string FormatCheckLine(const RaceCheck& c) {
  std::string line = "check";
  for (const CheckField& f : kCheckFields) line += " " + FieldText(c, f);
  return line;
}

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
bool ParseScriptLine(const std::string& line, ScriptCommand& out, std::string& error) {
  out.kind = ScriptCommand::kNone;
  const std::vector<std::string_view> words = SplitWords(line);
  if (words.empty() || words[0][0] == '#') return true;

  InputEvent e;
  const std::string_view cmd = words[0];
  if (cmd == "version") {
    uint32_t format = 0;
    if (words.size() != 2 || !ParseWhole(words[1], 1u, UINT32_MAX, format)) {
      error = "version takes one format number from 1";
      return false;
    }
    if (format > static_cast<uint32_t>(kRecordingFormat)) {
      error = "recording format " + std::to_string(format) +
              " is newer than this game reads (up to " + std::to_string(kRecordingFormat) +
              "): it was made by a newer version";
      return false;
    }
    out.kind = ScriptCommand::kVersion;
    return true;
  }
  if (cmd == "check") {
    if (!ParseCheck(words, out.check, error)) return false;
    out.kind = ScriptCommand::kCheck;
    return true;
  }
  if (cmd == "tick") {
    e.kind = InputEvent::kTick;
    for (std::size_t i = 1; i < words.size(); ++i) {
      if (words[i] == "joy") {
        if (!ParseJoy(words, i, e.joy, error)) return false;
        break;
      }
      const NamedKey* k = FindKey(words[i]);
      if (k == nullptr) {
        error = "unknown key " + Quoted(words[i]) + " (left, right, up, down, enter)";
        return false;
      }
      e.keys |= k->bit;
    }
  } else if (cmd == "key") {
    e.kind = InputEvent::kKey;
    if (words.size() != 2) {
      error = "key takes one key name or virtual-key code";
      return false;
    }
    const std::string_view name = words[1];
    int16_t code = 0;
    if (name == "escape") {
      e.key = kVkEscape;
    } else if (const NamedKey* k = FindKey(name)) {
      e.key = k->vk;
    } else if (ParseWhole(name, int16_t{0}, int16_t{32767}, code)) {
      e.key = code;
    } else {
      error = "unknown key " + Quoted(name) + " (escape, left, up, right, down, enter or a code)";
      return false;
    }
  } else if (cmd == "poll") {
    e.kind = InputEvent::kPoll;
    if (words.size() > 1) {
      if (words[1] != "joy") {
        error = "poll takes only 'joy X Y B'";
        return false;
      }
      if (!ParseJoy(words, 1, e.joy, error)) return false;
    }
  } else if (cmd == "close") {
    e.kind = InputEvent::kClose;
    if (words.size() != 1) {
      error = "close takes no arguments";
      return false;
    }
  } else {
    error = "unknown command " + Quoted(cmd);
    return false;
  }
  out.kind = ScriptCommand::kEvent;
  out.event = e;
  return true;
}

// The line for an event, without its end: what ParseScriptLine reads back
// as the same event. Key names are used where a key has one.
std::string FormatScriptLine(const InputEvent& e) {
  switch (e.kind) {
    case InputEvent::kTick: {
      std::string line = "tick";
      for (const NamedKey& k : kNamedKeys) {
        if ((e.keys & k.bit) != 0) line += std::string(" ") + k.name;
      }
      return line + JoyWords(e.joy);
    }
    case InputEvent::kKey:
      if (e.key == kVkEscape) return "key escape";
      for (const NamedKey& k : kNamedKeys) {
        if (e.key == k.vk) return std::string("key ") + k.name;
      }
      return "key " + std::to_string(e.key);
    case InputEvent::kPoll:
      return "poll" + JoyWords(e.joy);
    case InputEvent::kClose:
      break;
  }
  return "close";
}

}  // namespace

RaceCheck RaceCheck::Of(const RaceState& s) {
  return {s.Ticks, s.Lap, s.LastGate, s.Speed, s.Heading, s.Pos[0], s.Pos[1]};
}

std::string CheckDifference(const RaceCheck& recorded, const RaceCheck& now) {
  for (const CheckField& f : kCheckFields) {
    // Singles compare by their bits: a check is exact, and a NaN that a
    // recording holds is matched only by the same NaN.
    const bool same = f.whole != nullptr ? recorded.*f.whole == now.*f.whole
                                         : std::bit_cast<uint32_t>(recorded.*f.single) ==
                                               std::bit_cast<uint32_t>(now.*f.single);
    if (!same) {
      return std::string(f.name) + " " + FieldText(now, f) + ", recorded " + FieldText(recorded, f);
    }
  }
  return "";
}

RecordingReader::RecordingReader(int fd, std::function<void()> before_wait)
    : fd_(fd), before_wait_(std::move(before_wait)), buffer_(64 * 1024, '\0') {}

RecordingReader::RecordingReader(std::string text)
    : from_text_(true), buffer_(std::move(text)), end_(buffer_.size()) {}

RecordingReader::LineResult RecordingReader::ReadLine(std::string& line) {
  line.clear();
  bool started = false;
  for (;;) {
    if (at_ == end_) {
      if (from_text_) return started ? kCutLine : kLineEnd;
      if (before_wait_) before_wait_();
      ssize_t n = 0;
      do {
        n = ::read(fd_, buffer_.data(), buffer_.size());
      } while (n < 0 && errno == EINTR);
      if (n < 0) {
        error_ = std::strerror(errno);
        if (!started) ++line_number_;
        return kFailed;
      }
      if (n == 0) return started ? kCutLine : kLineEnd;
      at_ = 0;
      end_ = static_cast<std::size_t>(n);
    }
    const char ch = buffer_[at_++];
    if (skip_lf_) {
      skip_lf_ = false;
      if (ch == '\n') continue;
    }
    if (!started) {
      started = true;
      ++line_number_;
    }
    if (ch == '\n') return kLine;
    if (ch == '\r') {
      // The LF of a CRLF is skipped when the next line is read: waiting for
      // it here would hold back a line that ends with a lone CR.
      skip_lf_ = true;
      return kLine;
    }
    if (line.size() == kMaxLineBytes) return kTooLong;
    line.push_back(ch);
  }
}

RecordingReader::Result RecordingReader::Next(bool menu_open, InputEvent& out) {
  const auto bad = [this](const std::string& what) {
    error_ = "line " + std::to_string(line_number()) + ": " + what;
    return kBad;
  };
  std::string text;
  for (;;) {
    const LineResult read = ReadLine(text);
    switch (read) {
      case kLine:
        break;
      case kCutLine:
        // Whatever a cut line holds, even a number cut short that still
        // reads, it is not what was recorded.
        if (cut_end_ok_) return kEnd;
        break;
      case kLineEnd:
        return kEnd;
      case kTooLong:
        return bad("longer than " + std::to_string(kMaxLineBytes) + " bytes");
      case kFailed:
        return kReadError;
    }
    ScriptCommand command;
    std::string why;
    if (!ParseScriptLine(text, command, why)) return bad(why);
    if (command.kind == ScriptCommand::kNone || command.kind == ScriptCommand::kVersion) continue;
    const InputEvent::Kind kind =
        command.kind == ScriptCommand::kCheck ? InputEvent::kTick : command.event.kind;
    const bool menu_line = kind == InputEvent::kKey || kind == InputEvent::kPoll;
    if (menu_line && !menu_open) return bad("the menu window is not open: key and poll need it");
    if (!menu_line && menu_open) return bad("the menu window is open: only key and poll fit now");
    if (command.kind == ScriptCommand::kCheck) {
      if (race_ == nullptr) continue;
      const std::string difference = CheckDifference(command.check, RaceCheck::Of(*race_));
      if (difference.empty()) continue;
      return bad("the race differs from the recording after tick line " + std::to_string(ticks_) +
                 ": " + difference);
    }
    if (kind == InputEvent::kTick) ++ticks_;
    out = command.event;
    return kEvent;
  }
}

RecordingWriter::RecordingWriter(int fd, const RaceState& race, const std::string& header,
                                 std::function<void(const std::string& error)> failed)
    : fd_(fd), race_(race), header_(header), failed_(std::move(failed)) {
  struct stat st {};
  if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
    regular_ = true;
    whole_ = lseek(fd_, 0, SEEK_CUR);
  }
  Restart();
}

RecordingWriter::RecordingWriter(const RaceState& race, const std::string& header)
    : race_(race), header_(header) {
  Restart();
}

void RecordingWriter::Restart() {
  text_.clear();
  closed_ = false;
  menu_open_ = false;
  ticks_unchecked_ = 0;
  WriteLine("version " + std::to_string(kRecordingFormat));
  WriteLine("# " + header_);
}

void RecordingWriter::WriteLine(const std::string& line) {
  if (closed_ || !error_.empty()) return;
  if (fd_ < 0) {
    text_.append(line) += '\n';
    if (text_.size() > kMaxTextBytes) {
      error_ = "it is too long to keep";
      text_ = {};
    }
    return;
  }
  const std::string text = line + '\n';
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // The game goes on unrecorded. A part of the line that did get
      // written (a full disk) is taken back, so the recording still ends
      // with a whole line and replays up to it.
      error_ = std::strerror(n < 0 ? errno : ENOSPC);
      if (done > 0 && regular_ && ftruncate(fd_, whole_) == 0) lseek(fd_, whole_, SEEK_SET);
      if (failed_) failed_(error_);
      return;
    }
    done += static_cast<std::size_t>(n);
  }
  whole_ += static_cast<off_t>(text.size());
}

void RecordingWriter::WriteCheckIfDue(bool at_end) {
  if (ticks_unchecked_ == 0) return;
  if (!at_end && ticks_unchecked_ < kTicksPerCheck) return;
  WriteLine(FormatCheckLine(RaceCheck::Of(race_)));
  ticks_unchecked_ = 0;
}

void RecordingWriter::Before(const InputEvent& e, bool menu_open) {
  menu_open_ = menu_open;
  if (e.kind == InputEvent::kClose && menu_open) {
    closed_ = true;
    return;
  }
  if (!menu_open) WriteCheckIfDue(e.kind == InputEvent::kClose);
  WriteLine(FormatScriptLine(e));
  if (e.kind == InputEvent::kTick) ++ticks_unchecked_;
  if (e.kind == InputEvent::kClose) closed_ = true;
}

bool RecordingWriter::Finish(bool unloaded) {
  if (!unloaded && !menu_open_) {
    WriteCheckIfDue(true);
    WriteLine("close");
  }
  closed_ = true;
  return error_.empty();
}

std::string RecordingWriter::text() const {
  if (!error_.empty()) return {};
  if (ticks_unchecked_ == 0) return text_;
  return text_ + FormatCheckLine(RaceCheck::Of(race_)) + '\n';
}

RecordingReplay::RecordingReplay(int fd, const RaceState& race) : reader_(fd) {
  reader_.VerifyAgainst(&race);
  reader_.AcceptCutEnd();
}

std::optional<InputEvent> RecordingReplay::Seen(const InputEvent& live, bool) {
  if (live.kind == InputEvent::kClose) return live;
  if (live.kind == InputEvent::kKey && live.key == kVkEscape) {
    return InputEvent::Of(InputEvent::kClose);
  }
  return std::nullopt;  // the recording's keys come at the menu's timer
}

std::optional<InputEvent> RecordingReplay::Due(bool menu_open) {
  const InputEvent leave = InputEvent::Key(kVkEscape);
  if (ended_) return menu_open ? std::optional<InputEvent>(leave) : std::nullopt;
  InputEvent e;
  switch (Next(menu_open, e)) {
    case RecordingReader::kEvent:
      return e;
    case RecordingReader::kEnd:
      break;
    case RecordingReader::kBad:
      error_ = reader_.error();
      return InputEvent::Of(InputEvent::kClose);
    case RecordingReader::kReadError:
      error_ = "cannot read it: " + reader_.error();
      return InputEvent::Of(InputEvent::kClose);
  }
  ended_ = true;
  return menu_open ? std::optional<InputEvent>(leave) : std::nullopt;
}

RecordingReader::Result RecordingReplay::Next(bool menu_open, InputEvent& e) {
  if (!ahead_) return reader_.Next(menu_open, e);
  const Ahead ahead = *ahead_;
  ahead_.reset();
  e = ahead.event;
  return ahead.result;
}

std::optional<InputEvent> RecordingReplay::Held() {
  if (ended_) return std::nullopt;
  // Between ticks the menu is closed, so the next line must be a tick or a
  // close; anything else is reported when its turn comes.
  if (!ahead_) {
    Ahead ahead;
    ahead.result = reader_.Next(false, ahead.event);
    ahead_ = ahead;
  }
  if (ahead_->result == RecordingReader::kEnd) return std::nullopt;
  if (ahead_->result == RecordingReader::kEvent && ahead_->event.kind == InputEvent::kTick) {
    return ahead_->event;
  }
  return std::nullopt;
}

}  // namespace quorvel
