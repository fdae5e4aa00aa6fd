// Quoting of untrusted text (script words, options) in one-line messages.
#pragma once

#include <string>
#include <string_view>

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

}  // namespace quorvel
