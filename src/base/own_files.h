// The game's own files (settings, records, best runs, pad mappings): where
// they live, reading one without ever waiting on whatever stands in its
// place, replacing one so that a reader, or a game killed meanwhile, sees the
// old file or the new one whole, and moving a garbled one aside.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace quorvel {

// The folder of the player's settings: $XDG_CONFIG_HOME/quorvel, or
// ~/.config/quorvel when XDG_CONFIG_HOME is unset, empty or relative (a
// relative value is invalid there and is ignored, as desktops do). Empty
// when neither gives a place (HOME unset, empty or relative too). The
// folder need not exist yet.
std::string ConfigDir();

// The folder of the game's data (records and kept best runs):
// $XDG_DATA_HOME/quorvel or ~/.local/share/quorvel, likewise.
std::string DataDir();

// Creates `dir` and every missing folder above it, each new one 0700 as the
// XDG folders are meant to be (less what the umask takes away). False with
// errno set when one cannot be made.
bool MakeFolders(const std::string& dir);

// `format` (strftime's) of the time `when` in UTC: "%Y-%m-%d" gives the day
// the records keep.
std::string UtcStamp(const char* format, std::time_t when = std::time(nullptr));

enum class ReadResult { kMissing, kRead, kUnusable };

// The whole text of the file at `path`, through links. Non-blocking: a FIFO
// or a device in its place never stops the game. kUnusable with a short
// reason in `why`: the system's, or `not_own` when it is not a regular file
// of at most `max_bytes`. With `head_only`, a longer file gives its first
// `max_bytes` + 1 bytes instead, so the caller sees that it goes on.
ReadResult ReadOwnFile(const std::string& path, std::size_t max_bytes, const char* not_own,
                       std::string& text, std::string& why, bool head_only = false);

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

// Whether a save may replace the target: false, with one line in `error`,
// when a file there is one the player cannot write, or has no write bit at
// all. A rename would replace it all the same; it is left alone instead.
bool MayReplace(const FileTarget& place, std::string& error);

// Writes `text` to a temporary file `BASE.XXXXXX.tmp` of a unique name
// beside the target (two games saving at once never share one), locked
// while written and flushed to disk, then renamed over the target. A new
// file gets the mode the umask allows, a replaced one keeps its own; one
// that MayReplace refuses is left alone. False with one line in `error`, and
// the target as it was.
bool ReplaceFileAtomically(const FileTarget& place, std::string_view text, std::string& error);

// The lock that makes a save's re-read, merge and rename one step against
// every other game's: an exclusive flock of `TARGET.lock` beside the target,
// from Take until the value goes. A file of its own, since a rename puts a
// new file in the target's place, and a lock on the old one would then
// guard nothing.
class SaveLock {
 public:
  SaveLock() = default;
  ~SaveLock();
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;

  // Waits while another game holds it, up to 5 s. False with one line in
  // `error` when it cannot be had.
  bool Take(const FileTarget& place, std::string& error);

 private:
  int fd_ = -1;
};

// Moves `path` aside as PATH.garbled-YYYYMMDD-HHMMSS (UTC), never over
// another file: a second one within the same second gets "-2", and so on.
// False with errno set when it cannot be moved.
bool MoveAside(const std::string& path, std::string& moved_to);

}  // namespace quorvel
