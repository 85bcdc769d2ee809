#include "core/seq_to_nic.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/design_file.h"
#include "core/device_tables.h"
#include "core/file_replace.h"
#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "core/seq_file.h"
#include "core/sjis.h"
#include "core/text_file.h"

namespace {

// ---- The printers ------------------------------------------------------------------------
// What follows an instruction's name: the device form of a bit instruction, the number
// form of MC and MCR, operand j in the operand form, or the count form of operand j.
enum class Item : uint8_t { NONE, DEVICE, NUMBER, NUMBER_AND_DEVICE, OPERAND_1, OPERAND_2, OPERAND_3, COUNT_2, COUNT_3 };
enum class Kind : uint8_t { PLAIN, COMPARISON, COMMENT };

struct Printer {
  uint16_t code;
  Kind kind;
  uint8_t name_count;                  // 1; 2 = plain / P (comparisons: plain / D); 4 = plain / P / D / D and P
  std::array<const char*, 4> names;
  std::array<Item, 3> items;           // each written after the name and ended by a line end
};

constexpr Item D = Item::DEVICE, N = Item::NUMBER, ND = Item::NUMBER_AND_DEVICE, O1 = Item::OPERAND_1, O2 = Item::OPERAND_2,
               O3 = Item::OPERAND_3, C2 = Item::COUNT_2, C3 = Item::COUNT_3, NO = Item::NONE;

constexpr Printer one(uint16_t code, const char* name, Item a = NO, Item b = NO, Item c = NO) {
  return {code, Kind::PLAIN, 1, {name, name, name, name}, {a, b, c}};
}
constexpr Printer two(uint16_t code, const char* plain, const char* p, Item a = NO, Item b = NO, Item c = NO) {
  return {code, Kind::PLAIN, 2, {plain, p, plain, p}, {a, b, c}};
}
constexpr Printer four(uint16_t code, const char* plain, const char* p, const char* d, const char* dp, Item a = NO,
                       Item b = NO, Item c = NO) {
  return {code, Kind::PLAIN, 4, {plain, p, d, dp}, {a, b, c}};
}
constexpr Printer compare(uint16_t code, const char* plain, const char* d) {
  return {code, Kind::COMPARISON, 2, {plain, d, plain, d}, {NO, NO, NO}};
}

// Codes 12-14 (MPS, MRD, MPP) stand only in lists the mnemonic compile writes; they are
// written as their own words so that the stack logic stays in the text.
constexpr Printer PRINTERS[] = {
    one(0, ";NOP\n"),
    one(1, "LD      ", D), one(2, "LDI     ", D), one(3, "AND     ", D), one(4, "ANI     ", D),
    one(5, "OR      ", D), one(6, "ORI     ", D),
    one(7, "ANB\n"), one(8, "ORB\n"),
    one(12, "MPS\n"), one(13, "MRD\n"), one(14, "MPP\n"),
    one(15, "OUT     ", D), one(16, "END\n"),
    two(17, "OUTD    ", "OUTDP   ", D),
    one(18, "MC      ", ND), one(19, "FEND\n"), one(20, "IEND\n"), one(21, "STC\n"), one(22, "CLC\n"),
    one(23, "MCR     ", N),
    one(26, "CJ      ", D), one(27, "", D),
    one(28, "SET     ", D), one(29, "PLS     ", D), one(30, "PLF     ", D), one(31, "RST     ", D),
    {32, Kind::COMMENT, 1, {";", ";", ";", ";"}, {NO, NO, NO}},
    one(33, "BTONJ   ", D),
    two(34, "SETS    ", "SETSP   ", D), two(35, "RSTS    ", "RSTSP   ", D),
    four(36, "RCR     \n", "RCRP    \n", "DRCR    \n", "DRCRP   \n", O1, C2),
    four(37, "RCL     \n", "RCLP    \n", "DRCL    \n", "DRCLP   \n", O1, C2),
    four(39, "INC     ", "INCP    ", "DINC    ", "DINCP   ", O1),
    four(40, "DEC    ", "DECP    ", "DDEC    ", "DDECP   ", O1),
    one(43, "", D), one(44, "", D),
    two(45, "INT     \n", "INTP    \n", D), two(46, "SCALL   \n", "SCALLP  \n", D),
    one(47, "RETRN\n"),
    four(48, "ROR     \n", "RORP    \n", "DROR    \n", "DRORP   \n", O1, O2),
    four(49, "ROL     \n", "ROLP    \n", "DROL    \n", "DROLP   \n", O1, O2),
    one(53, "OUT     ", D, O2), one(54, "OUT     ", D, O2),
    two(55, "ADCO    \n", "ADCOP   \n", O1, O2),
    one(59, "DACO    \n", O1, O2),
    one(65, "PULSE   \n", O1, O2, O3), one(66, "ENCOD   \n", O1),
    one(69, "MC1     \n", O1), one(70, "MC100   \n", O1),
    two(74, "LCDH    \n", "LCDHP   \n", O1, O2, O3), two(75, "LCDL    \n", "LCDLP   \n", O1, O2, O3),
    one(78, "SRIN    \n", O1, O2, O3), one(79, "SROT    \n", O1, O2, O3),
    two(80, "DECO    \n", "DECOP   \n", O1, O2, C3),
    four(81, "MOV     \n", "MOVP    \n", "DMOV    \n", "DMOVP   \n", O1, O2),
    four(82, "CMP     \n", "CMPP    \n", "DCMP    \n", "DCMPP   \n", O1, O2),
    two(83, "NEG     \n", "NEGP    \n", O1),
    four(84, "XCH     \n", "XCHP    \n", "DXCH    \n", "DXCHP   \n", O1, O2),
    four(85, "BCD     \n", "BCDP    \n", "DBCD    \n", "DBCDP   \n", O1, O2),
    four(86, "BIN     \n", "BINP    \n", "DBIN    \n", "DBINP   \n", O1, O2),
    four(87, "MOVD    \n", "MOVDP   \n", "DMOVD   \n", "DMOVDP  \n", O1, O2),
    four(91, "BCDDA   \n", "BCDDAP  \n", "DBCDDA  \n", "DBCDDAP \n", O1, O2),
    one(93, "SEG     \n", O1, O2),
    four(94, "SFR     \n", "SFRP    \n", "DSFR    \n", "DSFRP   \n", O1, C2),
    four(95, "SFL     \n", "SFLP    \n", "DSFL    \n", "DSFLP   \n", O1, C2),
    four(98, "+       \n", "+P      \n", "D+      \n", "D+P     \n", O1, O2, O3),
    four(99, "-       \n", "-P      \n", "D-      \n", "D-P     \n", O1, O2, O3),
    four(100, "B+      \n", "B+P     \n", "DB+     \n", "DB+P    \n", O1, O2, O3),
    four(101, "B-      \n", "B-P     \n", "DB-     \n", "DB-P    \n", O1, O2, O3),
    four(102, "B*      \n", "B*P     \n", "DB*     \n", "DB*P    \n", O1, O2, O3),
    four(103, "B/      \n", "B/P     \n", "DB/     \n", "DB/P    \n", O1, O2, O3),
    two(104, "WAND    \n", "WANDP   \n", O1, O2, O3), two(105, "WOR     \n", "WORP    \n", O1, O2, O3),
    two(106, "WXOR    \n", "WXORP   \n", O1, O2, O3), two(107, "WXNR    \n", "WXNRP   \n", O1, O2, O3),
    two(108, "SFT     \n", "SFTP    \n", O1),
    four(110, "*       \n", "*P      \n", "D*      \n", "D*P     \n", O1, O2, O3),
    four(111, "/       \n", "/P      \n", "D/      \n", "D/P     \n", O1, O2, O3),
    one(113, "STEP   \n", O1, O2, O3),
    four(114, "+=      \n", "+=P     \n", "D+=     \n", "D+=P    \n", O1, O2),
    four(115, "-=      \n", "-=P     \n", "D-=     \n", "D-=P    \n", O1, O2),
    four(116, "B+=     \n", "B+=P    \n", "DB+=    \n", "DB+=P   \n", O1, O2),
    four(117, "B-=     \n", "B-=P    \n", "DB-=    \n", "DB-=P   \n", O1, O2),
    two(120, "WAND=   \n", "WAND=P   \n", O1, O2), two(121, "WOR=    \n", "WOR=P   \n", O1, O2),
    two(122, "WXOR=   \n", "WXOR=P   \n", O1, O2), two(123, "WXNR=   \n", "WXNR=P   \n", O1, O2),
    two(125, "RDTBL   \n", "RDTBLP  \n", O1, O2, O3),
    one(127, "ASM     \n", O1), one(128, "TABL    \n", O1), one(129, "SEND\n"),
    two(136, "DAND    \n", "DANDP   \n", O1, O2, O3), two(137, "DOR     \n", "DORP    \n", O1, O2, O3),
    two(138, "DXOR    \n", "DXORP   \n", O1, O2, O3), two(139, "DXNR    \n", "DXNRP   \n", O1, O2, O3),
    one(153, "IRET\n"), one(154, "LOOP\n"),
    two(158, "MIVK    \n", "MIVKP   \n", O1, O2), two(159, "MOVK    \n", "MOVKP   \n", O1, O2),
    compare(161, "LD=     ", "LDD=    "), compare(162, "LD<>    ", "LDD<>   "),
    compare(163, "LD>     ", "LDD>    "), compare(164, "LD>=    ", "LDD>=   "),
    compare(165, "LD<     ", "LDD<    "), compare(166, "LD<=    ", "LDD<=   "),
    compare(169, "AND=    ", "ANDD=   "), compare(170, "AND<>   ", "ANDD<>  "),
    compare(171, "AND>    ", "ANDD>   "), compare(172, "AND>=   ", "ANDD>=  "),
    compare(173, "AND<    ", "ANDD<   "), compare(174, "AND<=   ", "ANDD<=  "),
    compare(177, "OR=     ", "ORD=    "), compare(178, "OR<>    ", "ORD<>   "),
    compare(179, "OR>     ", "ORD>    "), compare(180, "OR>=    ", "ORD>=   "),
    compare(181, "OR<     ", "ORD<    "), compare(182, "OR<=    ", "ORD<=   "),
    one(513, "LDD     ", D), one(514, "LDID    ", D), one(515, "ANDD    ", D),
    one(516, "ANID    ", D), one(517, "ORD     ", D), one(518, "ORID    ", D),
};

constexpr int PRINTER_CODES = 519;
constexpr auto PRINTER_INDEX = [] {
  std::array<int16_t, PRINTER_CODES> index{};
  index.fill(-1);
  for (size_t i = 0; i < std::size(PRINTERS); ++i) index[PRINTERS[i].code] = static_cast<int16_t>(i);
  return index;
}();

const Printer* printer_of(uint32_t code) {
  if (code >= PRINTER_CODES || PRINTER_INDEX[code] < 0) return nullptr;
  return &PRINTERS[static_cast<size_t>(PRINTER_INDEX[code])];
}

// ---- Operand texts ---------------------------------------------------------------------
// The printer's own letters by DeviceIndex; the device "4" (index 20) is written "5".
constexpr char DEVICE_LETTERS[] = "XYMSTCLBnKQRWDVFJPIH5U";
constexpr int DEVICE_LETTER_COUNT = sizeof DEVICE_LETTERS - 1;

void append_format(std::string& out, const char* format, unsigned a, unsigned b = 0, unsigned c = 0) {
  char buffer[48];
  int n = std::snprintf(buffer, sizeof buffer, format, a, b, c);
  if (n > 0) out.append(buffer, static_cast<size_t>(std::min(n, static_cast<int>(sizeof buffer) - 1)));
}

// A J number: the group (bits 8-14) and the step (bits 0-7); a range adds its last step,
// the step plus bits 16-21.
void append_j(std::string& out, DeviceOperand v) {
  unsigned group = static_cast<unsigned>(j_group(v)), step = static_cast<unsigned>(j_step(v));
  if (is_j_range(v)) append_format(out, "J%01u%02u-%02u", group, step, step + ((v >> 16) & 0x3F));
  else append_format(out, "J%01u%02u", group, step);
}

// A device: the letter and its number (bits 0-15), in hexadecimal for X, Y, B and R.
// J numbers are a group and a step. In the operand form a digit group (the code byte's
// low nibble, for the devices below J) is preceded by K and its digit count.
void append_device(std::string& out, uint32_t v, bool operand_form) {
  DeviceIndex index = operand_device_index(v);
  if (index == Device::J) {
    append_j(out, v);
    return;
  }
  if (operand_form && is_digit_group(v)) append_format(out, "K%u", static_cast<unsigned>(digit_group_count(v)));
  char letter = index < DEVICE_LETTER_COUNT ? DEVICE_LETTERS[index] : '?';
  if ((v & OperandBits::LOWER_XY) && (index == Device::X || index == Device::Y)) letter = ascii_lower(letter);
  out.push_back(letter);
  bool hex = index < DEVICE_LETTER_COUNT && g_mnemonic_printer_radix[static_cast<size_t>(index)] == DeviceRadix::HEX;
  append_format(out, hex ? "%02X" : "%02u", operand_number(v));
}

// A K constant keeps its decimal digits as hexadecimal nibbles.
unsigned decimal_digits_value(uint32_t v) {
  char digits[12];
  std::snprintf(digits, sizeof digits, "%X", v);
  unsigned value = 0;
  for (const char* p = digits; *p >= '0' && *p <= '9'; ++p) value = value * 10 + static_cast<unsigned>(*p - '0');
  return value;
}

struct Operand {
  uint32_t value;
  bool constant;
  bool hex;
};

// Operand form. Constants are written from the whole word, so that no digit of a K or H
// constant is dropped (a K constant of a 16-bit instruction may hold five digits).
void append_operand(std::string& out, const Operand& o) {
  if (o.constant) append_format(out, o.hex ? "H%02X" : "K%X", o.value);
  else append_device(out, o.value, true);
}

void append_count(std::string& out, const Operand& o) {
  if (!o.constant) append_format(out, "%02u", o.value & 0xFFFF);
  else if (o.hex) append_format(out, "H%02X", o.value);
  else append_format(out, "K%u", decimal_digits_value(o.value));
}

void append_number(std::string& out, const Operand& o) {
  if (!o.constant) append_format(out, "%02u", o.value & 0xFFFF);
  else append_format(out, o.hex ? "%02u" : "%02X", o.value);
}

void append_not_supported(std::string& out, uint32_t code) { append_format(out, ";Not Support Command %x\n", code); }

// A comment record: one line for every line of its text, each starting with ';' and cut
// at a character boundary to what a statement field keeps.
void append_comment(std::string& out, std::string_view text) {
  constexpr size_t room = static_cast<size_t>(MAX_STATEMENT_CHARS) - 1;  // after the ';'
  do {
    size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.push_back(';');
    out.append(line.substr(0, sjis_cut_length(line, room)));
    out.push_back('\n');
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
  } while (!text.empty());
}

}  // namespace

void append_record_mnemonic(const InstructionRecord& record, std::span<const std::string_view> comment_texts,
                            std::string& out) {
  const uint32_t w0 = record.word[0];
  const uint32_t flags = (w0 >> 8) & 0xFF;
  uint32_t code;
  bool d_form, p_form = false;
  uint32_t operand_bits;  // constant bits 0-3, hex bits 4-7
  const uint32_t* operand_words;
  if (flags & 0x40) {
    // Comparison: the comparison number and its D form are in word 1, the operands in
    // words 2 and 3 with their constant and hex bits in word 1 bits 20-27.
    uint32_t k = record.word[1] & 0xF;
    d_form = (k & 8) != 0;
    k &= 7;
    switch (w0 & 0xF) {
      case 1: code = 0xA0 + k; break;
      case 3: code = 0xA8 + k; break;
      case 5: code = 0xB0 + k; break;
      default: append_not_supported(out, w0 & 0xFFFF); return;
    }
    operand_bits = (record.word[1] >> 20) & 0xFF;
    operand_words = &record.word[2];
  } else {
    code = w0 & 0x3FF;
    p_form = (flags & 0x20) != 0;
    d_form = (flags & 0x08) != 0;
    operand_bits = (w0 >> 20) & 0xFF;
    operand_words = &record.word[1];
  }
  const Printer* printer = printer_of(code);
  if (!printer || (printer->kind == Kind::COMPARISON) != ((flags & 0x40) != 0)) {
    append_not_supported(out, code);
    return;
  }
  auto operand = [&](int j) {  // j = 1 ...
    return Operand{operand_words[j - 1], ((operand_bits >> (j - 1)) & 1) != 0, ((operand_bits >> (j + 3)) & 1) != 0};
  };
  if (printer->kind == Kind::COMMENT) {
    uint32_t number = record.word[1];
    append_comment(out, number < comment_texts.size() ? comment_texts[number] : std::string_view());
    return;
  }
  size_t name = 0;
  if (printer->kind == Kind::COMPARISON) name = d_form ? 1 : 0;
  else if (printer->name_count == 2) name = p_form ? 1 : 0;
  else if (printer->name_count == 4) name = (d_form ? 2 : 0) + (p_form ? 1 : 0);
  out.append(printer->names[name]);
  if (printer->kind == Kind::COMPARISON) {
    append_operand(out, operand(1));
    out.push_back(' ');
    append_operand(out, operand(2));
    out.push_back('\n');
    return;
  }
  for (Item item : printer->items) {
    switch (item) {
      case Item::NONE: continue;
      case Item::DEVICE: append_device(out, operand_words[0], false); break;
      case Item::NUMBER: append_number(out, operand(1)); break;
      case Item::NUMBER_AND_DEVICE:
        // MC: the n number, then its device as a third word. The board is sent the first
        // two words of a line only, so it sees "MC nn" as ever; the device is there for
        // the text to be read back into the same record.
        append_number(out, operand(1));
        out.push_back(' ');
        append_operand(out, operand(2));
        break;
      case Item::OPERAND_1: append_operand(out, operand(1)); break;
      case Item::OPERAND_2: append_operand(out, operand(2)); break;
      case Item::OPERAND_3: append_operand(out, operand(3)); break;
      case Item::COUNT_2: append_count(out, operand(2)); break;
      case Item::COUNT_3: append_count(out, operand(3)); break;
    }
    out.push_back('\n');
  }
}

// ---- Reading the operation file ---------------------------------------------------------

namespace {

constexpr size_t RECORD_LINE_LIMIT = 255;
constexpr size_t RECORD_WORDS_NEEDED = 4;  // words 0-3 carry every printer's operands

bool hex_field(std::string_view line, size_t column, uint32_t& value) {
  if (line.size() < column + 8) return false;
  uint32_t v = 0;
  for (size_t i = column; i < column + 8; ++i) {
    int d = hex_digit_value(line[i]);
    if (d < 0) return false;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  value = v;
  return true;
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

enum class SeqRead { BAD, NO_END_RECORD, COMPLETE };

// Reads the records of an operation file, up to its end record or MAX_INSTRUCTIONS
// records, leaving the stream at the line after the end record.
SeqRead read_seq_records(std::FILE* stream, std::vector<InstructionRecord>& records) {
  TextLine line;
  if (read_text_line(stream, RECORD_LINE_LIMIT, line) != LineStatus::OK) return SeqRead::BAD;
  if (!ascii_iequal(line.text, SEQ_FILE_HEADER) && !ascii_iequal(line.text, SEQ_FILE_OLD_HEADER)) return SeqRead::BAD;
  LineStatus status = read_text_line(stream, RECORD_LINE_LIMIT, line);  // the project name
  if (status == LineStatus::ERROR) return SeqRead::BAD;
  if (status == LineStatus::END_OF_FILE) return SeqRead::NO_END_RECORD;
  while (records.size() < static_cast<size_t>(MAX_INSTRUCTIONS)) {
    status = read_text_line(stream, RECORD_LINE_LIMIT, line);
    if (status == LineStatus::ERROR) return SeqRead::BAD;
    if (status == LineStatus::END_OF_FILE) break;
    InstructionRecord record;
    if (!parse_seq_record_line(line.text, record)) return SeqRead::BAD;
    if (record.word[0] == END_RECORD_WORD) return SeqRead::COMPLETE;
    records.push_back(record);
  }
  return SeqRead::NO_END_RECORD;
}

// The texts of the comment records by their numbers. The comment rows of the operation
// file's own design part carry each comment's number (cell 11 word 1) and its text, so
// the texts come from there whatever g_line_comments holds at the moment; an operation
// file without a readable design part, or one without comment rows, takes them from
// g_line_comments. The design part is read into a grid of its own, and the program-wide
// tables that reading fills are put back as they were.
class CommentTexts {
 public:
  explicit CommentTexts(std::FILE* design_part) : texts_(MAX_LINE_COMMENTS) {
    if (design_part && read_comment_rows(design_part)) return;
    for (size_t i = 0; i < texts_.size(); ++i) texts_[i] = fixed_text(g_line_comments[i]);
  }
  std::span<const std::string_view> texts() const { return texts_; }

 private:
  bool read_comment_rows(std::FILE* stream) {
    auto kept_comments = std::make_unique<LineCommentStore>(g_line_comments);
    const CpuSettings kept_settings = g_loaded_cpu_settings;
    grid_ = make_ladder_grid();
    DesignReadInfo info;
    int result = read_design_file(grid_, stream, DESIGN_FILE_APPENDED, info);
    g_line_comments = *kept_comments;
    g_loaded_cpu_settings = kept_settings;
    if (result != DESIGN_FILE_OK) return false;
    bool found = false;
    const size_t rows = std::min(grid_.size(), static_cast<size_t>(info.rows_read));
    for (size_t r = 0; r < rows; ++r) {
      const LadderRow& row = grid_[r];
      if (!(row.cell[0].word[0] & CellFlags::COMMENT_ROW)) continue;
      found = true;
      uint32_t number = row.cell[OUTPUT_COLUMN].word[1];
      if (number < texts_.size() && texts_[number].empty())
        texts_[number] = fixed_text(std::span<const char>(row.row_text(), ROW_TEXT_SIZE));
    }
    return found;
  }

  LadderGrid grid_;
  std::vector<std::string_view> texts_;
};

// Text with each "\n" written as CR LF.
bool write_lines(std::FILE* stream, std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 8);
  for (size_t at = 0; at < text.size();) {
    size_t lf = text.find('\n', at);
    bytes.append(text.substr(at, lf - at));
    if (lf == std::string_view::npos) break;
    bytes.append(TEXT_LINE_END);
    at = lf + 1;
  }
  return write_text(stream, bytes) && finish_writing(stream);
}

}  // namespace

std::string path_without_extension(std::string_view path) {
  size_t component = 0;  // start of the last path component
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < path.size(); i += sjis_char_length(path, i)) {
    if (sjis_char_length(path, i) == 2) continue;
    char c = path[i];
    if (c == '\\' || c == '/' || c == ':') {
      component = i + 1;
      dot = std::string_view::npos;
    } else if (c == '.') {
      dot = i;
    }
  }
  return std::string(dot != std::string_view::npos && dot >= component ? path.substr(0, dot) : path);
}

bool parse_seq_record_line(std::string_view line, InstructionRecord& record) {
  record = {};
  for (size_t k = 0; k < 6; ++k) {
    if (!hex_field(line, 7 + 9 * k, record.word[k])) {
      if (k < RECORD_WORDS_NEEDED) return false;
      record.word[k] = 0;
    }
  }
  return true;
}

int convert_seq_to_nic(void* owner, const CpuSettings* /*settings*/, const char* seq_path, int /*unused*/) {
  const std::string base = path_without_extension(seq_path ? seq_path : "");
  const std::string nic_path = base + ".NIC";

  // The operation file is read whole before the mnemonic file is touched.
  std::vector<InstructionRecord> records;
  std::string text;
  bool read_ok = false;
  if (File seq{seq_path ? open_text_file(seq_path, "r") : nullptr}) {
    records.reserve(1024);
    SeqRead read = read_seq_records(seq.get(), records);
    if (read != SeqRead::BAD) {
      read_ok = true;
      CommentTexts comments(read == SeqRead::COMPLETE ? seq.get() : nullptr);
      text.reserve(records.size() * 16);
      for (const InstructionRecord& record : records) append_record_mnemonic(record, comments.texts(), text);
    }
  }
  if (!read_ok) {
    std::string message = base + ".SEQ ファイルが、開けません";
    show_notice(message.c_str(), "警告", NoticeStyle::OK | NoticeStyle::ICON_WARNING, owner);
    return SEQ_TO_NIC_NO_SEQ;
  }

  // A mnemonic text holds MAX_TEXT_LINES - 1 lines and its end line: a longer program would
  // reach the board cut short, so the conversion fails before the old file is touched.
  const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  if (lines > static_cast<size_t>(MAX_TEXT_LINES - 1)) {
    std::string message =
        base + ".NIC ファイルが" + std::to_string(MAX_TEXT_LINES - 1) + "行を超えます！\nプログラムを短くして下さい";
    show_notice(message.c_str(), "警告", NoticeStyle::OK | NoticeStyle::ICON_WARNING, owner);
    return SEQ_TO_NIC_TOO_LONG;
  }

  // The file is written beside the old one and moved over it only when whole, after the gate
  // looked at it: a read-only, locked or missing target keeps what it holds.
  GateVerdict verdict = GateVerdict::WRITE;
  const ReplaceResult written = write_file_replacing(
      nic_path, [&text](std::FILE* stream) { return write_lines(stream, text); }, nullptr, &verdict);
  if (written != ReplaceResult::REPLACED) {
    if (written == ReplaceResult::REFUSED && is_read_only_refusal(verdict)) {
      show_notice("読取り専用ファイルです", nic_path.c_str(), NoticeStyle::OK | NoticeStyle::ICON_WARNING, owner);
    } else if (written == ReplaceResult::NOT_WRITTEN) {
      // The new file was made but could not be written whole (a full disk).
      show_notice("書込みエラ－が発生しました！", nic_path.c_str(), NoticeStyle::OK | NoticeStyle::ICON_WARNING, owner);
    } else {
      std::string message = base + ".NIC ファイルが、開けません\n共用をチェックして下さい";
      show_notice(message.c_str(), "警告", NoticeStyle::OK | NoticeStyle::ICON_WARNING, owner);
    }
    return SEQ_TO_NIC_NO_NIC;
  }
  show_notice("SEQ to NICが終了しました", "確認", NoticeStyle::OK | NoticeStyle::ICON_INFORMATION, owner);
  return SEQ_TO_NIC_OK;
}
