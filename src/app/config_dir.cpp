#include "app/config_dir.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace quorvel {

namespace {

// The game's folder in the XDG base folder named by `variable`, or under
// HOME at `in_home` when the variable is unset or relative.
std::string XdgFolder(const char* variable, const char* in_home) {
  const char* xdg = std::getenv(variable);
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/quorvel";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  return std::string(home) + in_home;
}

}  // namespace

std::string ConfigDir() {
  return XdgFolder("XDG_CONFIG_HOME", "/.config/quorvel");
}

std::string DataDir() {
  return XdgFolder("XDG_DATA_HOME", "/.local/share/quorvel");
}

bool MakeFolders(const std::string& dir) {
  // Top down: each mkdir needs its parent. A folder that is already there,
  // or a link to one, is fine; anything else in the way fails below.
  for (std::size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    const std::string part = dir.substr(0, end);
    if (!part.empty() && part.back() != '/' && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      return false;
    }
    if (end == std::string::npos) break;
  }
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

}  // namespace quorvel
