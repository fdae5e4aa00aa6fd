// The best times for each course and car, kept in the data folder's
// `records`: a small text file, one line per course and car,
//
//   # course car race lap date   (times in ticks of 80 ms, date UTC)
//   1 beginner 652 210 2026-12-08
//
// course 1 or 2, car beginner or advanced, the best race and the best lap in
// ticks (1 to 999999999, and times a race of that course can make), and the
// day either was last beaten. Blank lines and `#` comment lines are allowed;
// anything else is a garbled file. A garbled file, or one that cannot be
// read, is never overwritten: it is moved aside under a dated name and the
// records start afresh.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel {

// A course and car as the menu's stored choices name them: CourseChoice 0
// or 1, CarChoice 3 (beginner) or 4 (advanced).
using RecordKey = std::pair<int32_t, int32_t>;

struct BestTimes {
  int32_t race = 0;  // ticks
  int32_t lap = 0;   // ticks
  std::string date;  // YYYY-MM-DD, UTC
  friend bool operator==(const BestTimes&, const BestTimes&) = default;
};

using RecordTable = std::map<RecordKey, BestTimes>;

// Which of a race's two times beat the kept ones (a first time always does).
struct NewRecords {
  bool race = false;
  bool lap = false;
};

// Whether `key` is a course and car of the menu.
bool IsRecordKey(const RecordKey& key);

// Reads the file's text. False with `error` "line N: what is wrong" for a
// line that is not a comment, blank, or a record of a course and car not
// given before with times a race can make (PossibleTimes).
bool ParseRecords(std::string_view text, RecordTable& out, std::string& error);
std::string FormatRecords(const RecordTable& table);

// Puts a finished race's times into `table` where they beat the kept ones
// (strictly: a tie keeps the older record and its date).
NewRecords MergeRecord(RecordTable& table, const RecordKey& key, int32_t race, int32_t lap,
                       const std::string& date);

// Ticks as seconds to the hundredth, from whole numbers (a tick is 8
// hundredths): 652 -> "52.16".
std::string SecondsText(int32_t ticks);

// The table `quorvel --records` prints, in the game's Japanese: course, car,
// best race, best lap, date; a line saying there are none when empty.
std::string RecordsTableText(const RecordTable& table);

// The kept best run of a course and car beside the records:
// "best-course1-beginner.rec".
std::string BestRunFileName(const RecordKey& key);

// The records file in `dir` (the data folder, or quorvel-sim's --records).
class RecordsFile {
 public:
  // Reads DIR/records. Missing: no records, quietly. One that cannot be read
  // or is garbled is moved aside as records.garbled-YYYYMMDD-HHMMSS (UTC,
  // now), with one warning (no prefix, no newline); one that cannot even be
  // moved, or a DIR that is not a folder, is left alone, with one warning,
  // and no record is written (usable() is false). With `move_aside` false
  // (only reading, as --records does) such a file is left alone with one
  // warning, and there are no records.
  static RecordsFile Open(const std::string& dir, std::vector<std::string>& warnings,
                          bool move_aside = true);

  const RecordTable& table() const { return table_; }
  const std::string& dir() const { return dir_; }
  // Whether records can be kept, as far as Open saw.
  bool usable() const { return writable_; }

  // Merges a finished race's times into the file as it is now and writes
  // it atomically when either time is new, all under the records' lock
  // (SaveLock), so that two games finishing at once both keep theirs: the
  // re-read, the merge, then `keep_first` with the new records (the best
  // run a new race record stands for is kept before the record that points
  // at it), then the file. `news` says what was written. False with one
  // line in `error` when the records cannot be kept (`keep_first` has not
  // run then, unless the last write failed); `warnings` as for Open when
  // the file became garbled meanwhile.
  bool Update(const RecordKey& key, int32_t race, int32_t lap, const std::string& date,
              const std::function<void(const NewRecords&)>& keep_first, NewRecords& news,
              std::vector<std::string>& warnings, std::string& error);

 private:
  // Reads the file into table_; false with one line in `error` when it may
  // not be written.
  bool Load(std::vector<std::string>& warnings, std::string& error, bool move_aside = true);

  std::string dir_;
  bool writable_ = false;
  RecordTable table_;
};

}  // namespace quorvel
