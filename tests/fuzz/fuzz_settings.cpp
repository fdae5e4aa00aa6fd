// Fuzzing: the settings file. Whatever the file holds, it is read with at
// most a handful of warning lines, and a save of any change reads back as
// exactly the settings saved.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size > 8192) return -1;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> warnings;
  const quorvel::Settings before = quorvel::ParseSettings(text, warnings);
  if (warnings.size() > 8) std::abort();
  for (const std::string& w : warnings) {
    if (w.find('\n') != std::string::npos) std::abort();
  }
  // The change saved: taken from the input's length, so every mix of keys
  // is tried.
  quorvel::Settings after = before;
  if (size & 1) after.fullscreen = !after.fullscreen;
  if (size & 2) after.pause = !after.pause;
  if (size & 8) after.ghost = !after.ghost;
  if (size & 4) after.scale = after.scale ? std::nullopt : std::optional<int>(1 + size % 16);
  const std::string saved = quorvel::UpdatedSettingsText(text, before, after);
  std::vector<std::string> again;
  if (quorvel::ParseSettings(saved, again) != after) std::abort();
  if (saved.empty() || saved.back() != '\n') std::abort();
  return 0;
}
