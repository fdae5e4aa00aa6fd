// Replacing one of the game's own small files so that a reader, or a game
// that is killed meanwhile, sees the old file or the new one, whole.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

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
