// Feeds arbitrary text to the mnemonic parser, draws what it parsed as a ladder, and runs
// the device-comment movers on both sides. Checks that the results stay in their ranges,
// that nothing is written past the small list, table, text and grid used here (the
// sanitizers see it), and that the parse is stable: the program printed from a parsed
// list parses to a list that prints the same.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/device_comments.h"
#include "core/ladder_builder.h"
#include "core/mnemonic_parser.h"
#include "core/mnemonic_text.h"
#include "core/seq_to_nic.h"
#include "core/sjis.h"
#include "support/mnemonic_lines.h"

namespace {

constexpr size_t MAX_LINES = 96;

// Loads lines (split at line feeds) into a text of exactly lines + 1 records.
MnemonicText load(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty() && lines.size() < MAX_LINES) {
    size_t lf = bytes.find('\n');
    lines.push_back(bytes.substr(0, lf));
    if (lf == std::string_view::npos) break;
    bytes.remove_prefix(lf + 1);
  }
  MnemonicText text = make_mnemonic_text(static_cast<int>(lines.size()) + 1);
  for (size_t i = 0; i < lines.size(); ++i) set_line_statement(text[i], lines[i]);
  set_end_line(text[lines.size()]);
  return text;
}

void check_text(ConstTextSpan text) {
  for (const MnemonicLine& line : text) {
    const size_t n = strnlen(line.statement, sizeof line.statement);
    if (n >= sizeof line.statement) std::abort();
    if (strnlen(line.comment, sizeof line.comment) >= sizeof line.comment) std::abort();
  }
}

void check_table(ConstCommentSpan table) {
  if (table.empty()) return;
  bool ended = false;
  for (const DeviceComment& c : table) {
    if (static_cast<uint32_t>(c.key) == COMMENT_TABLE_END_KEY) {
      ended = true;
      break;
    }
    if (strnlen(c.text, sizeof c.text) >= sizeof c.text) std::abort();
  }
  if (!ended) std::abort();
}

// Draws the parsed list into a grid of a few rows and moves the comments over it.
void draw(ListSpan list, ConstCommentSpan text_table) {
  LadderGrid grid = make_ladder_grid(48);
  const int result = build_ladder_from_instructions(grid, list);
  if (result != BUILD_OK) {
    if (result < BUILD_ERROR_BASE || build_error_position(result) > static_cast<int>(list.size()) ||
        build_error_position(result) == 0)
      std::abort();
    return;
  }
  apply_comment_table(grid, text_table);
  DeviceCommentTable grid_table = make_device_comment_table(comment_table_size_for_rows(8));
  collect_comment_table(grid_table, grid);
  check_table(grid_table);
  apply_comment_table(grid, grid_table);
}

// The parse of a text; the records before the end record when it parsed.
int parse(MnemonicText& text, std::vector<InstructionRecord>& records) {
  DeviceCommentTable table = make_device_comment_table(static_cast<int>(text.size()) / 2 + 1);
  InstructionList list(text.size() + 1);
  const int result = parse_mnemonic_text(nullptr, table, text, list, nullptr, 0);
  if (result != PARSE_OK && result != PARSE_ERRORS && result != PARSE_NOTHING) std::abort();
  if ((result == PARSE_ERRORS) != (g_conversion_error_count > 0)) std::abort();
  for (int i = 0; i < g_conversion_error_count; ++i) {
    const ConversionError w = g_conversion_errors[static_cast<size_t>(i)];
    if (parse_error_kind(w) >= ParseError::KIND_COUNT) std::abort();
    if (parse_error_line(w) >= text.size() && !parse_error_line_clamped(w)) std::abort();
    char shown[160];
    format_parse_error(w, shown);
  }
  check_text(text);
  check_table(table);
  records.clear();
  if (result == PARSE_OK) {
    size_t i = 0;
    while (i < list.size() && !is_end_record(list[i])) records.push_back(list[i++]);
    if (i == list.size()) std::abort();  // the end record is always written
    InstructionList drawn(list.begin(), list.begin() + static_cast<long>(i) + 1);
    draw(drawn, table);
  }
  // The movers of the text side on what the parse left.
  annotate_text_with_comments(table, text);
  check_text(text);
  return result;
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  MnemonicText text = load(bytes);
  std::vector<InstructionRecord> records;
  if (parse(text, records) != PARSE_OK) return 0;

  const std::string printed = print_mnemonic_records(records);
  MnemonicText again = load(printed);
  std::vector<InstructionRecord> reparsed;
  // A text of more lines than this harness loads is not compared.
  if (std::count(printed.begin(), printed.end(), '\n') >= static_cast<long>(MAX_LINES)) return 0;
  if (parse(again, reparsed) != PARSE_OK) std::abort();
  if (print_mnemonic_records(reparsed) != printed) std::abort();
  return 0;
}
