#include "platform/sdl/pad_mappings.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/sdl/config_dir.h"

namespace quorvel {

namespace {

// The community list of every known pad is under 1 MB; anything far bigger
// is not a mapping file and is not read into memory.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{8} << 20;

// Whether a mapping line is marked for another platform than this one.
bool ForOtherPlatform(const std::string& line) {
  constexpr std::string_view kField = "platform:";
  const auto at = line.find(kField);
  if (at == std::string::npos) return false;
  const auto start = at + kField.size();
  const std::string platform = line.substr(start, line.find(',', start) - start);
  return SDL_strcasecmp(platform.c_str(), SDL_GetPlatform()) != 0;
}

}  // namespace

std::string AddPadMappingsFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) return {};
  const std::string warning = "Quorvel: ignoring " + path;
  if (status.type() != fs::file_type::regular) return warning + ": not a readable file";
  const std::uintmax_t size = fs::file_size(path, error);
  if (!error && size > kMaxFileBytes) return warning + ": larger than 8 MB";
  std::ifstream in(path, std::ios::binary);
  std::string line;
  int line_number = 0, bad_lines = 0, first_bad = 0;
  while (in && std::getline(in, line)) {
    ++line_number;
    const auto end = line.find_last_not_of(" \t\r");
    line.erase(end == std::string::npos ? 0 : end + 1);
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#' || ForOtherPlatform(line)) continue;
    if (SDL_GameControllerAddMapping(line.c_str() + start) < 0 && bad_lines++ == 0) {
      first_bad = line_number;
    }
  }
  if (in.bad() || !in.eof()) return warning + ": cannot read it";
  if (bad_lines == 0) return {};
  return "Quorvel: ignoring " + std::to_string(bad_lines) + (bad_lines == 1 ? " line" : " lines") +
         " of " + path + " that SDL does not take as controller mappings (first: line " +
         std::to_string(first_bad) + ")";
}

void AddPlayerPadMappings() {
  const std::string dir = ConfigDir();
  if (dir.empty()) return;
  const std::string warning = AddPadMappingsFile(dir + "/gamecontrollerdb.txt");
  if (!warning.empty()) std::fprintf(stderr, "%s\n", warning.c_str());
}

}  // namespace quorvel
