// Reads a driver script line by line, in bounded memory: a line ends at LF,
// CR or CRLF, and one longer than kMaxLineBytes is refused as soon as that
// many bytes have come in, without reading the rest of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string>

namespace quorvel {

// Reads a script held in memory in place, without a second copy; `text`
// must outlive it.
class TextInBuf final : public std::streambuf {
 public:
  explicit TextInBuf(const std::string& text) {
    char* begin = const_cast<char*>(text.data());  // only ever read
    setg(begin, begin, begin + text.size());
  }
};

class ScriptReader {
 public:
  static constexpr std::size_t kMaxLineBytes = 4096;

  enum Result { kLine, kEnd, kTooLong, kReadError };

  // Reads `in` through its buffer. `flush_before_wait`, when given, is
  // flushed whenever the next byte has to be waited for, so a program that
  // feeds the script one line at a time sees each answer before it writes
  // the next line.
  explicit ScriptReader(std::istream& in, std::ostream* flush_before_wait = nullptr);

  // kLine with the line's text (without its end) in `line`; kEnd at the end
  // of the input; kTooLong for a line past the limit; kReadError when the
  // input failed (error() says why). After anything but kLine, stop.
  Result Next(std::string& line);
  // The number of the line Next() last returned or stopped on, from 1.
  std::int64_t line_number() const { return line_number_; }
  const std::string& error() const { return error_; }

 private:
  std::istream& in_;
  std::ostream* flush_;
  std::int64_t line_number_ = 0;
  bool skip_lf_ = false;  // the previous line ended with CR
  std::string error_;
};

}  // namespace quorvel
