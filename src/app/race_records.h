// What a live race keeps and shows beyond the race view: the times at
// the finish (in the window's title), the records file, the kept best run of
// each course and car, and that run raced against as a ghost. It watches the
// game from outside, before each event and after each tick; the race itself
// runs exactly as without it. A replay has none of this.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/atomic_file.h"
#include "app/ghost_run.h"
#include "app/race_lines.h"
#include "app/records_file.h"
#include "platform/platform.h"
#include "race/game.h"
#include "race/race_timing.h"

namespace quorvel {

// Today's date as the records keep it: YYYY-MM-DD, UTC.
std::string TodayUtc();

struct RaceRecordsSetup {
  std::string dir;  // the records' folder; empty: none are read or kept
  bool ghost = true;
  // A recording to race against in place of the kept best runs (quorvel-sim
  // --ghost), already known to replay.
  std::optional<std::string> ghost_text;
  std::string header;                             // comment line of a kept run
  std::function<std::string()> today = TodayUtc;  // YYYY-MM-DD, UTC
  std::function<void(const std::string&)> warn;   // one line, no prefix
};

class RaceRecords {
 public:
  // Reads the records in `setup.dir` (warnings through setup.warn).
  RaceRecords(Game& game, Platform& platform, RaceRecordsSetup setup);
  ~RaceRecords();
  RaceRecords(const RaceRecords&) = delete;
  RaceRecords& operator=(const RaceRecords&) = delete;

  // Every event the game takes, before it takes it.
  void Take(const InputEvent& e, bool menu_open);
  // After the game window's load and after each of its ticks (a menu visit
  // included): a race started, or finished.
  void AfterEvent();

 private:
  void StartRace(bool at_load);
  void Finish(const RaceTimes& times);
  void KeepBestRun(const RecordKey& key);

  Game& game_;
  Platform& platform_;
  RaceRecordsSetup setup_;
  std::optional<RecordsFile> records_;
  RaceTiming timing_;
  RaceLines lines_;
  std::unique_ptr<GhostRun> ghost_;
  bool loaded_ = false;    // the load's race has been seen
  bool finished_ = false;  // the race has reached the finish
};

// The whole of a kept run, as ReadOwnFile reads it: a regular file of at
// most 16 MB (a race is some 30 to 100 KB).
ReadResult ReadBestRun(const std::string& path, std::string& text, std::string& why);

// The line shown at the finish: "ゴール 52.16秒（新記録） ベストラップ
// 17.04秒", with "（新記録）" after each time that is a new record.
std::string FinishText(const RaceTimes& times, const NewRecords& news);

}  // namespace quorvel
