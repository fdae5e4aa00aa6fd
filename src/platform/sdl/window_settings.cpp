#include "platform/sdl/window_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/sdl/config_dir.h"

namespace quorvel {

namespace {

constexpr int kMaxScale = 16;                // as the command line's --scale
constexpr std::size_t kMaxFileBytes = 4096;  // a real file is about 30 bytes

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
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
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno != ENOENT) {
      warning = "cannot read " + path + " (" + std::strerror(errno) + "); using the defaults";
    }
    return settings;
  }
  std::string text(kMaxFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) {
    warning = "cannot read " + path + "; using the defaults";
    return settings;
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
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
  const std::string temp = path + ".tmp";
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot write " + temp + " (" + std::strerror(errno) + ")";
    return false;
  }
  const bool written = WriteAll(fd, FormatWindowSettings(settings)) && fsync(fd) == 0;
  const int saved_errno = errno;
  if (close(fd) != 0 || !written || rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + " (" + std::strerror(written ? errno : saved_errno) + ")";
    unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace quorvel
