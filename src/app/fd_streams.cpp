#include "app/fd_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ios>
#include <system_error>

namespace quorvel {

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

[[noreturn]] void ThrowErrno(const char* what, int error) {
  throw std::ios_base::failure(what, std::error_code(error, std::system_category()));
}

bool FdOpen(int fd) {
  return fcntl(fd, F_GETFD) != -1;
}

}  // namespace

FdInBuf::FdInBuf(int fd) : fd_(fd), buffer_(kBufferBytes) {
  if (!FdOpen(fd)) open_error_ = EBADF;
}

FdInBuf::int_type FdInBuf::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (open_error_ != 0) ThrowErrno("read", open_error_);
  ssize_t n = 0;
  do {
    n = ::read(fd_, buffer_.data(), buffer_.size());
  } while (n < 0 && errno == EINTR);
  if (n < 0) ThrowErrno("read", errno);
  if (n == 0) return traits_type::eof();
  setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
  return traits_type::to_int_type(*gptr());
}

FdOutBuf::FdOutBuf(int fd) : fd_(fd), buffer_(kBufferBytes) {
  if (!FdOpen(fd)) open_error_ = EBADF;
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdOutBuf::~FdOutBuf() {
  try {
    Drain();
  } catch (const std::ios_base::failure&) {
    // Nobody is left to tell; RunSim flushes and reports before this.
  }
}

void FdOutBuf::Drain() {
  const char* p = pbase();
  const char* const end = pptr();
  if (p < end && open_error_ != 0) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    ThrowErrno("write", open_error_);
  }
  while (p < end) {
    const ssize_t n = ::write(fd_, p, static_cast<std::size_t>(end - p));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      setp(buffer_.data(), buffer_.data() + buffer_.size());
      ThrowErrno("write", error);
    }
    p += n;
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdOutBuf::int_type FdOutBuf::overflow(int_type c) {
  Drain();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int FdOutBuf::sync() {
  Drain();
  return 0;
}

void ReserveStdFds() {
  for (int fd = 0; fd < 3; ++fd) {
    if (FdOpen(fd)) continue;
    // The lowest free descriptor is `fd` itself: the ones below are open.
    const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) ::close(null);
  }
}

}  // namespace quorvel
