#include "platform/sdl/window_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/sdl/config_dir.h"

namespace quorvel {

namespace {

constexpr int kMaxScale = 16;                // as the command line's --scale
constexpr std::size_t kMaxFileBytes = 4096;  // a real file is about 30 bytes

std::string Trim(const std::string& s) {
  // A carriage return too: a file saved by an editor with CRLF line ends.
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string WindowSettingsPath() {
  const std::string dir = ConfigDir();
  return dir.empty() ? std::string() : dir + "/settings";
}

bool ParseWindowSettings(const std::string& text, WindowSettings& out, std::string& why) {
  if (text.size() > kMaxFileBytes) {
    why = "too long";
    return false;
  }
  if (text.empty() || text.back() != '\n') {
    why = "cut short";
    return false;
  }
  WindowSettings read;
  bool seen_scale = false, seen_fullscreen = false;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (Trim(line).empty()) continue;
    const auto equals = line.find('=');
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = equals == std::string::npos ? "" : Trim(line.substr(equals + 1));
    bool ok = equals != std::string::npos;
    if (ok && key == "scale" && !seen_scale) {
      seen_scale = true;
      int n = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
      if (value == "auto") {
        read.scale.reset();
      } else if (ec == std::errc() && end == value.data() + value.size() && n >= 1 &&
                 n <= kMaxScale) {
        read.scale = n;
      } else {
        ok = false;
      }
    } else if (ok && key == "fullscreen" && !seen_fullscreen) {
      seen_fullscreen = true;
      ok = value == "yes" || value == "no";
      read.fullscreen = value == "yes";
    } else {
      ok = false;
    }
    if (!ok) {
      why = "line " + std::to_string(number) + " is not scale = auto|1..16 or fullscreen = yes|no";
      return false;
    }
  }
  out = read;
  return true;
}

std::string FormatWindowSettings(const WindowSettings& settings) {
  return "scale = " + (settings.scale ? std::to_string(*settings.scale) : std::string("auto")) +
         "\nfullscreen = " + (settings.fullscreen ? "yes" : "no") + "\n";
}

WindowSettings LoadWindowSettings(const std::string& path, std::string& warning) {
  WindowSettings settings;
  if (path.empty()) return settings;
  // Non-blocking: a FIFO or a device in its place must not stop the game
  // before any window opens.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) {
      warning = "cannot read " + path + " (" + std::strerror(errno) + "); using the defaults";
    }
    return settings;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size > static_cast<off_t>(kMaxFileBytes)) {
    close(fd);
    warning = path + ": not a settings file; using the defaults";
    return settings;
  }
  std::string text(kMaxFileBytes + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      warning = "cannot read " + path + " (" + std::strerror(errno) + "); using the defaults";
      close(fd);
      return settings;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  text.resize(got);
  std::string why;
  if (!ParseWindowSettings(text, settings, why)) {
    warning = path + ": " + why + "; using the defaults";
  }
  return settings;
}

bool SaveWindowSettings(const std::string& path, const WindowSettings& settings,
                        std::string& error) {
  const auto slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    const std::string dir = path.substr(0, slash);
    const auto parent_slash = dir.rfind('/');
    if (parent_slash != std::string::npos && parent_slash > 0) {
      mkdir(dir.substr(0, parent_slash).c_str(), 0755);  // ~/.config, usually there already
    }
    mkdir(dir.c_str(), 0755);
  }
  // A name of its own for each writer: two games saving at once each
  // rename a whole file of their own over the old one.
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string temp = folder + "/settings.XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    error = "cannot write in " + folder + " (" + std::strerror(errno) + ")";
    return false;
  }
  const bool written =
      fchmod(fd, 0644) == 0 && WriteAll(fd, FormatWindowSettings(settings)) && fsync(fd) == 0;
  const int saved_errno = errno;
  if (close(fd) != 0 || !written || rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + " (" + std::strerror(written ? errno : saved_errno) + ")";
    unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace quorvel
