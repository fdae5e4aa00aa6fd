// Quoting of untrusted text (script words, options) in one-line messages.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// `text` in single quotes, cut to its first 40 characters (with "..." when
// cut), control characters, backslashes and bytes that are not UTF-8
// written as \xNN escapes; valid UTF-8 stays as it is.
std::string Quoted(std::string_view text);

}  // namespace quorvel
