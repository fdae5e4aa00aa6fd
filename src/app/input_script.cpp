#include "app/input_script.h"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sstream>
#include <vector>

#include "app/quoted_text.h"

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

const NamedKey* FindKey(const std::string& word) {
  for (const NamedKey& k : kNamedKeys) {
    if (word == k.name) return &k;
  }
  return nullptr;
}

bool ParseUnsigned(const std::string& word, uint64_t max, uint32_t& out) {
  uint64_t v = 0;
  const char* first = word.data();
  const char* last = first + word.size();
  auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last || v > max) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

// Parses "joy X Y B" starting at words[i]; it must end the line.
bool ParseJoy(const std::vector<std::string>& words, std::size_t i, std::optional<JoyReading>& joy,
              std::string& error) {
  if (words.size() - i != 4) {
    error = "joy takes exactly three numbers: joy X Y B";
    return false;
  }
  JoyReading r;
  if (!ParseUnsigned(words[i + 1], 65535, r.dwXpos) ||
      !ParseUnsigned(words[i + 2], 65535, r.dwYpos)) {
    error = "joy X and Y must be whole numbers from 0 to 65535";
    return false;
  }
  if (!ParseUnsigned(words[i + 3], UINT32_MAX, r.dwButtons)) {
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

}  // namespace

RaceCheck RaceCheck::Of(const RaceState& s) {
  return {s.Ticks, s.Lap, s.LastGate, s.Speed, s.Heading, s.Pos[0], s.Pos[1]};
}

namespace {

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

bool ParseCheck(const std::vector<std::string>& words, RaceCheck& c, std::string& error) {
  if (words.size() != 1 + std::size(kCheckFields)) {
    error = "check takes seven numbers: check T L G S H X Y";
    return false;
  }
  for (std::size_t i = 0; i < std::size(kCheckFields); ++i) {
    const CheckField& f = kCheckFields[i];
    const std::string& w = words[i + 1];
    const char* last = w.data() + w.size();
    const std::from_chars_result r = f.whole != nullptr
                                         ? std::from_chars(w.data(), last, c.*f.whole)
                                         : std::from_chars(w.data(), last, c.*f.single);
    if (r.ec != std::errc() || r.ptr != last) {
      error = std::string("check: ") + f.name + " must be a decimal " +
              (f.whole != nullptr ? "whole number" : "number") + ", not " + Quoted(w);
      return false;
    }
  }
  return true;
}

}  // namespace

std::string FormatCheckLine(const RaceCheck& c) {
  std::string line = "check";
  for (const CheckField& f : kCheckFields) line += " " + FieldText(c, f);
  return line;
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

bool ParseScriptLine(const std::string& line, ScriptCommand& out, std::string& error) {
  out.kind = ScriptCommand::kNone;
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty() || words[0][0] == '#') return true;

  InputEvent e;
  const std::string& cmd = words[0];
  if (cmd == "version") {
    uint32_t format = 0;
    if (words.size() != 2 || !ParseUnsigned(words[1], UINT32_MAX, format) || format < 1) {
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
    const std::string& name = words[1];
    uint32_t code = 0;
    if (name == "escape") {
      e.key = kVkEscape;
    } else if (const NamedKey* k = FindKey(name)) {
      e.key = k->vk;
    } else if (ParseUnsigned(name, 32767, code)) {
      e.key = static_cast<int16_t>(code);
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

InputScript::LineResult InputScript::ReadLine(std::string& line) {
  line.clear();
  bool started = false;
  for (;;) {
    if (at_ == end_) {
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

InputScript::Result InputScript::Next(bool menu_open, InputEvent& out) {
  const auto bad = [this](const std::string& what) {
    error_ = "line " + std::to_string(line_number()) + ": " + what;
    return kBad;
  };
  std::string text;
  for (;;) {
    const LineResult read = ReadLine(text);
    switch (read) {
      case kLine:
      case kCutLine:
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
    if (!ParseScriptLine(text, command, why)) {
      if (read == kCutLine && cut_end_ok_) return kEnd;
      return bad(why);
    }
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
      return bad("the race differs from the recording after tick " + std::to_string(ticks_) + ": " +
                 difference);
    }
    if (kind == InputEvent::kTick) ++ticks_;
    out = command.event;
    return kEvent;
  }
}

}  // namespace quorvel
