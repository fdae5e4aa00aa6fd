#include "base/own_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "base/text.h"

namespace quorvel {

namespace {

// The game's folder in the XDG base folder named by `variable`, or under
// HOME at `in_home` when the variable is unset or relative. A relative HOME
// counts as unset too: it would put the game's files under whatever folder
// the game was started in.
std::string XdgFolder(const char* variable, const char* in_home) {
  const char* xdg = std::getenv(variable);
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/quorvel";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + in_home;
}

}  // namespace

std::string ConfigDir() {
  return XdgFolder("XDG_CONFIG_HOME", "/.config/quorvel");
}

std::string DataDir() {
  return XdgFolder("XDG_DATA_HOME", "/.local/share/quorvel");
}

bool MakeFolders(const std::string& dir) {
  // Top down: each mkdir needs its parent. A folder that is already there,
  // or a link to one, is fine; anything else in the way fails below.
  for (std::size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    const std::string part = dir.substr(0, end);
    if (!part.empty() && part.back() != '/' && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      return false;
    }
    if (end == std::string::npos) break;
  }
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

std::string UtcStamp(const char* format, std::time_t when) {
  std::tm utc{};
  gmtime_r(&when, &utc);
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, format, &utc);
  return std::string(text, n);
}

bool MoveAside(const std::string& path, std::string& moved_to) {
  const std::string stamp = UtcStamp("%Y%m%d-%H%M%S");
  for (int n = 1; n <= 100; ++n) {
    moved_to = path + ".garbled-" + stamp + (n > 1 ? "-" + std::to_string(n) : "");
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, moved_to.c_str(), RENAME_NOREPLACE) == 0) {
      return true;
    }
    // A file system without RENAME_NOREPLACE: a hard link refuses to
    // replace too.
    if (errno == EINVAL && link(path.c_str(), moved_to.c_str()) == 0) {
      return unlink(path.c_str()) == 0;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

namespace {

// A temporary file left this long (seconds) without a writer's lock is a
// killed save's. The margin covers the instant between a writer creating its
// file and locking it.
constexpr std::time_t kStaleTempSeconds = 60;
constexpr std::string_view kTempSuffix = ".tmp";
constexpr int kTempRandomChars = 6;  // mkostemps's XXXXXX
constexpr int kMaxLinkHops = 40;     // as the kernel's own limit
// A save holds its lock for milliseconds; a holder that keeps it this long
// is stuck, and the save gives up rather than freeze the game.
constexpr int kLockWaitMs = 5000;
constexpr int kLockPollMs = 10;

// The file a save replaces: `path`, or what its chain of symbolic links ends
// at (which need not exist yet), so that a link into a folder kept in version
// control stays a link. False with errno set on a loop.
bool FollowLinks(const std::string& path, std::string& target) {
  namespace fs = std::filesystem;
  fs::path at = path;
  for (int hops = 0; hops < kMaxLinkHops; ++hops) {
    std::error_code error;
    const fs::path next = fs::read_symlink(at, error);
    if (error) {  // not a link, or nothing there
      target = at.string();
      return true;
    }
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  errno = ELOOP;
  return false;
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

mode_t CurrentUmask() {
  // Read by setting it; it is put back at once.
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

bool IsTempName(std::string_view name, std::string_view base) {
  if (name.size() != base.size() + 1 + kTempRandomChars + kTempSuffix.size() ||
      name.substr(0, base.size()) != base || name[base.size()] != '.' ||
      name.substr(name.size() - kTempSuffix.size()) != kTempSuffix) {
    return false;
  }
  for (const char c : name.substr(base.size() + 1, kTempRandomChars)) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
      return false;
    }
  }
  return true;
}

// Removes the temporary files that saves of `base` killed before their
// rename left in `folder`: ours by name and owner, old, and with no writer
// holding their lock (a running game's save holds it until its rename).
void RemoveStaleTemps(const std::string& folder, const std::string& base) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = readdir(dir)) {
    if (!IsTempName(entry->d_name, base)) continue;
    const int fd =
        openat(dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
        now - st.st_mtime >= kStaleTempSeconds && flock(fd, LOCK_EX | LOCK_NB) == 0) {
      unlinkat(dirfd(dir), entry->d_name, 0);
    }
    close(fd);
  }
  closedir(dir);
}

std::string Why(const std::string& what, const std::string& path, int error_number) {
  return "cannot " + what + " " + Quoted(path, kMaxQuotedPathChars) + " (" +
         std::strerror(error_number) + ")";
}

}  // namespace

bool PrepareFileTarget(const std::string& path, FileTarget& out, std::string& error) {
  if (!FollowLinks(path, out.target)) {
    error = Why("follow the link", path, errno);
    return false;
  }
  const auto slash = out.target.rfind('/');
  out.folder = slash == std::string::npos ? "./" : out.target.substr(0, slash + 1);
  out.base = out.target.substr(slash == std::string::npos ? 0 : slash + 1);
  if (!MakeFolders(out.folder)) {
    error = Why("create the folder", out.folder, errno);
    return false;
  }
  RemoveStaleTemps(out.folder, out.base);
  return true;
}

bool MayReplace(const FileTarget& place, std::string& error) {
  struct stat st {};
  if (stat(place.target.c_str(), &st) != 0) return true;  // a new file
  // Root may write anything, but a file with no write bit at all was made
  // read-only on purpose.
  if (access(place.target.c_str(), W_OK) == 0 && (st.st_mode & 0222) != 0) return true;
  error = Quoted(place.target, kMaxQuotedPathChars) + " is read-only to the game; left as it is";
  return false;
}

SaveLock::~SaveLock() {
  if (fd_ >= 0) close(fd_);
}

bool SaveLock::Take(const FileTarget& place, std::string& error) {
  const std::string path = place.folder + place.base + ".lock";
  // Never waits on whatever may stand there in place of a lock file.
  fd_ = open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    error = Why("create the lock", path, errno);
    return false;
  }
  for (int waited_ms = 0;; waited_ms += kLockPollMs) {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) {
      error = Why("lock", path, errno);
      break;
    }
    if (waited_ms >= kLockWaitMs) {
      error = "another game has held " + Quoted(path, kMaxQuotedPathChars) + " for " +
              std::to_string(kLockWaitMs / 1000) + " s";
      break;
    }
    const timespec pause{0, kLockPollMs * 1000000L};
    nanosleep(&pause, nullptr);
  }
  close(fd_);
  fd_ = -1;
  return false;
}

bool ReplaceFileAtomically(const FileTarget& place, std::string_view text, std::string& error) {
  if (!MayReplace(place, error)) return false;
  struct stat old {};
  const mode_t mode =
      stat(place.target.c_str(), &old) == 0 ? old.st_mode & 07777 : 0666 & ~CurrentUmask();
  // A name of its own for each writer: two games saving at once each rename
  // a whole file of their own over the old one.
  std::string temp = place.folder + place.base + "." + std::string(kTempRandomChars, 'X') +
                     std::string(kTempSuffix);
  const int fd = mkostemps(temp.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
  if (fd < 0) {
    error = Why("write in", place.folder, errno);
    return false;
  }
  const bool written =
      flock(fd, LOCK_EX) == 0 && fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
  const int write_errno = errno;
  if (!written || rename(temp.c_str(), place.target.c_str()) != 0) {
    error = Why("write", place.target, written ? errno : write_errno);
    unlink(temp.c_str());
    close(fd);
    return false;
  }
  close(fd);  // the lock goes with it, after the rename
  return true;
}

ReadResult ReadOwnFile(const std::string& path, std::size_t max_bytes, const char* not_own,
                       std::string& text, std::string& why, bool head_only) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return ReadResult::kMissing;
    why = std::strerror(errno);
    return ReadResult::kUnusable;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      (!head_only && st.st_size > static_cast<off_t>(max_bytes))) {
    close(fd);
    why = not_own;
    return ReadResult::kUnusable;
  }
  text.assign(max_bytes + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = std::strerror(errno);
      close(fd);
      return ReadResult::kUnusable;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  text.resize(got);
  if (got > max_bytes && !head_only) {
    why = not_own;
    return ReadResult::kUnusable;
  }
  return ReadResult::kRead;
}

}  // namespace quorvel
