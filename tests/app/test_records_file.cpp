// The records file: what it reads, when a time is a record, how times are
// shown, and a garbled file kept aside rather than overwritten.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/race_records.h"
#include "app/records_file.h"
#include "support/scratch.h"

namespace quorvel {
namespace {

constexpr RecordKey kCourse1Beginner{0, 3};
constexpr RecordKey kCourse2Advanced{1, 4};

using testing::ReadFile;

TEST(RecordsFile, ReadsRecordsAndNamesTheFirstBadLine) {
  struct Case {
    const char* text;
    const char* error;  // "" when it reads
    std::size_t records;
  };
  const Case cases[] = {
      {"", "", 0},
      {"# comment\n\n1 beginner 652 210 2026-12-08\r\n2 advanced 900 300 2026-01-31", "", 2},
      {"  1\tbeginner  652 210 2026-12-08  \n", "", 1},
      {"1 beginner 652 210\n", "line 1: a record has five words", 0},
      {"\n3 beginner 652 210 2026-12-08\n", "line 2: no such course and car", 0},
      {"1 expert 652 210 2026-12-08\n", "line 1: no such course and car", 0},
      {"1 beginner 0 210 2026-12-08\n", "line 1: the times are whole numbers", 0},
      {"1 beginner 652 -1 2026-12-08\n", "line 1: the times are whole numbers", 0},
      {"1 beginner 0652 210 2026-12-08\n", "line 1: the times are whole numbers", 0},
      {"1 beginner 1000000000 210 2026-12-08\n", "line 1: the times are whole numbers", 0},
      {"1 beginner 652 210 2026-13-08\n", "line 1: the date is YYYY-MM-DD", 0},
      {"1 beginner 652 210 08.12.2026\n", "line 1: the date is YYYY-MM-DD", 0},
      {"1 beginner 652 210 2026-12-08\n1 beginner 600 200 2026-12-09\n",
       "line 2: this course and car have a record above", 0},
      // Times no race makes: a tick, a lap longer than a third of the race,
      // a race faster than the car can drive the course's gates.
      {"1 beginner 1 1 2026-12-08\n", "line 1: no race of course 1 takes 1 ticks", 0},
      {"2 advanced 900 301 2026-12-08\n", "line 1: no race of course 2 takes 900", 0},
      {"1 beginner 652 1 2026-12-08\n", "line 1: no race", 0},
      {"2 beginner 90 30 2026-12-08\n", "line 1: no race", 0},
  };
  for (const Case& c : cases) {
    RecordTable table;
    std::string error;
    const bool read = ParseRecords(c.text, table, error);
    EXPECT_EQ(read, c.error[0] == '\0') << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << ": " << error;
    if (read) {
      EXPECT_EQ(table.size(), c.records) << c.text;
    }
  }
}

TEST(RecordsFile, ATimeIsARecordOnlyWhenItBeatsTheKeptOne) {
  struct Case {
    int32_t race, lap;
    bool new_race, new_lap;
    BestTimes after;
  };
  const BestTimes kept{652, 210, "2026-12-01"};
  const Case cases[] = {
      {652, 210, false, false, kept},                     // a tie keeps the older record
      {700, 220, false, false, kept},                     // slower in both
      {651, 230, true, false, {651, 210, "2026-12-08"}},  // the race only
      {800, 209, false, true, {652, 209, "2026-12-08"}},  // the lap only
      {600, 200, true, true, {600, 200, "2026-12-08"}},   // both
  };
  for (const Case& c : cases) {
    RecordTable table{{kCourse1Beginner, kept}};
    const NewRecords news = MergeRecord(table, kCourse1Beginner, c.race, c.lap, "2026-12-08");
    EXPECT_EQ(news.race, c.new_race) << c.race << " " << c.lap;
    EXPECT_EQ(news.lap, c.new_lap) << c.race << " " << c.lap;
    EXPECT_EQ(table.at(kCourse1Beginner), c.after) << c.race << " " << c.lap;
  }
  // The first race of a course and car sets both, and leaves the others.
  RecordTable table{{kCourse1Beginner, kept}};
  const NewRecords first = MergeRecord(table, kCourse2Advanced, 900, 300, "2026-12-08");
  EXPECT_TRUE(first.race && first.lap);
  EXPECT_EQ(table.at(kCourse1Beginner), kept);
  // What is written reads back as the same table.
  RecordTable again;
  std::string error;
  ASSERT_TRUE(ParseRecords(FormatRecords(table), again, error)) << error;
  EXPECT_EQ(again, table);
}

TEST(RecordsFile, TheFinishLineTellsBothTimesToTheHundredthAndWhichAreNew) {
  const RaceTimes times{652, {230, 213, 209}};
  const std::pair<NewRecords, const char*> cases[] = {
      {{false, false}, "ゴール 52.16秒 ベストラップ 16.72秒"},
      {{true, false}, "ゴール 52.16秒（新記録） ベストラップ 16.72秒"},
      {{false, true}, "ゴール 52.16秒 ベストラップ 16.72秒（新記録）"},
  };
  for (const auto& [news, text] : cases) EXPECT_EQ(FinishText(times, news), text);
  // Whole hundredths from whole ticks of 80 ms, however large.
  for (const auto& [ticks, text] : {std::pair<int32_t, const char*>{0, "0.00"},
                                    {13, "1.04"},
                                    {1250, "100.00"},
                                    {999999999, "79999999.92"}}) {
    EXPECT_EQ(SecondsText(ticks), text) << ticks;
  }
}

TEST(RecordsFile, AGarbledFileIsKeptAsideAndTheRecordsStartAfresh) {
  const testing::ScratchDir dir("records-garbled");
  const std::string garbage = "1 beginner 652 210 2026-12-08\nnot a record\n";
  std::ofstream(dir / "records") << garbage;
  // Only reading, as --records does: the file stays where it is.
  std::vector<std::string> warnings;
  EXPECT_TRUE(RecordsFile::Open(dir.path().string(), warnings, false).table().empty());
  EXPECT_EQ(warnings.size(), 1u);
  EXPECT_EQ(ReadFile(dir / "records"), garbage);
  warnings.clear();
  RecordsFile file = RecordsFile::Open(dir.path().string(), warnings);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("line 2"), std::string::npos) << warnings[0];
  EXPECT_TRUE(file.table().empty());
  std::vector<std::filesystem::path> aside;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    aside.push_back(entry.path());
  }
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(aside[0].filename().string().rfind("records.garbled-", 0), 0u);
  EXPECT_EQ(ReadFile(aside[0]), garbage);
  EXPECT_NE(warnings[0].find(aside[0].filename().string()), std::string::npos) << warnings[0];

  // The next finish writes a fresh file beside the one kept aside.
  NewRecords news;
  std::string error;
  warnings.clear();
  ASSERT_TRUE(file.Update(kCourse1Beginner, 700, 230, "2026-12-08", nullptr, news, warnings, error))
      << error;
  EXPECT_TRUE(warnings.empty());
  RecordTable table;
  ASSERT_TRUE(ParseRecords(ReadFile(dir / "records"), table, error)) << error;
  EXPECT_EQ(table.at(kCourse1Beginner), (BestTimes{700, 230, "2026-12-08"}));
  EXPECT_EQ(ReadFile(aside[0]), garbage);
}

// Two games finishing at once: the second waits for the first's lock, then
// merges into what the first wrote. The first keeps its best run before its
// record is written, while the second waits.
TEST(RecordsFile, TwoFinishesAtOnceKeepBothRecords) {
  const testing::ScratchDir dir("records-two");
  std::vector<std::string> warnings, other_warnings;
  RecordsFile first = RecordsFile::Open(dir.path().string(), warnings);
  RecordsFile second = RecordsFile::Open(dir.path().string(), warnings);
  std::thread other;
  std::string records_at_keep = "unseen", error, other_error;
  NewRecords news, other_news;
  const auto keep = [&](const NewRecords&) {
    records_at_keep = ReadFile(dir / "records");
    other = std::thread([&] {
      second.Update(kCourse2Advanced, 900, 300, "2026-12-08", nullptr, other_news, other_warnings,
                    other_error);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // it reaches the lock
  };
  ASSERT_TRUE(first.Update(kCourse1Beginner, 700, 230, "2026-12-08", keep, news, warnings, error));
  other.join();
  EXPECT_EQ(records_at_keep + other_error, "");
  RecordTable table;
  ASSERT_TRUE(ParseRecords(ReadFile(dir / "records"), table, error)) << error;
  EXPECT_EQ(table.size(), 2u);
}

}  // namespace
}  // namespace quorvel
