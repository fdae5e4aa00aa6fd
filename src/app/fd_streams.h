// Stream buffers straight on a file descriptor, for quorvel-sim's standard
// input and output: unlike the standard streams they tell a failed read
// from the end of the input, and say why a read or a write failed, by
// throwing std::ios_base::failure carrying the system's error code.
#pragma once

#include <streambuf>
#include <vector>

namespace quorvel {

class FdInBuf final : public std::streambuf {
 public:
  // `fd` is not closed at the end. A descriptor that is not open fails the
  // first read (EBADF).
  explicit FdInBuf(int fd);

 protected:
  int_type underflow() override;

 private:
  int fd_;
  int open_error_ = 0;
  std::vector<char> buffer_;
};

class FdOutBuf final : public std::streambuf {
 public:
  // A descriptor that is not open fails the first write (EBADF).
  explicit FdOutBuf(int fd);
  // Whatever is still buffered is written, errors ignored: flush first to
  // see them.
  ~FdOutBuf() override;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes the buffered bytes; throws on failure.
  void Drain();

  int fd_;
  int open_error_ = 0;
  std::vector<char> buffer_;
};

// Keeps the standard descriptors 0, 1 and 2 taken: any of them found closed
// is opened on /dev/null, so a file opened later (a frame, a font) can never
// land on it and take the output. Make the buffers above first: they must
// see the descriptors as the program found them.
void ReserveStdFds();

}  // namespace quorvel
