#include "core/text_file.h"

#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

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

namespace {
TextFileOpener g_text_file_opener = nullptr;
}  // namespace

void set_text_file_opener(TextFileOpener opener) { g_text_file_opener = opener; }

std::FILE* open_text_file(const char* path, const char* mode) {
  std::string binary_mode(mode);
  if (binary_mode.find('b') == std::string::npos) binary_mode += 'b';
  if (g_text_file_opener) return g_text_file_opener(path, binary_mode.c_str());
  return std::fopen(path, binary_mode.c_str());
}

void use_binary_mode(std::FILE* stream) {
#if defined(_WIN32)
  _setmode(_fileno(stream), _O_BINARY);
#else
  (void)stream;
#endif
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

bool read_rest_of_stream(std::FILE* stream, TextBuffer& buffer) {
  buffer = TextBuffer{};
  constexpr size_t BLOCK = 256 * 1024;
  for (;;) {
    const size_t had = buffer.bytes.size();
    buffer.bytes.resize(had + BLOCK);
    const size_t got = std::fread(buffer.bytes.data() + had, 1, BLOCK, stream);
    buffer.bytes.resize(had + got);
    if (got < BLOCK) break;
  }
  buffer.failed = std::ferror(stream) != 0;
  const size_t end = buffer.bytes.find(static_cast<char>(TEXT_END_BYTE));
  if (end != std::string::npos) {
    // The text ends at the end byte: what comes after it, a failure included, is never read.
    buffer.bytes.resize(end);
    buffer.failed = false;
  }
  return !buffer.failed;
}

LineStatus read_text_line(TextBuffer& buffer, size_t limit, TextLine& line) {
  line.text.clear();
  line.has_line_end = false;
  line.too_long = false;
  const std::string& b = buffer.bytes;
  const size_t start = buffer.next;
  if (start >= b.size()) return buffer.failed ? LineStatus::ERROR : LineStatus::END_OF_FILE;
  const size_t lf = b.find('\n', start);
  if (lf == std::string::npos && buffer.failed) {
    buffer.next = b.size();
    return LineStatus::ERROR;  // the stream failed within this line
  }
  size_t end = lf == std::string::npos ? b.size() : lf;
  // A CR directly before the LF is part of the line end; a CR anywhere else is kept.
  if (lf != std::string::npos && end > start && b[end - 1] == '\r') --end;
  const size_t length = end - start;
  line.too_long = length > limit;
  line.text.assign(b, start, line.too_long ? limit : length);
  line.has_line_end = lf != std::string::npos;
  buffer.next = lf == std::string::npos ? b.size() : lf + 1;
  return LineStatus::OK;
}

bool write_text(std::FILE* stream, std::string_view text) {
  if (text.empty()) return true;
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

bool finish_writing(std::FILE* stream) {
  if (std::fflush(stream) != 0) return false;
  return std::ferror(stream) == 0;
}

void append_hex8(std::string& out, uint32_t value) {
  char buf[8];
  for (int i = 7; i >= 0; --i) {
    buf[i] = HEX_DIGITS[value & 0xF];
    value >>= 4;
  }
  out.append(buf, 8);
}

int parse_hex_words(std::string_view text, std::span<uint32_t> out, bool* more) {
  size_t count = 0;
  size_t i = 0;
  if (more) *more = false;
  for (;;) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i >= text.size()) return static_cast<int>(count);
    if (count == out.size()) {
      if (more) *more = true;
      return static_cast<int>(count);
    }
    uint32_t v = 0;
    int digits = 0;
    for (; i < text.size() && text[i] != ' ' && text[i] != '\t'; ++i) {
      int d = hex_digit_value(text[i]);
      if (d < 0 || ++digits > 8) return -1;
      v = v << 4 | static_cast<uint32_t>(d);
    }
    out[count++] = v;
  }
}
