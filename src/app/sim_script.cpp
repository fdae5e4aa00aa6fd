#include "app/sim_script.h"

#include <charconv>
#include <cstdint>
#include <sstream>
#include <vector>

#include "app/quoted_text.h"

namespace quorvel {

namespace {

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

int TickKey(const std::string& w) {
  if (w == "left") return kVkLeft;
  if (w == "right") return kVkRight;
  if (w == "up") return kVkUp;
  if (w == "down") return kVkDown;
  if (w == "enter") return kVkReturn;
  return -1;
}

}  // namespace

bool ParseSimLine(const std::string& line, SimCommand& out, std::string& error) {
  out = SimCommand{};
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty() || words[0][0] == '#') return true;

  const std::string& cmd = words[0];
  if (cmd == "tick") {
    out.kind = SimCommand::kTick;
    for (std::size_t i = 1; i < words.size(); ++i) {
      if (words[i] == "joy") return ParseJoy(words, i, out.joy, error);
      const int vk = TickKey(words[i]);
      if (vk < 0) {
        error = "unknown key " + Quoted(words[i]) + " (left, right, up, down, enter)";
        return false;
      }
      out.keys.insert(vk);
    }
    return true;
  }
  if (cmd == "key") {
    out.kind = SimCommand::kKey;
    if (words.size() != 2) {
      error = "key takes one key name or virtual-key code";
      return false;
    }
    const std::string& name = words[1];
    if (name == "escape") {
      out.key = kVkEscape;
    } else if (name == "enter") {
      out.key = kVkReturn;
    } else if (TickKey(name) >= 0) {
      out.key = static_cast<int16_t>(TickKey(name));
    } else {
      uint32_t code = 0;
      if (!ParseUnsigned(name, 32767, code)) {
        error = "unknown key " + Quoted(name) + " (escape, left, up, right, down, enter or a code)";
        return false;
      }
      out.key = static_cast<int16_t>(code);
    }
    return true;
  }
  if (cmd == "poll") {
    out.kind = SimCommand::kPoll;
    if (words.size() == 1) return true;
    if (words[1] != "joy") {
      error = "poll takes only 'joy X Y B'";
      return false;
    }
    return ParseJoy(words, 1, out.joy, error);
  }
  if (cmd == "close") {
    out.kind = SimCommand::kClose;
    if (words.size() != 1) {
      error = "close takes no arguments";
      return false;
    }
    return true;
  }
  error = "unknown command " + Quoted(cmd);
  return false;
}

}  // namespace quorvel
