#include "base/text.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

namespace quorvel {

namespace {

// Characters that show nothing, or turn the order of what follows around,
// so that a message could look other than it is: the format characters
// (soft hyphen, zero-width spaces and joiners, direction marks, embeddings
// and isolates, the byte-order mark, tags) and the line and paragraph
// separators. Ranges of code points, in order.
constexpr struct {
  uint32_t first, last;
} kInvisible[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool Invisible(uint32_t code) {
  for (const auto& r : kInvisible) {
    if (code >= r.first && code <= r.last) return true;
  }
  return false;
}

// The length of the valid UTF-8 sequence at text[i], or 0 when the bytes
// there are not one (bad lead byte, missing continuation, overlong form,
// surrogate, past U+10FFFF).
std::size_t Utf8Length(std::string_view text, std::size_t i, uint32_t& code) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  std::size_t n = 0;
  uint32_t min = 0;
  if (b0 < 0x80) {
    code = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    n = 2, code = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, code = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, code = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    code = (code << 6) | (b & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return n;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
  for (const char c : bytes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
    out += hex;
  }
}

}  // namespace

std::string Quoted(std::string_view text, int max_chars) {
  std::string out = "'";
  int chars = 0;
  std::size_t i = 0;
  while (i < text.size() && chars < max_chars) {
    uint32_t code = 0;
    std::size_t n = Utf8Length(text, i, code);
    const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
    if (n == 0) {
      AppendEscaped(out, text.substr(i, 1));
      n = 1;
    } else if (control || code == '\\' || Invisible(code)) {
      AppendEscaped(out, text.substr(i, n));
    } else {
      out += text.substr(i, n);
    }
    i += n;
    ++chars;
  }
  if (i < text.size()) out += "...";
  return out + "'";
}

bool ParseWhole(std::string_view word, int64_t low, int64_t high, int64_t& out) {
  // from_chars reads "-0" as 0: no sign where none can belong.
  if (low >= 0 && !word.empty() && word[0] == '-') return false;
  int64_t v = 0;
  const char* end = word.data() + word.size();
  const auto [ptr, ec] = std::from_chars(word.data(), end, v);
  if (ec != std::errc() || ptr != end || v < low || v > high) return false;
  out = v;
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

std::vector<std::string_view> SplitWords(std::string_view line) {
  constexpr std::string_view kSpace = " \t\n\v\f\r";
  std::vector<std::string_view> words;
  for (std::size_t at = line.find_first_not_of(kSpace); at != std::string_view::npos;) {
    const std::size_t end = line.find_first_of(kSpace, at);
    words.push_back(line.substr(at, end - at));
    at = end == std::string_view::npos ? end : line.find_first_not_of(kSpace, end);
  }
  return words;
}

}  // namespace quorvel
