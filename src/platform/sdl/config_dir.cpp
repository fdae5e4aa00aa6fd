#include "platform/sdl/config_dir.h"

#include <cstdlib>

namespace quorvel {

std::string ConfigDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/quorvel";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  return std::string(home) + "/.config/quorvel";
}

}  // namespace quorvel
