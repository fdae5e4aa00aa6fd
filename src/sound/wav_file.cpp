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

uint32_t Get32(const std::string& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

uint16_t Get16(const std::string& b, std::size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
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

bool ReadWav(const std::string& b, WavSound& sound, std::string& error) {
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
    error = "not a RIFF/WAVE file";
    return false;
  }
  bool have_format = false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const uint64_t size = Get32(b, at + 4);
    const std::size_t body = at + 8;
    if (id == "fmt ") {
      if (size < 16 || body + 16 > b.size()) break;
      if (Get16(b, body) != kPcm || Get16(b, body + 14) != 16) {
        error = "not 16-bit PCM";
        return false;
      }
      sound.channels = Get16(b, body + 2);
      sound.sample_rate = static_cast<int>(Get32(b, body + 4));
      sound.bits = 16;
      have_format = true;
    } else if (id == "data") {
      if (!have_format) break;
      const uint64_t bytes = size == kStreaming ? b.size() - body : size;
      if (body + bytes > b.size() || bytes % 2 != 0) {
        error = "the data chunk runs past the end";
        return false;
      }
      sound.samples.resize(bytes / 2);
      for (std::size_t i = 0; i < sound.samples.size(); ++i) {
        sound.samples[i] = static_cast<int16_t>(Get16(b, body + 2 * i));
      }
      return true;
    }
    // Chunks are padded to an even length.
    at = body + size + (size % 2);
  }
  error = "no fmt chunk before a data chunk";
  return false;
}

}  // namespace quorvel
