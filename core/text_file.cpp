#include "core/text_file.h"

#include <string>

namespace {
// The program has one thread: the stream's lock is not needed for byte reads.
inline int next_byte(std::FILE* stream) {
#if defined(_WIN32)
  return _getc_nolock(stream);
#else
  return getc_unlocked(stream);
#endif
}
}  // namespace

std::FILE* open_text_file(const char* path, const char* mode) {
  std::string binary_mode(mode);
  if (binary_mode.find('b') == std::string::npos) binary_mode += 'b';
  return std::fopen(path, binary_mode.c_str());
}

LineStatus read_text_line(std::FILE* stream, size_t limit, TextLine& line) {
  line.text.clear();
  line.has_line_end = false;
  line.too_long = false;
  size_t length = 0;  // bytes of the physical line, kept or not
  bool pending_cr = false;
  auto keep = [&](char c) {
    if (length < limit) line.text.push_back(c);
    else line.too_long = true;
    ++length;
  };
  for (;;) {
    int c = next_byte(stream);
    if (c == EOF) {
      if (std::ferror(stream)) return LineStatus::ERROR;
      if (pending_cr) keep('\r');
      return (length == 0) ? LineStatus::END_OF_FILE : LineStatus::OK;
    }
    if (c == TEXT_END_BYTE) {
      // Put the end byte back so that every further read stops at it as well.
      std::ungetc(c, stream);
      if (pending_cr) keep('\r');
      return (length == 0) ? LineStatus::END_OF_FILE : LineStatus::OK;
    }
    if (c == '\n') {
      line.has_line_end = true;  // a CR directly before the LF is part of the line end
      return LineStatus::OK;
    }
    if (pending_cr) keep('\r');
    pending_cr = (c == '\r');
    if (!pending_cr) keep(static_cast<char>(c));
  }
}

bool write_text(std::FILE* stream, std::string_view text) {
  if (text.empty()) return true;
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

bool finish_writing(std::FILE* stream) {
  if (std::fflush(stream) != 0) return false;
  return std::ferror(stream) == 0;
}
