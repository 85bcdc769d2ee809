#include "core/seq_file.h"

#include <cstring>
#include <span>
#include <string>

#include "core/cell_text.h"
#include "core/design_file.h"
#include "core/sjis.h"
#include "core/text_file.h"

namespace {

constexpr size_t RECORD_LINE_LIMIT = 255;
constexpr uint32_t END_RECORD_CODE = 0x9010;  // word 0 of the END record

void append_record_line(std::string& out, int number, const InstructionRecord& rec) {
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, "%05d  ", number);
  out.append(buf, static_cast<size_t>(n));
  for (uint32_t v : rec.word) {
    append_hex8(out, v);
    out.push_back(' ');
  }
  out.append(TEXT_LINE_END);
}

// A record line: the running number and six words. Anything else is a damaged line.
bool parse_record_line(const std::string& s, InstructionRecord& rec) {
  uint32_t fields[7];
  bool more = false;
  if (parse_hex_words(s, fields, &more) != 7 || more) return false;
  for (int k = 0; k < 6; ++k) rec.word[k] = fields[k + 1];
  return true;
}

void clear_loaded_seq_settings() {
  CpuSettings& s = g_loaded_cpu_settings;
  s.option_a = s.option_b = s.option_c = s.option_d = 0;
  s.port_value = s.clock_high = s.clock_low = s.extra_value = s.base_value = 0;
  std::memset(s.cpu_name, 0, sizeof s.cpu_name);
}

void copy_seq_settings_to_active() {
  const CpuSettings& from = g_loaded_cpu_settings;
  CpuSettings& to = g_cpu_settings;
  to.option_a = from.option_a;
  to.option_b = from.option_b;
  to.option_c = from.option_c;
  to.option_d = from.option_d;
  to.port_value = from.port_value;
  to.clock_high = from.clock_high;
  to.clock_low = from.clock_low;
  to.extra_value = from.extra_value;
  to.base_value = from.base_value;
  std::memcpy(to.cpu_name, from.cpu_name, sizeof to.cpu_name);
}

}  // namespace

int write_seq_file(std::FILE* stream) {
  use_binary_mode(stream);
  std::string out;
  out.reserve(64 * 1024);
  out.append(SEQ_FILE_HEADER).append(TEXT_LINE_END);
  out.append(file_name_line(".SEQ"));
  const size_t limit = g_instruction_list.size() < static_cast<size_t>(MAX_INSTRUCTIONS) ? g_instruction_list.size()
                                                                                          : static_cast<size_t>(MAX_INSTRUCTIONS);
  int number = 0;
  bool ended = false;
  for (size_t i = 0; i < limit && !ended; ++i) {
    const InstructionRecord& rec = g_instruction_list[i];
    if (is_empty_record(rec)) continue;
    append_record_line(out, ++number, rec);
    ended = is_end_record(rec);
    if (out.size() >= 60 * 1024) {
      if (!write_text(stream, out)) return -1;
      out.clear();
    }
  }
  // A list that fills its block without an end record still ends in the file.
  if (!ended) append_record_line(out, ++number, end_record());
  if (!write_text(stream, out)) return -1;
  return finish_writing(stream) ? 0 : -1;
}

int read_seq_file(GridSpan grid, ListSpan list, std::FILE* stream, bool with_design) {
  const size_t capacity = list.size() < static_cast<size_t>(MAX_INSTRUCTIONS) ? list.size()
                                                                                : static_cast<size_t>(MAX_INSTRUCTIONS);
  if (capacity == 0) return SEQ_FILE_BAD;
  use_binary_mode(stream);
  // Whatever happens, the list is a list afterwards: until records are read it is empty.
  list[0] = end_record();
  TextLine line;
  if (read_text_line(stream, RECORD_LINE_LIMIT, line) != LineStatus::OK || line.too_long) return SEQ_FILE_BAD;
  if (!ascii_iequal(line.text, SEQ_FILE_HEADER) && !ascii_iequal(line.text, SEQ_FILE_OLD_HEADER)) return SEQ_FILE_BAD;
  if (read_text_line(stream, RECORD_LINE_LIMIT, line) != LineStatus::OK) return SEQ_FILE_BAD;  // the name line
  bool end_seen = false;
  bool terminated = false;
  size_t i = 0;
  for (;;) {
    LineStatus st = read_text_line(stream, RECORD_LINE_LIMIT, line);
    if (st != LineStatus::OK) break;  // a stream error, or the file ends before its end record
    InstructionRecord rec;
    if (line.too_long || !parse_record_line(line.text, rec)) break;
    // The last slot is kept for the end record: a longer list does not fit.
    if (i + 1 >= capacity && !is_end_record(rec)) break;
    list[i] = rec;
    if (rec.word[0] == END_RECORD_CODE) {
      g_end_record_index = static_cast<int>(i);
      end_seen = true;
    }
    if (is_end_record(rec)) {
      terminated = true;
      break;
    }
    ++i;
  }
  if (!terminated) {
    list[i] = end_record();  // what was read stays in the list, ended as every list is
    return SEQ_FILE_BAD;
  }
  if (!end_seen) return SEQ_FILE_BAD;
  if (!with_design) return SEQ_FILE_OK;

  clear_loaded_seq_settings();
  DesignReadInfo info;
  int result = read_design_file(grid, stream, DESIGN_FILE_APPENDED, info);
  if (result == DESIGN_FILE_EMPTY) return SEQ_FILE_NO_DESIGN;
  if (result != DESIGN_FILE_OK) return SEQ_FILE_BAD;
  if (info.rows_read == 0) {
    // No design text follows the records: the grid holds an empty design.
    if (!grid.empty()) {
      std::memset(&grid[0], 0, sizeof grid[0]);
      make_end_mark_row(grid[0]);
    }
    return SEQ_FILE_NO_DESIGN;
  }
  if (info.end_row_read) copy_seq_settings_to_active();
  format_special_row_devices(grid);
  return SEQ_FILE_OK;
}
