// Reading one of the game's own files (settings, records, best runs) without
// ever waiting on whatever stands in its place, and replacing one so that a
// reader, or a game that is killed meanwhile, sees the old file or the new
// one, whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

enum class ReadResult { kMissing, kRead, kUnusable };

// The whole text of the file at `path`, through links. Non-blocking: a FIFO
// or a device in its place never stops the game. kUnusable with a short
// reason in `why`: the system's, or `not_own` when it is not a regular file
// of at most `max_bytes`.
ReadResult ReadOwnFile(const std::string& path, std::size_t max_bytes, const char* not_own,
                       std::string& text, std::string& why);

// Where a save of a file goes: the file at the end of the path's chain of
// symbolic links (so a link into a folder kept in version control stays a
// link), and that file's folder (with its slash) and name.
struct FileTarget {
  std::string target, folder, base;
};

// Follows the links of `path`, creates the missing folders (0700 less the
// umask) and removes the temporary files that saves killed before their
// rename left there. False with one line in `error`.
bool PrepareFileTarget(const std::string& path, FileTarget& out, std::string& error);

// Writes `text` to a temporary file `BASE.XXXXXX.tmp` of a unique name
// beside the target (two games saving at once never share one), locked
// while written and flushed to disk, then renamed over the target. A new
// file gets the mode the umask allows, a replaced one keeps its own. False
// with one line in `error`, and the target as it was.
bool ReplaceFileAtomically(const FileTarget& place, std::string_view text, std::string& error);

}  // namespace quorvel
