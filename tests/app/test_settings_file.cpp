// The settings file: hand-edited lines read with per-line warnings and kept
// on save, and the save's way through links, umasks, missing folders and
// killed saves' leftovers.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/settings_file.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// Each warning's line number ("+N@L" for the line about the N more from
// line L on), in order.
std::string WarnedLines(const std::vector<std::string>& warnings) {
  const std::regex line(
      R"(', (?:line (\d+):|(\d+) more lines not understood, from line (\d+) on))");
  std::string out;
  for (const std::string& w : warnings) {
    std::smatch m;
    if (!std::regex_search(w, m, line)) return "unexpected: " + w;
    out += (out.empty() ? "" : " ") +
           (m[1].matched ? m[1].str() : "+" + m[2].str() + "@" + m[3].str());
  }
  return out;
}

TEST(SettingsFile, LinesReadWithWarningsAndKeptOnSave) {
  struct Case {
    const char* text;  // nullptr: no file yet
    Settings want;
    const char* warned;  // the lines warned about
    Settings save;
    const char* after;
  };
  const Case cases[] = {
      {nullptr,
       {},
       "",
       {2, false, true},
       "scale = 2\nfullscreen = no\npause = yes\nmotion = smooth\nghost = yes\nsplits = yes\n"
       "sound = yes\nvolume = 80\n"},
      {"# mine\n\n  scale=3 \r\nfullscreen = yes",
       {3, true, true},
       "",
       {3, false, true},
       "# mine\n\n  scale=3 \r\nfullscreen = no\npause = yes\nmotion = smooth\nghost = yes\n"
       "splits = yes\nsound = yes\nvolume = 80\n"},
      // Unknown key, bad value, no "=", a repeat (the last valid line counts,
      // and only it is changed).
      {"colour = 3\nscale = 17\nfullscreen\nscale = 2\npause = no\nfullscreen = yes\n",
       {2, true, false},
       "1 2 3",
       {4, true, false},
       "colour = 3\nscale = 17\nfullscreen\nscale = 4\npause = no\nfullscreen = yes\nmotion = "
       "smooth\nghost = yes\nsplits = yes\nsound = yes\nvolume = 80\n"},
      // A byte-order mark, comments after values, words in any case: a save
      // changes only the value, and keeps the rest of its line.
      {"\xEF\xBB\xBFscale = 2   # note\r\nghost = NO\nfullscreen = No # why\nscale = x # bad",
       {2, false, true, true, false},
       "4",
       {3, true, true, true, false},
       "\xEF\xBB\xBFscale = 3   # note\r\nghost = NO\nfullscreen = yes # why\nscale = x # "
       "bad\npause = yes\nmotion = smooth\nsplits = yes\nsound = yes\nvolume = 80\n"},
      {"scale = # mine\n",
       {},
       "1",
       {5, false, true},
       "scale = 5 # mine\nfullscreen = no\npause = "
       "yes\nmotion = smooth\nghost = yes\nsplits = yes\nsound = yes\nvolume = 80\n"},
      {"pause = maybe\r\n=\n\xff\x1b[2J\n",
       {},
       "1 2 3",
       {std::nullopt, true, true},
       "pause = maybe\r\n=\n\xff\x1b[2J\nscale = auto\nfullscreen = yes\nmotion = smooth\nghost = "
       "yes\nsplits = yes\nsound = yes\nvolume = 80\n"},
      // The sound: off, a volume out of range (the valid one counts), a save
      // that turns it on and sets the volume to 0.
      {"sound = NO\nvolume = 101\nvolume = 35\nvolume = -1",
       {std::nullopt, false, true, true, true, true, false, 35},
       "2 4",
       {std::nullopt, false, true, true, true, true, true, 0},
       "sound = yes\nvolume = 101\nvolume = 0\nvolume = -1\nscale = auto\nfullscreen = "
       "no\npause = yes\nmotion = smooth\nghost = yes\nsplits = yes\n"},
      {"a\nb\nc\nd\ne\nf\ng\nscale = 16\n",
       {16, false, true},
       "1 2 3 4 5 +2@6",
       {16, false, true},
       "a\nb\nc\nd\ne\nf\ng\nscale = 16\n"},  // no change: not written
  };
  // A folder name that would break a warning line if printed raw.
  const fs::path dir =
      fs::path(::testing::TempDir()) / ("settings\n\x1b[2J" + std::to_string(getpid()));
  const std::string path = (dir / "settings").string();
  for (const Case& c : cases) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    if (c.text != nullptr) std::ofstream(path) << c.text;
    std::vector<std::string> warnings;
    SettingsFile file = SettingsFile::Load(path, warnings);
    EXPECT_EQ(file.values(), c.want) << c.text;
    EXPECT_EQ(WarnedLines(warnings), c.warned) << c.text;
    for (const std::string& w : warnings) {
      EXPECT_TRUE(w.front() == '\'' && w.find_first_of("\n\x1b") == std::string::npos) << w;
    }
    std::string error;
    EXPECT_TRUE(file.Save(c.save, error)) << error;
    EXPECT_EQ(Read(path), c.after) << c.text;
  }
  fs::remove_all(dir);
}

TEST(SettingsFile, SavesThroughLinksWithTheUmaskAndCleansUpOnlyStaleTemps) {
  const fs::path root = fs::path(::testing::TempDir()) / ("save_" + std::to_string(getpid()));
  fs::remove_all(root);
  const fs::path dotfiles = root / "dotfiles", config = root / "a/b/c/quorvel";
  fs::create_directories(dotfiles);
  std::ofstream(dotfiles / "settings") << "# in version control\nscale = 2\n";
  // Temporary files: a killed save's (old, unlocked), a running save's
  // (locked), and two of the player's that only look alike.
  const fs::path killed = dotfiles / "settings.Ab12Cd.tmp",
                 running = dotfiles / "settings.Zz99Yy.tmp";
  for (const char* name :
       {"settings.Ab12Cd.tmp", "settings.Zz99Yy.tmp", "settings.backup", "settings.Ab12C.tmp"}) {
    std::ofstream(dotfiles / name) << "x";
    fs::last_write_time(dotfiles / name, fs::file_time_type::clock::now() - std::chrono::hours(1));
  }
  const int lock = open(running.c_str(), O_RDONLY);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);

  const fs::perms linked_mode = fs::status(dotfiles / "settings").permissions();
  const mode_t old_umask = umask(027);
  std::vector<std::string> warnings;
  std::string error;
  // Into a folder three levels below one that exists, and through a link.
  SettingsFile fresh = SettingsFile::Load((config / "settings").string(), warnings);
  EXPECT_TRUE(fresh.Save({3, true, true}, error)) << error;
  fs::create_directory_symlink(dotfiles, root / "linked");
  fs::create_symlink("../linked/settings", root / "a/settings");
  SettingsFile linked = SettingsFile::Load((root / "a/settings").string(), warnings);
  std::ofstream(dotfiles / "settings", std::ios::app) << "# added meanwhile\n";
  EXPECT_TRUE(linked.Save({2, false, false}, error)) << error;
  umask(old_umask);
  close(lock);

  EXPECT_EQ(fs::status(config / "settings").permissions(), fs::perms(0640)) << "the umask's";
  EXPECT_EQ(fs::status(root / "a/b").permissions(), fs::perms(0700));
  EXPECT_EQ(fs::status(dotfiles / "settings").permissions(), linked_mode) << "its own mode kept";
  EXPECT_TRUE(fs::is_symlink(root / "a/settings"));
  EXPECT_EQ(Read(dotfiles / "settings"),
            "# in version control\nscale = 2\n# added meanwhile\nfullscreen = no\npause = "
            "no\nmotion = smooth\nghost = yes\nsplits = yes\nsound = yes\nvolume = 80\n");
  EXPECT_FALSE(fs::exists(killed));
  for (const char* name : {"settings.Zz99Yy.tmp", "settings.backup", "settings.Ab12C.tmp"}) {
    EXPECT_TRUE(fs::exists(dotfiles / name)) << name;
  }
  EXPECT_EQ(warnings, std::vector<std::string>{});

  // What cannot be read is never overwritten; no folder at all is said once.
  ASSERT_EQ(mkfifo((root / "fifo").c_str(), 0644), 0);  // read without a writer: would wait
  for (const fs::path& path : {root / "fifo", root / "a", fs::path()}) {
    warnings.clear();
    SettingsFile file = SettingsFile::Load(path.string(), warnings);
    EXPECT_EQ(warnings.size(), 1u) << path;
    EXPECT_TRUE(file.Save({5, true, false}, error)) << path;
  }
  EXPECT_TRUE(fs::is_fifo(root / "fifo"));
  // A file the player cannot write is left alone, through a link too.
  std::ofstream(root / "mine") << "scale = 2\n";
  fs::permissions(root / "mine", fs::perms(0444));
  fs::create_symlink(root / "mine", root / "to_mine");
  for (const fs::path& path : {root / "mine", root / "to_mine"}) {
    SettingsFile file = SettingsFile::Load(path.string(), warnings);
    EXPECT_FALSE(file.Save({3, true, true}, error)) << path;
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  }
  EXPECT_EQ(Read(root / "mine"), "scale = 2\n");
  std::ofstream(root / "full") << std::string(4080, '#') << "\n";  // full: no room for a save
  SettingsFile full = SettingsFile::Load((root / "full").string(), warnings);
  EXPECT_FALSE(full.Save({7, true, true}, error));
  EXPECT_EQ(fs::file_size(root / "full"), 4081u);
  fs::remove_all(root);
}

}  // namespace
}  // namespace quorvel
