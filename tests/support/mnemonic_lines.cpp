#include "support/mnemonic_lines.h"

#include "core/mnemonic_text.h"

MnemonicText make_text(const std::vector<std::string>& lines, int spare) {
  MnemonicText text = make_mnemonic_text(static_cast<int>(lines.size()) + 1 + spare);
  for (size_t i = 0; i < lines.size(); ++i) set_line_statement(text[i], lines[i]);
  set_end_line(text[lines.size()]);
  return text;
}

SavedText saved_copy_of(ConstTextSpan text) {
  SavedText saved = make_saved_text(static_cast<int>(text.size()));
  copy_text_to_saved(text, saved, nullptr);
  return saved;
}

std::vector<std::string> split_printed_lines(std::string_view printed) {
  std::vector<std::string> lines;
  while (!printed.empty()) {
    size_t lf = printed.find('\n');
    lines.emplace_back(printed.substr(0, lf));
    if (lf == std::string_view::npos) break;
    printed.remove_prefix(lf + 1);
  }
  return lines;
}

std::vector<std::string> text_statements(ConstTextSpan text) {
  std::vector<std::string> out;
  const int last = count_text_lines(text);
  for (int i = 0; i < last; ++i) {
    std::string_view s = line_statement(text[static_cast<size_t>(i)]);
    size_t lf = s.find('\n');
    out.emplace_back(s.substr(0, lf));
  }
  return out;
}
