#include "sound/wav_file.h"

#include <cerrno>
#include <cstring>

#include "sound/sound_synth.h"

namespace quorvel {

namespace {

constexpr uint32_t kHeaderBytes = 44;
constexpr uint32_t kStreaming = 0xFFFFFFFF;  // length unknown: to the end of the stream
constexpr uint16_t kPcm = 1;
constexpr uint16_t kChannels = 1;
constexpr uint16_t kBits = 16;
constexpr uint16_t kBlockAlign = kChannels * kBits / 8;  // bytes per sample frame
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);

void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v & 0xFF);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

bool WavWriter::Fail(const std::string& what, int errno_value) {
  error_ = what + (errno_value != 0 ? std::string(": ") + std::strerror(errno_value) : "");
  out_ = nullptr;
  return false;
}

bool WavWriter::Start(FILE* out) {
  out_ = out;
  samples_ = 0;
  error_.clear();
  unsigned char h[kHeaderBytes];
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, kStreaming);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);  // the fmt chunk's size
  Put16(h + 20, kPcm);
  Put16(h + 22, kChannels);
  Put32(h + 24, kSampleRate);
  Put32(h + 28, kSampleRate * kBlockAlign);  // bytes per second
  Put16(h + 32, kBlockAlign);
  Put16(h + 34, kBits);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, kStreaming);
  if (std::fwrite(h, 1, kHeaderBytes, out_) != kHeaderBytes) {
    return Fail("cannot write the sound", errno);
  }
  return true;
}

bool WavWriter::Write(const int16_t* samples, std::size_t n) {
  if (out_ == nullptr) return false;
  // Little-endian whatever the machine, a block at a time.
  unsigned char block[4096];
  constexpr std::size_t kPerBlock = sizeof block / 2;
  for (std::size_t done = 0; done < n;) {
    const std::size_t count = n - done < kPerBlock ? n - done : kPerBlock;
    for (std::size_t i = 0; i < count; ++i) {
      Put16(block + 2 * i, static_cast<uint16_t>(samples[done + i]));
    }
    if (std::fwrite(block, 2, count, out_) != count) return Fail("cannot write the sound", errno);
    done += count;
  }
  samples_ += n;
  return true;
}

bool WavWriter::Finish() {
  if (out_ == nullptr) return false;
  const uint64_t data_bytes = samples_ * kBlockAlign;
  if (data_bytes > kMaxDataBytes) return Fail("the sound is too long for a WAV file", 0);
  if (std::fflush(out_) != 0) return Fail("cannot write the sound", errno);
  if (std::fseek(out_, 4, SEEK_SET) != 0) {
    // A pipe: the reader goes by the streaming lengths.
    if (errno == ESPIPE) return true;
    return Fail("cannot write the sound's length", errno);
  }
  unsigned char riff[4], data[4];
  Put32(riff, static_cast<uint32_t>(data_bytes + kHeaderBytes - 8));
  Put32(data, static_cast<uint32_t>(data_bytes));
  if (std::fwrite(riff, 1, 4, out_) != 4 || std::fseek(out_, 40, SEEK_SET) != 0 ||
      std::fwrite(data, 1, 4, out_) != 4 || std::fseek(out_, 0, SEEK_END) != 0 ||
      std::fflush(out_) != 0) {
    return Fail("cannot write the sound's length", errno);
  }
  return true;
}

}  // namespace quorvel
