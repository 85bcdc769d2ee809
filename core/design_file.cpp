#include "core/design_file.h"

#include <array>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "core/device_tables.h"
#include "core/notice.h"
#include "core/old_design_file.h"
#include "core/sjis.h"
#include "core/text_file.h"

const char* g_file_project_name = "";

std::string file_name_line(const char* extension) {
  std::string line;
  if (g_file_project_name) line.assign(g_file_project_name, strnlen(g_file_project_name, PROJECT_NAME_SIZE));
  return line.append(extension).append(TEXT_LINE_END);
}

namespace {

constexpr size_t ROW_LINE_LIMIT = 1023;      // a row line of the design text
constexpr size_t COMMENT_LINE_LIMIT = 2047;  // a line of the comment section
constexpr int ROW_NUMBER_WIDTH = 7;          // "%05d  "
constexpr int GROUP_WIDTH = 10;              // "%01X%08X "
constexpr int WORDS_PER_ROW = 2 * ROW_CELLS;
constexpr uint32_t SEPARATOR_COUNT = 0xD;
constexpr uint32_t SEPARATOR_VALUE = 0xDDDDDDDD;
constexpr uint32_t FINAL_ROW_VALUE = EMPTY_MARK;  // every group of the final row
constexpr std::string_view FINAL_ROW_WORD = "F0F0F0F0";

constexpr uint32_t CODE_END = 16;
constexpr uint32_t CODE_IEND = 20;

constexpr int MAX_COMMENT_WORDS = 6;  // words of a cell comment kept in the file

int grid_limit(GridSpan grid) {
  return grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? static_cast<int>(grid.size()) : MAX_GRID_ROWS;
}

// The END row whose cells carry the settings: the END flag and the END code.
bool is_settings_end_row(const LadderRow& row) { return is_end_row(row) && row_output_code(row) == CODE_END; }
bool is_interrupt_end_row(const LadderRow& row) {
  return (row.cell[OUTPUT_COLUMN].word[0] & CellFlags::OUTPUT) && row_output_code(row) == CODE_IEND;
}
bool is_special_row(const LadderRow& row) {
  uint32_t kind = special_row_kind(row);
  return kind == SpecialRow::INITIAL_ON || kind == SpecialRow::INTERLOCK || kind == SpecialRow::INITIAL_VALUES;
}

// ---- Writing ---------------------------------------------------------------------------

void append_group(std::string& out, uint32_t repeat, uint32_t value) {
  out.push_back(HEX_DIGITS[repeat & 0xF]);
  append_hex8(out, value);
  out.push_back(' ');
}

void append_row_number(std::string& out, int number) {
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, "%05d  ", number);
  out.append(buf, static_cast<size_t>(n));
}

// The 16 words `word` of the row's cells as run-length groups: each group stands for
// itself and the directly following cells of the same value.
void append_run_length_half(std::string& out, const LadderRow& row, int word) {
  for (int i = 0; i < ROW_CELLS;) {
    uint32_t v = row.cell[i].word[word];
    int r = 0;
    while (i + r + 1 < ROW_CELLS && row.cell[i + r + 1].word[word] == v) ++r;
    append_group(out, static_cast<uint32_t>(r), v);
    i += r + 1;
  }
}

void append_program_row(std::string& out, const LadderRow& row, int number) {
  append_row_number(out, number);
  append_run_length_half(out, row, 0);
  append_group(out, SEPARATOR_COUNT, SEPARATOR_VALUE);
  append_run_length_half(out, row, 1);
  out.append(TEXT_LINE_END);
}

// A special row keeps cells 0-12; cells 13-15 are written as 0x20000000 / 0.
void append_special_row(std::string& out, const LadderRow& row, int number) {
  append_row_number(out, number);
  for (int c = 0; c <= 12; ++c) append_group(out, 0, row.cell[c].word[0]);
  append_group(out, 2, CellFlags::SPECIAL);
  append_group(out, SEPARATOR_COUNT, SEPARATOR_VALUE);
  for (int c = 0; c <= 12; ++c) append_group(out, 0, row.cell[c].word[1]);
  append_group(out, 2, 0);
  out.append(TEXT_LINE_END);
}

void append_uniform_row(std::string& out, uint32_t value, int number, bool line_end) {
  append_row_number(out, number);
  for (int c = 0; c < ROW_CELLS; ++c) append_group(out, 0, value);
  if (line_end) out.append(TEXT_LINE_END);
}

// A text never puts the byte that ends a text file (0x1A) into the file: everything after
// it would be lost to the reader. It is never a trail byte, so a byte scan finds it; the
// file keeps a blank in its place.
bool is_text_end_byte(char c) { return static_cast<unsigned char>(c) == TEXT_END_BYTE; }

// A comment or text row's text in the file: a line break (a blank and a line feed, or a
// line feed alone) becomes two backslashes, so the text stays on one line.
void append_row_text(std::string& out, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char c = is_text_end_byte(text[i]) ? ' ' : text[i];
    if (c == ' ' && i + 1 < text.size() && text[i + 1] == '\n') {
      out.append("\\\\");
      ++i;
    } else if (c == '\n') {
      out.append("\\\\");
    } else {
      out.push_back(c);
    }
  }
}

// A cell comment in the file: its first six words (split at blanks, line feeds and 0x1A), each
// followed by two backslashes. Blanks and line feeds are never trail bytes, so a byte scan
// splits correctly.
void append_cell_comment_words(std::string& out, std::string_view text) {
  int words = 0;
  size_t i = 0;
  while (i < text.size() && words < MAX_COMMENT_WORDS) {
    const auto separates = [](char c) { return c == ' ' || c == '\n' || is_text_end_byte(c); };
    while (i < text.size() && separates(text[i])) ++i;
    size_t start = i;
    while (i < text.size() && !separates(text[i])) ++i;
    if (i > start) {
      out.append(text.substr(start, i - start));
      out.append("\\\\");
      ++words;
    }
  }
}

std::string_view cell_text(const LadderRow& row, int cell) {
  return fixed_text(std::span<const char>(row.text[cell], CELL_TEXT_SIZE));
}
// The text that starts at slot `cell` and may run to the end of the row's text area.
std::string_view row_text_from(const LadderRow& row, int cell) {
  return fixed_text(std::span<const char>(row.row_text() + cell * CELL_TEXT_SIZE,
                                          static_cast<size_t>((ROW_CELLS - cell) * CELL_TEXT_SIZE)));
}

bool has_any_comment_flag(uint32_t w0) { return (w0 & (CellFlags::HAS_COMMENT | CellFlags::COMMENT_ROW)) != 0; }

void append_comment_line(std::string& out, const LadderRow& row, int number) {
  append_row_number(out, number);
  for (int k = 0; k < ROW_CELLS;) {
    uint32_t w0 = row.cell[k].word[0];
    if (w0 & CellFlags::COMMENT_ROW) {
      // A comment row (cell 0) or a text row (cell 1): the text runs to the line end.
      out.push_back('0');
      append_row_text(out, row_text_from(row, k));
      out.append(k == 0 ? " E " : " D ");
      break;
    }
    if (w0 & CellFlags::HAS_COMMENT) {
      out.push_back('0');
      append_cell_comment_words(out, cell_text(row, k));
      out.push_back(' ');
      ++k;
      continue;
    }
    int n = 0;
    while (k + n + 1 < ROW_CELLS && !has_any_comment_flag(row.cell[k + n + 1].word[0])) ++n;
    out.push_back(HEX_DIGITS[n]);
    out.push_back(' ');
    k += n + 1;
  }
  out.append(TEXT_LINE_END);
}

// Writes `out` and empties it; false when the write fell short.
bool flush_buffer(std::FILE* stream, std::string& out) {
  bool ok = write_text(stream, out);
  out.clear();
  return ok;
}

// ---- Reading ---------------------------------------------------------------------------

// Decodes the run-length groups of a row line into `words`. Returns the number of words
// filled, or -1 for a malformed group or more words than a row has.
int decode_row_groups(const TextLine& line, std::array<uint32_t, WORDS_PER_ROW>& words) {
  const std::string& s = line.text;
  size_t groups = (line.length_with_end() - 6) / GROUP_WIDTH;
  int filled = 0;
  for (size_t g = 0; g < groups; ++g) {
    size_t at = ROW_NUMBER_WIDTH + g * GROUP_WIDTH;
    if (at + 9 > s.size()) return -1;
    int repeat = hex_digit_value(s[at]);
    if (repeat < 0) return -1;
    uint32_t value = 0;
    for (size_t i = 1; i <= 8; ++i) {
      int d = hex_digit_value(s[at + i]);
      if (d < 0) return -1;
      value = value << 4 | static_cast<uint32_t>(d);
    }
    if (at + 9 < s.size() && s[at + 9] != ' ') return -1;
    if (static_cast<uint32_t>(repeat) == SEPARATOR_COUNT && value == SEPARATOR_VALUE) continue;
    if (filled + repeat + 1 > WORDS_PER_ROW) return -1;
    for (int i = 0; i <= repeat; ++i) words[static_cast<size_t>(filled++)] = value;
  }
  return filled;
}

// Two backslashes in a stored text stand for a blank and a line feed. A run of an odd
// number keeps its first backslash as it is. Double-byte characters are stepped over
// whole, so a trail byte 0x5C (as in "ソ" or "表") is never taken for a backslash.
std::string decode_backslashes(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    size_t n = sjis_char_length(s, i);
    if (n == 2) {
      out.append(s.substr(i, 2));
      i += 2;
      continue;
    }
    if (s[i] != '\\') {
      out.push_back(s[i++]);
      continue;
    }
    size_t run = 0;
    while (i + run < s.size() && s[i + run] == '\\') ++run;
    i += run;
    if (run % 2 == 1) {
      out.push_back('\\');
      --run;
    }
    for (; run > 0; run -= 2) out.append(" \n");
  }
  return out;
}

void store_text(LadderRow& row, int cell, size_t capacity, std::string_view text) {
  copy_text_bounded(std::span<char>(row.row_text() + cell * CELL_TEXT_SIZE, capacity), text);
}

void clear_cell_texts(LadderRow& row, int from, int to) {
  for (int k = from; k <= to; ++k) std::memset(row.text[k], 0, CELL_TEXT_SIZE);
}

// The comment section: one line per row from row 0, up to the final row. Only program
// rows (up to `program_rows`) have lines of their own; the rows after them (special rows,
// the end mark) are never taken for comment or text rows, so their line can only be the
// final row.
int read_comment_section(GridSpan grid, TextBuffer& stream, int end_mark_row, int program_rows) {
  TextLine line;
  int next_line_comment = 0;
  for (int r = 0; r <= end_mark_row; ++r) {
    LineStatus st = read_text_line(stream, COMMENT_LINE_LIMIT, line);
    if (st != LineStatus::OK || line.too_long) return DESIGN_FILE_BAD;  // the final row is missing
    const std::string& s = line.text;
    LadderRow& row = grid[static_cast<size_t>(r)];
    size_t pos = ROW_NUMBER_WIDTH;
    for (int cell = 0; cell < ROW_CELLS && pos < s.size();) {
      if (r < program_rows && (row.cell[cell].word[0] & CellFlags::COMMENT_ROW)) {
        // The rest of the line is the text of a comment row (cell 0) or a text row,
        // closed by a blank, "E" or "D" and a blank.
        if (s[pos] != '0') return DESIGN_FILE_BAD;
        std::string_view rest = std::string_view(s).substr(pos + 1);
        if (rest.size() < 3 || rest[rest.size() - 3] != ' ' || rest.back() != ' ' ||
            (rest[rest.size() - 2] != 'E' && rest[rest.size() - 2] != 'D'))
          return DESIGN_FILE_BAD;
        std::string text = decode_backslashes(rest.substr(0, rest.size() - 3));
        store_text(row, cell, static_cast<size_t>((ROW_CELLS - cell) * CELL_TEXT_SIZE), text);
        if (cell == 0 && next_line_comment < MAX_LINE_COMMENTS) {
          auto& slot = g_line_comments[static_cast<size_t>(next_line_comment++)];
          copy_text_bounded(std::span<char>(slot.data(), slot.size()), text);
        }
        break;
      }
      if (s[pos] == '0' && pos + 1 < s.size() && s[pos + 1] != ' ') {
        size_t end = sjis_find(s, ' ', pos + 1);
        if (end == std::string::npos) end = s.size();
        std::string_view word = std::string_view(s).substr(pos + 1, end - pos - 1);
        // The final row: its groups read as the text F0F0F0F0. A cell comment never has
        // that word, because every word of a comment ends in two backslashes.
        if (word == FINAL_ROW_WORD) return DESIGN_FILE_OK;
        store_text(row, cell, CELL_TEXT_SIZE, decode_backslashes(word));
        pos = end + 1;
        ++cell;
        continue;
      }
      int n = hex_digit_value(s[pos]);
      if (n < 0 || cell + n >= ROW_CELLS || (pos + 1 < s.size() && s[pos + 1] != ' ')) return DESIGN_FILE_BAD;
      clear_cell_texts(row, cell, cell + n);
      pos += 2;
      cell += n + 1;
    }
  }
  return DESIGN_FILE_OK;
}

// The program rows, special rows and end-mark row of the current layout, then the
// comment section.
int read_current_body(GridSpan grid, TextBuffer& stream, int mode, DesignReadInfo& info) {
  const int limit = grid_limit(grid);
  TextLine line;
  std::array<uint32_t, WORDS_PER_ROW> words{};
  bool end_seen = false;
  int end_row = 0;
  bool interrupt_seen = false;
  std::array<uint32_t, 16> interrupt_words{};
  for (int r = 0;; ++r) {
    LineStatus st = read_text_line(stream, ROW_LINE_LIMIT, line);
    if (st == LineStatus::ERROR) return DESIGN_FILE_BAD;
    if (st == LineStatus::END_OF_FILE) {
      // An operation file may carry no design text at all; anything else that ends
      // before its end-mark row is cut short.
      return (r == 0 && mode != DESIGN_FILE_STANDALONE) ? DESIGN_FILE_OK : DESIGN_FILE_BAD;
    }
    if (line.too_long || line.length_with_end() < 6) return DESIGN_FILE_BAD;
    if (r >= limit) return DESIGN_FILE_TOO_LONG;  // no room left for this row
    int filled = decode_row_groups(line, words);
    if (filled < 0) return DESIGN_FILE_BAD;
    LadderRow& row = grid[static_cast<size_t>(r)];
    std::memset(&row, 0, sizeof row);
    if (filled >= 1 && words[0] == END_MARK_CELL) {
      make_end_mark_row(row);
      info.rows_read = r + 1;
      if (r == 0) return DESIGN_FILE_EMPTY;
      return read_comment_section(grid, stream, r, end_seen ? end_row + 1 : r);
    }
    if (filled != WORDS_PER_ROW) return DESIGN_FILE_BAD;
    for (int c = 0; c < ROW_CELLS; ++c) {
      row.cell[c].word[0] = words[static_cast<size_t>(c)];
      row.cell[c].word[1] = words[static_cast<size_t>(ROW_CELLS + c)];
    }
    info.rows_read = r + 1;
    if (!end_seen && is_settings_end_row(row)) {
      end_seen = true;
      end_row = r;
      load_settings_from_end_row(row, g_loaded_cpu_settings);
      // The writer fills the first interrupt-end row before the END row (never row 0).
      for (int i = 0; i < 16; ++i)
        g_loaded_cpu_settings.interrupt_words[i] = static_cast<int32_t>(interrupt_seen ? interrupt_words[i] : 0);
      info.end_row_read = true;
    } else if (!end_seen && !interrupt_seen && r > 0 && is_interrupt_end_row(row)) {
      interrupt_seen = true;
      for (int i = 0; i < 16; ++i) interrupt_words[i] = row.cell[i].word[1];
    }
  }
}

void clear_loaded_file_settings() {
  CpuSettings& s = g_loaded_cpu_settings;
  s.base_value = s.option_a = s.option_b = s.option_c = s.option_d = 0;
  s.port_value = s.extra_value = s.clock_high = s.clock_low = 0;
  s.vector_high = s.vector_low = 0;
  std::memset(s.cpu_name, 0, sizeof s.cpu_name);
  std::memset(s.user_words, 0, sizeof s.user_words);
  std::memset(s.interrupt_words, 0, sizeof s.interrupt_words);
}

}  // namespace

void store_settings_in_end_row(const CpuSettings& s, LadderRow& row) {
  int slot = find_cpu_slot_by_name(fixed_text(std::span<const char>(s.cpu_name, sizeof s.cpu_name)));
  row.cell[0].word[1] = slot < 0 ? 0u : static_cast<uint32_t>(g_cpu_codes[static_cast<size_t>(slot)]);
  // Each field is kept to its width, so that an out-of-range value cannot spill into
  // its neighbours in the same word.
  row.cell[1].word[1] = (static_cast<uint32_t>(s.option_a) & 1) << 1 | (static_cast<uint32_t>(s.option_b) & 1) << 2 |
                        (static_cast<uint32_t>(s.option_c) & 1) << 3 | (static_cast<uint32_t>(s.option_d) & 0xF) << 4;
  row.cell[2].word[1] = (static_cast<uint32_t>(s.clock_high) & 0x3F) << 8 | (static_cast<uint32_t>(s.clock_low) & 0x3F);
  row.cell[3].word[1] = (static_cast<uint32_t>(s.vector_high) & 0xF) << 8 | (static_cast<uint32_t>(s.vector_low) & 0xF);
  row.cell[4].word[1] = static_cast<uint32_t>(s.port_value);
  row.cell[6].word[1] = static_cast<uint32_t>(s.extra_value);
  row.cell[7].word[1] = static_cast<uint32_t>(s.base_value);
  for (int i = 0; i < 4; ++i) row.cell[8 + i].word[1] = static_cast<uint32_t>(s.user_words[i]);
}

void load_settings_from_end_row(const LadderRow& row, CpuSettings& s) {
  // Every model of the CPU table comes back, "PLC" included; an unknown code gives no name.
  int slot = find_cpu_slot_by_code(static_cast<int32_t>(row.cell[0].word[1]));
  std::memset(s.cpu_name, 0, sizeof s.cpu_name);
  if (slot >= 0) copy_text_bounded(std::span<char>(s.cpu_name, sizeof s.cpu_name), g_cpu_names[static_cast<size_t>(slot)]);
  uint32_t options = row.cell[1].word[1];
  s.option_a = static_cast<int32_t>(options >> 1 & 1);
  s.option_b = static_cast<int32_t>(options >> 2 & 1);
  s.option_c = static_cast<int32_t>(options >> 3 & 1);
  s.option_d = static_cast<int32_t>(options >> 4 & 0xF);
  uint32_t clock = row.cell[2].word[1];
  s.clock_high = static_cast<int32_t>(clock >> 8 & 0x3F);
  s.clock_low = static_cast<int32_t>(clock & 0x3F);
  uint32_t vector = row.cell[3].word[1];
  s.vector_high = static_cast<int32_t>(vector >> 8 & 0xF);
  s.vector_low = static_cast<int32_t>(vector & 0xF);
  s.port_value = static_cast<int32_t>(row.cell[4].word[1] & 0xFFFF);
  s.extra_value = static_cast<int32_t>(row.cell[6].word[1] & 0xFFFF);
  s.base_value = static_cast<int32_t>(row.cell[7].word[1]);
  for (int i = 0; i < 4; ++i) s.user_words[i] = static_cast<int32_t>(row.cell[8 + i].word[1]);
}

int write_design_file(void* owner, GridSpan grid, const ViewState* /*view*/, std::FILE* stream, int mode) {
  use_binary_mode(stream);
  const int count = count_program_rows(grid);
  const int interrupt_row = find_interrupt_end_row(grid);
  if (count < 1 || count >= MAX_GRID_ROWS || count > static_cast<int>(grid.size())) {
    show_notice("END が有りません！", "警告", NoticeStyle::OK | NoticeStyle::ICON_WARNING, owner);
    return DESIGN_FILE_BAD;
  }
  LadderRow& end_row = grid[static_cast<size_t>(count - 1)];
  store_settings_in_end_row(g_cpu_settings, end_row);
  if (interrupt_row > 0 && interrupt_row < count)
    for (int i = 0; i < 16; ++i)
      grid[static_cast<size_t>(interrupt_row)].cell[i].word[1] = static_cast<uint32_t>(g_cpu_settings.interrupt_words[i]);

  std::string out;
  out.reserve(64 * 1024);
  if (mode == DESIGN_FILE_STANDALONE) {
    out.append(DESIGN_FILE_HEADER).append(TEXT_LINE_END);
    out.append(file_name_line(".MBS"));
  }

  int number = 0;
  bool has_comments = false;
  for (int r = 0; r < count; ++r) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    row.cell[0].word[0] |= CellFlags::LINK_UP;
    for (const auto& cell : row.cell)
      if (has_any_comment_flag(cell.word[0])) has_comments = true;
    if (!(row.cell[0].word[0] & CellFlags::COMMENT_ROW)) ++number;
    append_program_row(out, row, number);
    if (out.size() >= 60 * 1024 && !flush_buffer(stream, out)) return DESIGN_FILE_BAD;
  }

  // Every special row the grid holds is written, so a save loses none of them.
  const int limit = grid_limit(grid);
  if (mode != DESIGN_FILE_APPENDED_NO_SPECIAL) {
    for (int r = count; r < limit; ++r) {
      const LadderRow& row = grid[static_cast<size_t>(r)];
      if (row.cell[0].word[0] == END_MARK_CELL) break;
      if (is_empty_row(row)) break;
      if (!is_special_row(row)) continue;
      append_special_row(out, row, ++number);
      if (out.size() >= 60 * 1024 && !flush_buffer(stream, out)) return DESIGN_FILE_BAD;
    }
  }

  append_uniform_row(out, END_MARK_CELL, ++number, true);

  if (has_comments) {
    number = 0;
    for (int r = 0; r < count; ++r) {
      const LadderRow& row = grid[static_cast<size_t>(r)];
      if (!(row.cell[0].word[0] & CellFlags::COMMENT_ROW)) ++number;
      append_comment_line(out, row, number);
      if (out.size() >= 60 * 1024 && !flush_buffer(stream, out)) return DESIGN_FILE_BAD;
    }
  }

  append_uniform_row(out, FINAL_ROW_VALUE, number + 1, false);
  if (!flush_buffer(stream, out)) return DESIGN_FILE_BAD;
  return finish_writing(stream) ? DESIGN_FILE_OK : DESIGN_FILE_BAD;
}

int read_design_file(GridSpan grid, std::FILE* stream, int mode, DesignReadInfo& info) {
  info = {};
  use_binary_mode(stream);
  if (mode == DESIGN_FILE_STANDALONE) {
    TextLine line;
    if (read_text_line(stream, ROW_LINE_LIMIT, line) != LineStatus::OK || line.too_long) return DESIGN_FILE_BAD;
    OldDesignLayout old = old_design_layout_of(line.text);
    if (old != OldDesignLayout::NONE) {
      // Older files carry no settings: the loaded settings describe this file, so they are emptied.
      clear_loaded_file_settings();
      if (read_text_line(stream, ROW_LINE_LIMIT, line) != LineStatus::OK) return DESIGN_FILE_BAD;
      std::vector<int> unconverted;
      const int result = read_old_design_rows(grid, stream, old, &info.rows_read, &unconverted);
      report_unconverted_rows(unconverted);
      return result;
    }
    if (!ascii_iequal(line.text, DESIGN_FILE_HEADER)) return DESIGN_FILE_BAD;
    if (read_text_line(stream, ROW_LINE_LIMIT, line) != LineStatus::OK) return DESIGN_FILE_BAD;  // the name line
  }
  // The body is read whole and parsed from memory.
  TextBuffer body;
  read_rest_of_stream(stream, body);
  return read_current_body(grid, body, mode, info);
}

int read_design_file(GridSpan grid, std::FILE* stream, int mode) {
  DesignReadInfo info;
  return read_design_file(grid, stream, mode, info);
}
