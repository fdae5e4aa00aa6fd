#include "app/input_script.h"

#include <charconv>
#include <ios>
#include <sstream>
#include <system_error>
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

bool ParseScriptLine(const std::string& line, std::optional<InputEvent>& out, std::string& error) {
  out.reset();
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty() || words[0][0] == '#') return true;

  InputEvent e;
  const std::string& cmd = words[0];
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
  out = e;
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
  using Traits = std::istream::traits_type;
  line.clear();
  std::streambuf* buf = in_.rdbuf();
  if (buf == nullptr) return kLineEnd;
  bool started = false;
  for (;;) {
    if (flush_ != nullptr && buf->in_avail() == 0) flush_->flush();
    Traits::int_type c;
    try {
      c = buf->sbumpc();
    } catch (const std::ios_base::failure& e) {
      // A stream buffer on a descriptor reports why the read failed in the
      // error code; any other failure has only its text.
      error_ = e.code().category() == std::system_category() ? e.code().message() : e.what();
      if (!started) ++line_number_;
      return kFailed;
    }
    if (Traits::eq_int_type(c, Traits::eof())) return started ? kLine : kLineEnd;
    const char ch = Traits::to_char_type(c);
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
    switch (ReadLine(text)) {
      case kLine:
        break;
      case kLineEnd:
        return kEnd;
      case kTooLong:
        return bad("longer than " + std::to_string(kMaxLineBytes) + " bytes");
      case kFailed:
        return kReadError;
    }
    std::optional<InputEvent> event;
    std::string why;
    if (!ParseScriptLine(text, event, why)) return bad(why);
    if (!event) continue;
    const bool menu_line = event->kind == InputEvent::kKey || event->kind == InputEvent::kPoll;
    if (menu_line && !menu_open) return bad("the menu window is not open: key and poll need it");
    if (!menu_line && menu_open) return bad("the menu window is open: only key and poll fit now");
    out = *event;
    return kEvent;
  }
}

}  // namespace quorvel
