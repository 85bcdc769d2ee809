// Mnemonic texts for tests: lines given as strings (each without its line feed) loaded into
// a small MnemonicText ended by the end line, its saved copy, a text read back as strings, and records
// printed as the operation-file-to-mnemonic conversion prints them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ladder_model.h"
#include "core/seq_to_nic.h"
#include "core/sjis.h"

// A text of the given lines, the end line after them, and `spare` empty lines after that.
MnemonicText make_text(const std::vector<std::string>& lines, int spare = 2);
// A saved copy of the text's size holding its statements through the end line.
SavedText saved_copy_of(ConstTextSpan text);
// The lines of a printed text ("a\nb\n" gives {"a", "b"}).
std::vector<std::string> split_printed_lines(std::string_view printed);
// The statements of the text before its end line, each without its line feed.
std::vector<std::string> text_statements(ConstTextSpan text);

// The mnemonic lines of the records up to the end record, comment records taking their
// texts from g_line_comments (inline, so that the fuzz targets can use it too).
inline std::string print_mnemonic_records(ConstListSpan records) {
  std::vector<std::string_view> comments;
  for (const auto& entry : g_line_comments) comments.push_back(fixed_text(entry));
  std::string out;
  for (const InstructionRecord& r : records) {
    if (is_end_record(r)) break;
    append_record_mnemonic(r, comments, out);
  }
  return out;
}
