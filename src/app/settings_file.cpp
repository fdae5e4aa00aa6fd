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

// The words of values are read in any case: `ghost = YES` is yes.
bool SameWord(std::string_view value, std::string_view word) {
  if (value.size() != word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c =
        value[i] >= 'A' && value[i] <= 'Z' ? static_cast<char>(value[i] - 'A' + 'a') : value[i];
    if (c != word[i]) return false;
  }
  return true;
}

bool ParseScale(std::string_view value, Settings& out) {
  if (SameWord(value, "auto")) {
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
  const bool yes = SameWord(value, "yes");
  if (!yes && !SameWord(value, "no")) return false;
  out.*field = yes;
  return true;
}

template <bool Settings::*field>
std::string FormatYesNo(const Settings& settings) {
  return settings.*field ? "yes" : "no";
}

bool ParseMotion(std::string_view value, Settings& out) {
  const bool smooth = SameWord(value, "smooth");
  if (!smooth && !SameWord(value, "original")) return false;
  out.smooth = smooth;
  return true;
}

std::string FormatMotion(const Settings& settings) {
  return settings.smooth ? "smooth" : "original";
}

bool ParseVolume(std::string_view value, Settings& out) {
  return ParseWhole(value, 0, kMaxVolume, out.volume);
}

std::string FormatVolume(const Settings& settings) {
  return std::to_string(settings.volume);
}

constexpr SettingsKey kKeys[] = {
    {"scale", "auto or 1 to 16", ParseScale, FormatScale},
    {"fullscreen", "yes or no", ParseYesNo<&Settings::fullscreen>,
     FormatYesNo<&Settings::fullscreen>},
    {"pause", "yes or no", ParseYesNo<&Settings::pause>, FormatYesNo<&Settings::pause>},
    {"motion", "smooth or original", ParseMotion, FormatMotion},
    {"ghost", "yes or no", ParseYesNo<&Settings::ghost>, FormatYesNo<&Settings::ghost>},
    {"splits", "yes or no", ParseYesNo<&Settings::splits>, FormatYesNo<&Settings::splits>},
    {"sound", "yes or no", ParseYesNo<&Settings::sound>, FormatYesNo<&Settings::sound>},
    {"volume", "a whole number from 0 to 100", ParseVolume, FormatVolume},
};

// A byte-order mark that some editors put at the start of a UTF-8 file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// `s` without the blanks around it; an empty result still points into `s`,
// where the blanks end, so that a value can be put there.
std::string_view Trim(std::string_view s) {
  // A carriage return too: a file saved by an editor with CRLF line ends.
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return s.substr(s.size());
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// What one line is: blank or a comment (no key, no complaint), a known key
// with its value (a view into the line), or something else with the
// complaint.
struct Line {
  const SettingsKey* key = nullptr;
  std::string_view value;
  bool valid = false;     // the value is one the key takes
  std::string complaint;  // empty: a line the game understands
};

Line ReadLine(std::string_view raw) {
  const std::string_view text = Trim(raw);
  if (text.empty() || text.front() == '#') return {};
  const auto equals = text.find('=');
  if (equals == std::string_view::npos) {
    return {nullptr, {}, false, Quoted(text) + " is not a key = value line"};
  }
  const std::string_view name = Trim(text.substr(0, equals));
  for (const SettingsKey& key : kKeys) {
    if (key.name != name) continue;
    // A value never holds '#': what follows one is the player's comment.
    const std::string_view rest = text.substr(equals + 1);
    Line line{&key, Trim(rest.substr(0, rest.find('#'))), true, {}};
    Settings scratch;
    if (!key.parse(line.value, scratch)) {
      line.valid = false;
      line.complaint =
          std::string(key.name) + " is " + std::string(key.takes) + ", not " + Quoted(line.value);
    }
    return line;
  }
  return {nullptr, {}, false, Quoted(name) + " is not a setting"};
}

// The lines of a settings file, its byte-order mark left out of the first.
std::vector<std::string_view> SettingsLines(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return SplitLines(text);
}

}  // namespace

Settings ParseSettings(std::string_view text, std::vector<std::string>& warnings) {
  Settings settings;
  const std::vector<std::string_view> lines = SettingsLines(text);
  int not_understood = 0, first_unnamed = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const Line line = ReadLine(lines[i]);
    // Of several lines of a key, the last with a value it takes counts.
    if (line.valid) line.key->parse(line.value, settings);
    if (line.complaint.empty()) continue;
    if (++not_understood <= kMaxLineWarnings) {
      warnings.push_back("line " + std::to_string(number) + ": " + line.complaint + "; ignored");
    } else if (first_unnamed == 0) {
      first_unnamed = number;
    }
  }
  if (not_understood > kMaxLineWarnings) {
    warnings.push_back(std::to_string(not_understood - kMaxLineWarnings) +
                       " more lines not understood, from line " + std::to_string(first_unnamed) +
                       " on; ignored");
  }
  return settings;
}

std::string UpdatedSettingsText(std::string_view text, const Settings& before,
                                const Settings& after) {
  const std::vector<std::string_view> lines = SettingsLines(text);
  // The line a save sets for each key: the one that counts (the last valid
  // one), else the key's last line; -1 where the file lacks the key.
  std::vector<int> target(std::size(kKeys), -1);
  std::vector<bool> valid(std::size(kKeys), false);
  std::vector<Line> read;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    read.push_back(ReadLine(lines[i]));
    const Line& line = read.back();
    if (line.key == nullptr) continue;
    const auto k = static_cast<std::size_t>(line.key - kKeys);
    if (line.valid || !valid[k]) target[k] = static_cast<int>(i);
    valid[k] = valid[k] || line.valid;
  }
  std::string out(text.starts_with(kByteOrderMark) ? kByteOrderMark : "");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view raw = lines[i];
    const Line& line = read[i];
    const SettingsKey* key = line.key;
    if (key == nullptr || target[static_cast<std::size_t>(key - kKeys)] != static_cast<int>(i) ||
        key->format(before) == key->format(after)) {
      out.append(raw).push_back('\n');
      continue;
    }
    // Only the value changes: the key's spelling, the spaces, the comment
    // and the line end stay the player's.
    const std::size_t at = static_cast<std::size_t>(line.value.data() - raw.data());
    const std::string_view rest = raw.substr(at + line.value.size());
    out.append(raw.substr(0, at)).append(key->format(after));
    if (line.value.empty() && rest.starts_with('#')) out.push_back(' ');
    out.append(rest).push_back('\n');
  }
  for (std::size_t k = 0; k < std::size(kKeys); ++k) {
    if (target[k] < 0) {
      out.append(kKeys[k].name).append(" = ").append(kKeys[k].format(after)) += '\n';
    }
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
        "neither XDG_CONFIG_HOME nor HOME is set to an absolute folder: the settings are the "
        "defaults and choices made in the game are not remembered");
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
  SaveLock lock;
  if (!PrepareFileTarget(path_, place, error) || !lock.Take(place, error)) return false;
  // The file as it is now: the player may have edited it while the game
  // ran, and another game may have saved it; no other game saves it until
  // this one's rename is done.
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
