// The player's settings, remembered in $XDG_CONFIG_HOME/quorvel/settings: a
// small text file of `key = value` lines that the player may also edit.
//
//   scale = auto        (or a whole number 1..16: screen pixels per 96-dpi pixel)
//   fullscreen = no     (or yes)
//   pause = yes         (or no: the race goes on while the game is in the background)
//   motion = smooth     (or original: only the ticks' 12.5 pictures a second)
//   ghost = yes         (or no: no ghost of the kept best run on the road)
//   splits = yes        (or no: no gap to the ghost shown at the gates)
//   sound = yes         (or no: silent, no audio device opened; M in the game toggles it)
//   volume = 80         (0 to 100: the sound's level)
//
// Blank lines, `#` comment lines, a `# comment` after a value, spaces around
// `=`, yes and no (and the other words) in any case, a UTF-8 byte-order mark,
// CRLF line ends and a last line without a newline are all fine. Of several
// lines of one key, the last whose value the key takes counts. A line the
// game does not understand costs one warning naming its line number; the
// other lines still count. When the game saves, it changes only the value on
// the line that counts of each key whose value changed (and adds the keys
// the file lacks): that line's comment, and every other line, stay as they
// were.
//
// A file that is not a regular file of at most 4 KiB (a FIFO is never waited
// on) or cannot be read means the defaults, with one warning, and is never
// overwritten.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sound/sound_synth.h"

namespace quorvel {

struct Settings {
  std::optional<int> scale;  // nothing: the display's own (automatic) scale
  bool fullscreen = false;
  bool pause = true;            // the race pauses while the game is minimised or in the background
  bool smooth = true;           // pictures between ticks at the display's rate
  bool ghost = true;            // race against the kept best run of the course and car
  bool splits = true;           // the gap to the ghost at each gate
  bool sound = true;            // the race's sound plays
  int volume = kDefaultVolume;  // 0 (silent) to 100
  friend bool operator==(const Settings&, const Settings&) = default;
};

// The values the lines of `text` give, from the defaults. One warning per
// line not understood ("line N: ...", no newline) goes to `warnings`, up to
// five, then one line for the rest that names the first of them.
Settings ParseSettings(std::string_view text, std::vector<std::string>& warnings);

// `text` with the keys whose value differs between `before` and `after` set
// to their value in `after`: only the value changes, on the line that
// counts (or the key's last line when none of them is valid). The keys
// `text` lacks are added at the end; every other line stays as it was.
// Always ends in a newline.
std::string UpdatedSettingsText(std::string_view text, const Settings& before,
                                const Settings& after);

// The settings file's path: the config folder's "settings"; empty without a
// folder.
std::string SettingsPath();

// The one owner of the settings file: what it held at start, and every save.
class SettingsFile {
 public:
  // Reads the file at `path`. A missing file gives the defaults quietly. An
  // empty `path` (no folder for the game's files), a file that cannot be
  // read and each line not understood give warnings (one line each, no
  // prefix, no newline, paths escaped).
  static SettingsFile Load(const std::string& path, std::vector<std::string>& warnings);

  // What the file holds now, as far as the game knows.
  const Settings& values() const { return values_; }

  // Writes `settings` when they differ from values(): the file as it is
  // now, re-read so that what the player or another game wrote meanwhile is
  // kept, with the changed keys' values replaced (UpdatedSettingsText), all
  // under the lock `settings.lock` beside it (SaveLock), so that two games
  // saving at once each keep the other's change. A file the player cannot
  // write is left alone.
  // Atomic: a temporary file `settings.XXXXXX.tmp` of a unique name beside
  // the file (games saving at once never share one), locked while written,
  // flushed to disk, then renamed over it, so a reader sees the old file or
  // the new one, whole. Temporary files of that pattern left by a killed save
  // are removed first. A symbolic link is written through: its target is
  // replaced, the link stays. A new file gets the umask's mode, a replaced
  // one keeps its own; missing folders are created. True when saved or
  // nothing to do (also when there is no path, or the file was not read at
  // start and so is left alone); false with one line in `error`, also when
  // the file would grow past what a start reads.
  bool Save(const Settings& settings, std::string& error);

 private:
  std::string path_;   // empty: nothing is saved
  bool read_ = false;  // the file was missing or read whole: it may be rewritten
  Settings values_;
};

}  // namespace quorvel
