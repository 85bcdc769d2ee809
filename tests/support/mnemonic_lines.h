// Mnemonic texts for tests: lines given as strings (each without its line feed) loaded into
// a small MnemonicText ended by the end line, and a text read back as strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ladder_model.h"

// A text of the given lines, the end line after them, and `spare` empty lines after that.
MnemonicText make_text(const std::vector<std::string>& lines, int spare = 2);
// The lines of a printed text ("a\nb\n" gives {"a", "b"}).
std::vector<std::string> split_printed_lines(std::string_view printed);
// The statements of the text before its end line, each without its line feed.
std::vector<std::string> text_statements(ConstTextSpan text);
