// The player's remembered window choices, in $XDG_CONFIG_HOME/quorvel/settings:
// a small text file of `key = value` lines, nothing else.
//
//   scale = auto        (or a whole number 1..16: screen pixels per 96-dpi pixel)
//   fullscreen = no     (or yes)
//
// A file that cannot be read, that is not a regular file of at most 4 KiB
// (a FIFO is never waited on), that was cut short (no newline at its end),
// or that holds anything else means the defaults; the game still starts.
// CRLF line ends read as LF.
#pragma once

#include <optional>
#include <string>

namespace quorvel {

struct WindowSettings {
  std::optional<int> scale;  // nothing: the display's own (automatic) scale
  bool fullscreen = false;
  friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};

// The file's path: the config folder's "settings"; empty without a folder.
std::string WindowSettingsPath();

// The file's whole text. False with a short reason when it is not a
// complete, well-formed settings file; `out` is then untouched.
bool ParseWindowSettings(const std::string& text, WindowSettings& out, std::string& why);
std::string FormatWindowSettings(const WindowSettings& settings);

// Reads the file at `path`. A missing file gives the defaults quietly; any
// other failure gives the defaults and one line (no newline) in `warning`.
WindowSettings LoadWindowSettings(const std::string& path, std::string& warning);

// Writes the file atomically: a temporary file of a unique name beside it
// (games saving at once never share one), flushed to disk,
// then renamed over it, so a reader sees the old file or the new one, whole.
// Creates the folder if need be. False with one line in `error`.
bool SaveWindowSettings(const std::string& path, const WindowSettings& settings,
                        std::string& error);

}  // namespace quorvel
