// WAV files of the game's sound: 48 kHz, 16-bit, mono PCM, little-endian,
// written as the samples come.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quorvel {

class WavWriter {
 public:
  // Writes the header to `out` (kept open; the caller closes it). The
  // header's lengths say "to the end of the stream" (0xFFFFFFFF) until
  // Finish. False, with error() saying why, when it cannot be written.
  bool Start(FILE* out);
  // Appends `n` samples. False once a write has failed (and from then on).
  bool Write(const int16_t* samples, std::size_t n);
  // Puts the lengths into the header where the file can seek back (a pipe
  // keeps the streaming header) and flushes. False when that fails or the
  // sound is too long for a WAV file (over 4 GiB of samples).
  bool Finish();
  // One line saying why the last call failed.
  const std::string& error() const { return error_; }
  // Samples written so far.
  uint64_t samples() const { return samples_; }

 private:
  bool Fail(const std::string& what, int errno_value);

  FILE* out_ = nullptr;
  uint64_t samples_ = 0;
  std::string error_;
};

}  // namespace quorvel
