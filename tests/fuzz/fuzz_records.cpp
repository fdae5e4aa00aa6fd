// Fuzzing: the records file. Whatever the file holds, it is read, or refused
// with one line naming a line of it; what is read is written back as text
// that reads as the same records, and a finished race merged into it keeps
// every record at least as good as before.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/records_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size > 8192) return -1;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quorvel::RecordTable table;
  std::string error;
  if (!quorvel::ParseRecords(text, table, error)) {
    if (error.rfind("line ", 0) != 0 || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  quorvel::RecordTable again;
  if (!quorvel::ParseRecords(quorvel::FormatRecords(table), again, error) || again != table) {
    std::abort();
  }
  // A race whose times come from the input's length, on course 1 with the
  // beginner car.
  const quorvel::RecordKey key{0, 3};
  const int32_t race = 1 + static_cast<int32_t>(size % 2000);
  const int32_t lap = 1 + static_cast<int32_t>(size % 700);
  const auto before = table.find(key);
  const quorvel::BestTimes old = before != table.end() ? before->second : quorvel::BestTimes{};
  const quorvel::NewRecords news = quorvel::MergeRecord(table, key, race, lap, "2026-12-08");
  const quorvel::BestTimes& now = table.at(key);
  if (before != table.end() && (now.race > old.race || now.lap > old.lap)) std::abort();
  if (news.race != (now.race == race && (old.race == 0 || race < old.race))) std::abort();
  return 0;
}
