// Text as the game reads and shows it: untrusted words quoted for one-line
// messages, whole numbers read within a range, and text cut into lines and
// words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// File names are cut much later than script words: a cut name is no use
// to the player who has to find the file.
inline constexpr int kMaxQuotedPathChars = 1024;

// `text` in single quotes, cut to its first `max_chars` characters (with
// "..." when cut), control characters, invisible and direction-changing
// format characters, line and paragraph separators, backslashes and bytes
// that are not UTF-8 written as \xNN escapes of their bytes; other valid
// UTF-8 stays as it is.
std::string Quoted(std::string_view text, int max_chars = 40);

// The whole decimal number that `word` is, from `low` to `high`: digits
// with a '-' in front for a negative one, nothing else (no '+', no spaces).
// False, `out` untouched, for anything else or out of range.
bool ParseWhole(std::string_view word, int64_t low, int64_t high, int64_t& out);

template <typename Int>
bool ParseWhole(std::string_view word, Int low, Int high, Int& out) {
  int64_t v = 0;
  if (!ParseWhole(word, static_cast<int64_t>(low), static_cast<int64_t>(high), v)) return false;
  out = static_cast<Int>(v);
  return true;
}

// The lines of `text`, each without its LF; a last line without one counts
// too. A CR before the LF stays (a save keeps the player's line ends); the
// white space that SplitWords and trimming skip takes it.
std::vector<std::string_view> SplitLines(std::string_view text);

// The words of `line`, separated by spaces, tabs and the other ASCII white
// space.
std::vector<std::string_view> SplitWords(std::string_view line);

}  // namespace quorvel
