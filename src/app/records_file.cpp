#include "app/records_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/possible_times.h"
#include "base/own_files.h"
#include "base/text.h"

namespace quorvel {

namespace {

constexpr std::size_t kMaxFileBytes = 64 * 1024;  // four lines fill some 120 bytes
constexpr int32_t kMaxTicks = 999999999;
constexpr const char* kFileName = "records";
constexpr const char* kHeader =
    "# Quorvel's best times: course car race lap date (times in ticks of 80 ms, date UTC)\n";

struct Name {
  int32_t value;
  const char* word;   // in the file
  const char* shown;  // to the player
};
constexpr Name kCourses[] = {{0, "1", "コース1"}, {1, "2", "コース2"}};
constexpr Name kCars[] = {{3, "beginner", "初心者用車"}, {4, "advanced", "上級者用車"}};

const Name* Find(const auto& names, std::string_view word) {
  for (const Name& n : names) {
    if (word == n.word) return &n;
  }
  return nullptr;
}

const Name* FindValue(const auto& names, int32_t value) {
  for (const Name& n : names) {
    if (value == n.value) return &n;
  }
  return nullptr;
}

// A time as the game writes it: no leading zero.
bool ParseTicks(std::string_view word, int32_t& out) {
  return !word.starts_with('0') && ParseWhole(word, int32_t{1}, kMaxTicks, out);
}

bool IsDate(std::string_view word) {
  if (word.size() != 10 || word[4] != '-' || word[7] != '-') return false;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (word[i] < '0' || word[i] > '9') return false;
  }
  const int month = (word[5] - '0') * 10 + (word[6] - '0');
  const int day = (word[8] - '0') * 10 + (word[9] - '0');
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

// Pads `text` with spaces to `columns` terminal columns: a character of
// three or more bytes in UTF-8 (the kana and kanji here) takes two.
std::string Padded(const std::string& text, std::size_t columns) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t bytes = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    width += bytes >= 3 ? 2 : 1;
    i += bytes;
  }
  return text + std::string(width < columns ? columns - width : 0, ' ');
}

}  // namespace

bool IsRecordKey(const RecordKey& key) {
  return FindValue(kCourses, key.first) != nullptr && FindValue(kCars, key.second) != nullptr;
}

bool ParseRecords(std::string_view text, RecordTable& out, std::string& error) {
  RecordTable table;
  int line_number = 0;
  for (const std::string_view line : SplitLines(text)) {
    ++line_number;
    const std::vector<std::string_view> words = SplitWords(line);
    if (words.empty() || words[0][0] == '#') continue;
    const std::string where = "line " + std::to_string(line_number) + ": ";
    if (words.size() != 5) {
      error = where + "a record has five words: course car race lap date";
      return false;
    }
    const Name* course = Find(kCourses, words[0]);
    const Name* car = Find(kCars, words[1]);
    BestTimes times;
    if (course == nullptr || car == nullptr) {
      error = where + "no such course and car (course 1 or 2, car beginner or advanced)";
      return false;
    }
    if (!ParseTicks(words[2], times.race) || !ParseTicks(words[3], times.lap)) {
      error = where + "the times are whole numbers of ticks from 1 to 999999999";
      return false;
    }
    if (!PossibleTimes(course->value, times.race, times.lap)) {
      error = where + "no race of course " + course->word + " takes " + std::string(words[2]) +
              " ticks with a best lap of " + std::string(words[3]);
      return false;
    }
    if (!IsDate(words[4])) {
      error = where + "the date is YYYY-MM-DD";
      return false;
    }
    times.date = std::string(words[4]);
    if (!table.emplace(RecordKey{course->value, car->value}, times).second) {
      error = where + "this course and car have a record above";
      return false;
    }
  }
  out = std::move(table);
  return true;
}

std::string FormatRecords(const RecordTable& table) {
  std::string text = kHeader;
  for (const auto& [key, times] : table) {
    const Name* course = FindValue(kCourses, key.first);
    const Name* car = FindValue(kCars, key.second);
    if (course == nullptr || car == nullptr) continue;
    text += std::string(course->word) + " " + car->word + " " + std::to_string(times.race) + " " +
            std::to_string(times.lap) + " " + times.date + "\n";
  }
  return text;
}

NewRecords MergeRecord(RecordTable& table, const RecordKey& key, int32_t race, int32_t lap,
                       const std::string& date) {
  NewRecords news;
  const auto it = table.find(key);
  if (it == table.end()) {
    table[key] = BestTimes{race, lap, date};
    return {true, true};
  }
  BestTimes& best = it->second;
  news.race = race < best.race;
  news.lap = lap < best.lap;
  if (news.race) best.race = race;
  if (news.lap) best.lap = lap;
  if (news.race || news.lap) best.date = date;
  return news;
}

std::string SecondsText(int32_t ticks) {
  // 8 hundredths a tick, in 64 bits: no rounding anywhere.
  const int64_t hundredths = int64_t{ticks} * 8;
  const int64_t whole = hundredths / 100;
  const int64_t part = (hundredths < 0 ? -hundredths : hundredths) % 100;
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%02lld", hundredths < 0 && whole == 0 ? "-" : "",
                static_cast<long long>(whole), static_cast<long long>(part));
  return text;
}

std::string RecordsTableText(const RecordTable& table) {
  if (table.empty()) return "記録はまだありません\n";
  const auto row = [](const std::string& course, const std::string& car, const std::string& race,
                      const std::string& lap, const std::string& date) {
    return Padded(course, 9) + Padded(car, 12) + Padded(race, 14) + Padded(lap, 14) + date + "\n";
  };
  std::string text = row("コース", "車", "ベストタイム", "ベストラップ", "日付");
  for (const auto& [key, times] : table) {
    const Name* course = FindValue(kCourses, key.first);
    const Name* car = FindValue(kCars, key.second);
    if (course == nullptr || car == nullptr) continue;
    text += row(course->shown, car->shown, SecondsText(times.race) + "秒",
                SecondsText(times.lap) + "秒", times.date);
  }
  return text;
}

std::string BestRunFileName(const RecordKey& key) {
  const Name* course = FindValue(kCourses, key.first);
  const Name* car = FindValue(kCars, key.second);
  if (course == nullptr || car == nullptr) return {};
  return std::string("best-course") + course->word + "-" + car->word + ".rec";
}

RecordsFile RecordsFile::Open(const std::string& dir, std::vector<std::string>& warnings,
                              bool move_aside) {
  RecordsFile file;
  file.dir_ = dir;
  std::string error;
  file.writable_ = file.Load(warnings, error, move_aside) && move_aside;
  if (!error.empty()) warnings.push_back(error + (move_aside ? "; no records are kept" : ""));
  return file;
}

bool RecordsFile::Load(std::vector<std::string>& warnings, std::string& error, bool move_aside) {
  table_.clear();
  if (dir_.empty()) return false;
  struct stat st {};
  if (stat(dir_.c_str(), &st) == 0 ? !S_ISDIR(st.st_mode) : errno == ENOTDIR) {
    error = "the records' folder " + Quoted(dir_, kMaxQuotedPathChars) + " is not a folder";
    return false;
  }
  const std::string path = dir_ + "/" + kFileName;
  const std::string name = Quoted(path, kMaxQuotedPathChars);
  std::string text, why;
  switch (ReadOwnFile(path, kMaxFileBytes, "not a records file (a regular file of at most 64 KiB)",
                      text, why)) {
    case ReadResult::kMissing:
      return true;
    case ReadResult::kRead:
      if (ParseRecords(text, table_, why)) return true;
      break;
    case ReadResult::kUnusable:
      break;
  }
  table_.clear();  // whatever was read before the fault
  if (!move_aside) {
    error = "the records " + name + " cannot be used (" + why + ")";
    return false;
  }
  std::string moved_to;
  if (!MoveAside(path, moved_to)) {
    error = "the records " + name + " cannot be used (" + why + ") nor moved aside (" +
            std::strerror(errno) + ")";
    return false;
  }
  warnings.push_back("the records " + name + " could not be used (" + why + "); kept as " +
                     Quoted(moved_to, kMaxQuotedPathChars) + ", and the records start afresh");
  return true;
}

bool RecordsFile::Update(const RecordKey& key, int32_t race, int32_t lap, const std::string& date,
                         const std::function<void(const NewRecords&)>& keep_first, NewRecords& news,
                         std::vector<std::string>& warnings, std::string& error) {
  news = {};
  if (dir_.empty()) return true;
  FileTarget place;
  SaveLock lock;
  if (!PrepareFileTarget(dir_ + "/" + kFileName, place, error) || !lock.Take(place, error)) {
    return false;
  }
  // Another game may have set records since this one started, or be setting
  // one now: it holds the lock until its records are written.
  writable_ = Load(warnings, error);
  if (!writable_) return false;
  const NewRecords merged = MergeRecord(table_, key, race, lap, date);
  if (!merged.race && !merged.lap) return true;
  if (!MayReplace(place, error)) return false;
  if (keep_first) keep_first(merged);
  if (!ReplaceFileAtomically(place, FormatRecords(table_), error)) return false;
  news = merged;
  return true;
}

}  // namespace quorvel
