#include "platform/sdl/pad_mappings.h"

#include <SDL.h>

#include <cstdio>
#include <string_view>

#include "base/own_files.h"
#include "base/text.h"

namespace quorvel {

namespace {

constexpr std::string_view kPlatformField = "platform:";
constexpr std::size_t kGuidDigits = 32;

// "GUID,name,fields": what SDL's loader can take. SDL itself reads any first
// field as a GUID, so a stray line would become a pad of its own.
bool IsMapping(std::string_view line) {
  if (line.size() <= kGuidDigits || line[kGuidDigits] != ',') return false;
  for (std::size_t i = 0; i < kGuidDigits; ++i) {
    const char c = line[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
      return false;
    }
  }
  return line.find(',', kGuidDigits + 1) != std::string_view::npos;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && SDL_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

std::vector<std::string> AddPadMappingsFile(const std::string& path) {
  std::vector<std::string> warnings;
  const std::string name = Quoted(path, kMaxQuotedPathChars);
  std::string text, why;
  switch (ReadOwnFile(path, static_cast<std::size_t>(kMaxPadMappingBytes), "not a regular file",
                      text, why, true)) {
    case ReadResult::kMissing:
      return warnings;
    case ReadResult::kUnusable:
      return {"ignoring " + name + " (" + why + ")"};
    case ReadResult::kRead:
      break;
  }

  // One pass over the lines: this platform's mappings go to SDL's loader.
  // It takes only lines with a whole "platform:NAME," field, so a line with
  // no field gets this platform's, and one that ends in the field without
  // its comma gets the comma.
  const std::string_view platform = SDL_GetPlatform();
  std::string taken;
  int number = 0, mappings = 0, bad = 0, first_bad = 0, stopped_at = 0;
  bool too_many = false;
  const bool too_long = text.size() > static_cast<std::size_t>(kMaxPadMappingBytes);
  std::vector<std::string_view> lines = SplitLines(text);
  // The line the cut went through is not read.
  if (too_long && text.back() != '\n') lines.pop_back();
  for (std::string_view line : lines) {
    ++number;
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') continue;
    line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    const auto field = line.find(kPlatformField);
    const auto value = field + kPlatformField.size();
    const auto comma = field == std::string_view::npos ? field : line.find(',', value);
    if (field != std::string_view::npos &&
        !SameIgnoringCase(line.substr(value, comma - value), platform)) {
      continue;
    }
    if (!IsMapping(line)) {
      if (bad++ == 0) first_bad = number;
      continue;
    }
    if (mappings == kMaxPadMappings) {
      stopped_at = number;
      too_many = true;
      break;
    }
    ++mappings;
    taken.append(line);
    if (field == std::string_view::npos) {
      if (line.back() != ',') taken += ',';
      taken.append(kPlatformField).append(platform).push_back(',');
    } else if (comma == std::string_view::npos) {
      taken += ',';
    }
    taken += '\n';
  }
  if (too_long && stopped_at == 0) stopped_at = number + 1;

  if (stopped_at != 0) {
    warnings.push_back("ignoring " + name + " from line " + std::to_string(stopped_at) +
                       " on: only its first " +
                       (too_many ? std::to_string(kMaxPadMappings) + " mappings"
                                 : std::to_string(kMaxPadMappingBytes >> 20) + " MiB") +
                       " are read");
  }
  if (bad != 0) {
    warnings.push_back("ignoring " + std::to_string(bad) + (bad == 1 ? " line" : " lines") +
                       " of " + name + " that " + (bad == 1 ? "is not a" : "are not") +
                       " controller mapping" + (bad == 1 ? " (line " : "s (first: line ") +
                       std::to_string(first_bad) + ")");
  }
  if (!taken.empty() &&
      SDL_GameControllerAddMappingsFromRW(SDL_RWFromConstMem(taken.data(), taken.size()), 1) < 0) {
    warnings.push_back("ignoring " + name + ": SDL cannot take it (" + SDL_GetError() + ")");
  }
  return warnings;
}

void AddPlayerPadMappings() {
  const std::string dir = ConfigDir();
  if (dir.empty()) return;  // the settings say so, once
  for (const std::string& warning : AddPadMappingsFile(dir + "/gamecontrollerdb.txt")) {
    std::fprintf(stderr, "quorvel: warning: %s\n", warning.c_str());
  }
}

}  // namespace quorvel
