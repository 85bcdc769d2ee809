// Line-based text files of the program (design, operation and mnemonic files).
//
// Every file is opened in binary mode and the line ends are handled here, so the bytes
// on disk are the same whichever C library runs the program: lines are written with
// CR LF, a CR directly before LF is dropped when reading, and a 0x1A byte ends the file
// (as text mode does on Windows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

// The line end written after every line.
inline constexpr std::string_view TEXT_LINE_END = "\r\n";
// The byte that ends a text file when read.
inline constexpr int TEXT_END_BYTE = 0x1A;

// Opens `path` with the C mode "r", "w", "w+", "a" ... always adding binary mode. Paths are
// CP932, as the program keeps them: the Windows program installs an opener that calls the
// wide-character functions (set_text_file_opener), so that Japanese names open whatever the
// system code page; without one the C library's fopen serves.
std::FILE* open_text_file(const char* path, const char* mode);
using TextFileOpener = std::FILE* (*)(const char* path, const char* mode);
// Installs the opener of open_text_file (nullptr: the C library again). The mode it gets
// already holds 'b'.
void set_text_file_opener(TextFileOpener opener);
// Switches a stream that a caller opened in text mode to binary mode (Windows; elsewhere
// the two are the same). The readers and writers call it before they touch a stream.
void use_binary_mode(std::FILE* stream);

enum class LineStatus { OK, END_OF_FILE, ERROR };

struct TextLine {
  std::string text;           // the line without its line end, at most `limit` bytes of it
  bool has_line_end = false;  // the line ended with LF (not with the end of the file)
  bool too_long = false;      // the line held more than `limit` bytes; the rest was skipped
  // The length of the line as a C library's line read reports it: the line end counts.
  size_t length_with_end() const { return text.size() + (has_line_end ? 1 : 0); }
};

// Reads one whole physical line. OK: a line was read (possibly empty, possibly the last
// line of the file without a line end). END_OF_FILE: nothing was left (or a 0x1A byte
// came first; every later call also gives END_OF_FILE). ERROR: the stream failed.
LineStatus read_text_line(std::FILE* stream, size_t limit, TextLine& line);

// A text read whole into memory (the rest of a stream, in a few large reads) and handed out
// line by line: read_text_line gives from it exactly the lines and statuses that the
// stream's own read_text_line gives. Parsing from memory spares the byte-wise reads of the
// C library, which cost the most where each one goes through a DLL (Windows, Wine).
struct TextBuffer {
  std::string bytes;    // the bytes read, up to the first 0x1A byte (which ends the text)
  size_t next = 0;      // where the next line starts
  bool failed = false;  // the stream failed after `bytes`: a line that runs into it is an error
};
// Reads everything from the stream's position on into `buffer` (emptied first). False when
// the stream failed (what came before the failure is kept, and failed is set).
bool read_rest_of_stream(std::FILE* stream, TextBuffer& buffer);
// As read_text_line on the stream the buffer was read from.
LineStatus read_text_line(TextBuffer& buffer, size_t limit, TextLine& line);

// Writes `text` as it is (the caller writes TEXT_LINE_END where a line ends); false when
// fewer bytes were written.
bool write_text(std::FILE* stream, std::string_view text);

// Flushes the stream and reports whether every write so far reached the file.
bool finish_writing(std::FILE* stream);

// Hexadecimal fields of the file formats: written upper case and fixed width, read in
// either case.
inline constexpr int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
inline constexpr char HEX_DIGITS[] = "0123456789ABCDEF";
// Appends `value` as eight upper-case hexadecimal digits.
void append_hex8(std::string& out, uint32_t value);
// Parses the blank-separated hexadecimal words of `text` (each of at most eight digits)
// into `out`. Returns the number of words stored, or -1 when one of them is not
// hexadecimal or is longer. When text follows after `out` is full, `more` (if given)
// is set and that text is not looked at.
int parse_hex_words(std::string_view text, std::span<uint32_t> out, bool* more = nullptr);
