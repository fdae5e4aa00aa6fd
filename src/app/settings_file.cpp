#include "app/settings_file.h"

#include "app/options.h"
#include "base/own_files.h"
#include "base/text.h"

namespace quorvel {

namespace {

constexpr std::size_t kMaxFileBytes = 4096;  // a real file is about 40 bytes
constexpr const char* kNotASettingsFile = "not a settings file (a regular file of at most 4 KiB)";
constexpr int kMaxLineWarnings = 5;  // then one line for the rest

// One setting: its key, what it takes (for warnings), and how its value is
// read and written. A new setting is a field of Settings and a row below.
struct SettingsKey {
  std::string_view name;
  std::string_view takes;
  bool (*parse)(std::string_view value, Settings& out);
  std::string (*format)(const Settings& settings);
};

bool ParseScale(std::string_view value, Settings& out) {
  if (value == "auto") {
    out.scale.reset();
    return true;
  }
  int n = 0;
  if (!ParseWhole(value, 1, kMaxWindowScale, n)) return false;
  out.scale = n;
  return true;
}

std::string FormatScale(const Settings& settings) {
  return settings.scale ? std::to_string(*settings.scale) : "auto";
}

template <bool Settings::*field>
bool ParseYesNo(std::string_view value, Settings& out) {
  if (value != "yes" && value != "no") return false;
  out.*field = value == "yes";
  return true;
}

template <bool Settings::*field>
std::string FormatYesNo(const Settings& settings) {
  return settings.*field ? "yes" : "no";
}

bool ParseMotion(std::string_view value, Settings& out) {
  if (value != "smooth" && value != "original") return false;
  out.smooth = value == "smooth";
  return true;
}

std::string FormatMotion(const Settings& settings) {
  return settings.smooth ? "smooth" : "original";
}

constexpr SettingsKey kKeys[] = {
    {"scale", "auto or 1 to 16", ParseScale, FormatScale},
    {"fullscreen", "yes or no", ParseYesNo<&Settings::fullscreen>,
     FormatYesNo<&Settings::fullscreen>},
    {"pause", "yes or no", ParseYesNo<&Settings::pause>, FormatYesNo<&Settings::pause>},
    {"motion", "smooth or original", ParseMotion, FormatMotion},
    {"ghost", "yes or no", ParseYesNo<&Settings::ghost>, FormatYesNo<&Settings::ghost>},
};

std::string_view Trim(std::string_view s) {
  // A carriage return too: a file saved by an editor with CRLF line ends.
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// What one line is: blank or a comment (no key, no complaint), a known key
// with its value, or something else with the complaint.
struct Line {
  const SettingsKey* key = nullptr;
  std::string_view value;
  std::string complaint;  // empty: a line the game understands
};

Line ReadLine(std::string_view raw) {
  const std::string_view text = Trim(raw);
  if (text.empty() || text.front() == '#') return {};
  const auto equals = text.find('=');
  if (equals == std::string_view::npos) {
    return {nullptr, {}, Quoted(text) + " is not a key = value line"};
  }
  const std::string_view name = Trim(text.substr(0, equals));
  for (const SettingsKey& key : kKeys) {
    if (key.name == name) return {&key, Trim(text.substr(equals + 1)), {}};
  }
  return {nullptr, {}, Quoted(name) + " is not a setting"};
}

}  // namespace

Settings ParseSettings(std::string_view text, std::vector<std::string>& warnings) {
  Settings settings;
  const std::vector<std::string_view> lines = SplitLines(text);
  std::vector<int> first_line(std::size(kKeys), 0);
  int not_understood = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    Line line = ReadLine(lines[i]);
    if (line.key != nullptr) {
      int& first = first_line[static_cast<std::size_t>(line.key - kKeys)];
      if (first != 0) {
        line.complaint =
            std::string(line.key->name) + " again (line " + std::to_string(first) + " counts)";
      } else {
        first = number;
        if (!line.key->parse(line.value, settings)) {
          line.complaint = std::string(line.key->name) + " is " + std::string(line.key->takes) +
                           ", not " + Quoted(line.value);
        }
      }
    }
    if (line.complaint.empty()) continue;
    if (++not_understood <= kMaxLineWarnings) {
      warnings.push_back("line " + std::to_string(number) + ": " + line.complaint + "; ignored");
    }
  }
  if (not_understood > kMaxLineWarnings) {
    warnings.push_back(std::to_string(not_understood - kMaxLineWarnings) +
                       " more lines not understood; ignored");
  }
  return settings;
}

std::string UpdatedSettingsText(std::string_view text, const Settings& before,
                                const Settings& after) {
  std::string out;
  std::vector<bool> seen(std::size(kKeys), false);
  for (const std::string_view raw : SplitLines(text)) {
    const SettingsKey* key = ReadLine(raw).key;
    if (key == nullptr || key->format(before) == key->format(after)) {
      out.append(raw).push_back('\n');
    } else if (!seen[static_cast<std::size_t>(key - kKeys)]) {
      // A changed key: its first line takes the new value, its repeats go.
      out.append(key->name).append(" = ").append(key->format(after)).push_back('\n');
    }
    if (key != nullptr) seen[static_cast<std::size_t>(key - kKeys)] = true;
  }
  for (std::size_t k = 0; k < std::size(kKeys); ++k) {
    if (!seen[k]) out.append(kKeys[k].name).append(" = ").append(kKeys[k].format(after)) += '\n';
  }
  return out;
}

std::string SettingsPath() {
  const std::string dir = ConfigDir();
  return dir.empty() ? std::string() : dir + "/settings";
}

SettingsFile SettingsFile::Load(const std::string& path, std::vector<std::string>& warnings) {
  SettingsFile file;
  file.path_ = path;
  if (path.empty()) {
    warnings.push_back(
        "neither XDG_CONFIG_HOME nor HOME is set: the settings are the defaults and choices "
        "made in the game are not remembered");
    return file;
  }
  const std::string name = Quoted(path, kMaxQuotedPathChars);
  std::string text, why;
  switch (ReadOwnFile(path, kMaxFileBytes, kNotASettingsFile, text, why)) {
    case ReadResult::kMissing:
      file.read_ = true;
      break;
    case ReadResult::kUnusable:
      warnings.push_back("cannot read " + name + " (" + why +
                         "); using the defaults, and leaving the file as it is");
      break;
    case ReadResult::kRead: {
      file.read_ = true;
      std::vector<std::string> complaints;
      file.values_ = ParseSettings(text, complaints);
      for (const std::string& complaint : complaints) warnings.push_back(name + ", " + complaint);
      break;
    }
  }
  return file;
}

bool SettingsFile::Save(const Settings& settings, std::string& error) {
  if (path_.empty() || !read_ || settings == values_) return true;
  FileTarget place;
  if (!PrepareFileTarget(path_, place, error)) return false;
  // The file as it is now: the player may have edited it while the game ran.
  std::string text, why;
  const ReadResult now = ReadOwnFile(place.target, kMaxFileBytes, kNotASettingsFile, text, why);
  if (now == ReadResult::kUnusable) {
    error = "cannot read " + Quoted(place.target, kMaxQuotedPathChars) + " (" + why +
            "); leaving it as it is";
    return false;
  }
  const std::string updated = UpdatedSettingsText(text, values_, settings);
  if (updated.size() > kMaxFileBytes) {  // the next start would not read it
    error =
        "not writing " + Quoted(place.target, kMaxQuotedPathChars) + ": it would grow past 4 KiB";
    return false;
  }
  if (!ReplaceFileAtomically(place, updated, error)) return false;
  values_ = settings;
  return true;
}

}  // namespace quorvel
