#include "app/script_reader.h"

#include <ios>
#include <system_error>

namespace quorvel {

ScriptReader::ScriptReader(std::istream& in, std::ostream* flush_before_wait)
    : in_(in), flush_(flush_before_wait) {}

ScriptReader::Result ScriptReader::Next(std::string& line) {
  using Traits = std::istream::traits_type;
  line.clear();
  std::streambuf* buf = in_.rdbuf();
  if (buf == nullptr) return kEnd;
  bool started = false;
  for (;;) {
    if (flush_ != nullptr && buf->in_avail() == 0) flush_->flush();
    Traits::int_type c;
    try {
      c = buf->sbumpc();
    } catch (const std::ios_base::failure& e) {
      // A stream buffer on a descriptor reports why the read failed in the
      // error code; any other failure has only its text.
      error_ = e.code().category() == std::system_category() ? e.code().message() : e.what();
      in_.setstate(std::ios::badbit);
      if (!started) ++line_number_;
      return kReadError;
    }
    if (Traits::eq_int_type(c, Traits::eof())) {
      in_.setstate(std::ios::eofbit);
      return started ? kLine : kEnd;
    }
    const char ch = Traits::to_char_type(c);
    if (skip_lf_) {
      skip_lf_ = false;
      if (ch == '\n') continue;
    }
    if (!started) {
      started = true;
      ++line_number_;
    }
    if (ch == '\n') return kLine;
    if (ch == '\r') {
      // The LF of a CRLF is skipped when the next line is read: waiting for
      // it here would hold back a line that ends with a lone CR.
      skip_lf_ = true;
      return kLine;
    }
    if (line.size() == kMaxLineBytes) return kTooLong;
    line.push_back(ch);
  }
}

}  // namespace quorvel
