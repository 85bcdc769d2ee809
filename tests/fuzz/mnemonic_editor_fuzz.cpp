// Drives the mnemonic editor with arbitrary typed characters, keys, clicks, drags and
// clipboard texts on a small text, and checks after every step that each statement
// stays in its field with one line feed, that the end line stays within the text, and
// that the caret stays on a text line on a character boundary.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/mnemonic_text.h"
#include "mnemonic/mnemonic_editor.h"

namespace {

constexpr int TEXT_LINES = 24;
const TextMetrics METRICS{16, 8};

void check(ConstTextSpan text, const MnemonicView& view) {
  const int end = count_text_lines(text);
  if (end >= static_cast<int>(text.size()) || !is_end_line(text[static_cast<size_t>(end)])) std::abort();
  for (int i = 0; i <= end; ++i) {
    const MnemonicLine& line = text[static_cast<size_t>(i)];
    const size_t len = strnlen(line.statement, sizeof line.statement);
    if (len == 0 || len >= sizeof line.statement || line.statement[len - 1] != '\n') std::abort();
    if (std::memchr(line.statement, '\n', len) != line.statement + len - 1) std::abort();
  }
  if (view.cursor_row < 0 || view.cursor_row > last_caret_line(text)) std::abort();
  const MnemonicLine& caret_line = text[static_cast<size_t>(view.cursor_row)];
  if (limit_caret_column(caret_line, view.cursor_col) != view.cursor_col) std::abort();
  if (view.top_row < 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MnemonicText text = make_mnemonic_text(TEXT_LINES);
  set_line_statement(text[0], "LD      X00 ; pump");
  set_line_statement(text[1], "OUT     Y00");
  set_line_statement(text[2], "END");
  set_end_line(text[3]);
  MnemonicView view{};
  view.sel_row = -1;
  view.visible_rows = 5;
  view.visible_cols = 20;
  lay_out_text(text, view, METRICS, 160, 80);
  g_line_clipboard = {};
  g_line_clipboard[0][0] = '\r';
  g_mnemonic_drag_enabled = 1;

  size_t i = 0;
  auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
  while (i < size) {
    const uint8_t op = next();
    const uint8_t arg = next();
    std::string clip;
    switch (op % 16) {
      case 0: press_key(text, view, static_cast<MnemonicKey>(arg % 7), (arg & 0x80) != 0); break;
      case 1: type_character(text, view, std::string(1, static_cast<char>(arg))); break;
      case 2: {
        const char pair[2] = {static_cast<char>(arg), static_cast<char>(next())};
        type_character(text, view, std::string_view(pair, 2));
        break;
      }
      case 3: split_line(text, view); break;
      case 4: open_blank_line(text, view); break;
      case 5: click_text(text, view, METRICS, (arg & 0x0F) * 8, (arg >> 4) * 16, false); break;
      case 6: drag_text(text, view, METRICS, (arg >> 3) * 16); break;
      case 7: scroll_text(view, METRICS, static_cast<ScrollRequest>(arg % 8), arg >> 3, 80); break;
      case 8: copy_lines(text, view, clip); break;
      case 9: cut_lines(text, view, clip); break;
      case 10: delete_lines(text, view); break;
      case 11: copy_comment(text, view); break;
      case 12: {
        const size_t n = std::min<size_t>(arg, size - i);
        paste_text(text, view, std::string_view(reinterpret_cast<const char*>(data + i), n));
        i += n;
        break;
      }
      case 13: {
        bool handled = false;
        comment_write_click(text, view, handled);
        break;
      }
      case 14: lay_out_text(text, view, METRICS, arg * 4, (arg & 0x3F) * 4); break;
      default: paint_text(text, view, METRICS, 0, arg * 4); break;
    }
    check(text, view);
  }
  return 0;
}
