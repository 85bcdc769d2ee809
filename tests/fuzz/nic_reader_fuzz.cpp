// Feeds arbitrary bytes to the mnemonic-file reader and the line operations that follow
// it on screen and in the conversions; checks that every stored line stays in its field.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/mnemonic_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MnemonicText text = make_mnemonic_text(64);
  static SavedText saved = make_saved_text(64);
  std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!in) return 0;
  int count = -1;
  int result = read_nic_file(text, in, &count);
  std::fclose(in);
  // A file longer than the text is reported; the text holds its first lines and the end
  // line either way.
  if ((result != 0 && result != NIC_READ_TOO_LONG) || count < 0 || count >= static_cast<int>(text.size()))
    std::abort();
  for (int i = 0; i <= count; ++i) {
    const MnemonicLine& line = text[static_cast<size_t>(i)];
    size_t len = strnlen(line.statement, sizeof line.statement);
    if (len == 0 || len >= sizeof line.statement || line.statement[len - 1] != '\n') std::abort();
    if (std::memchr(line.statement, '\n', len) != line.statement + len - 1) std::abort();
    std::string comment, code;
    split_code_and_comment(line, comment, code);
    if (code.size() > STATEMENT_SIZE - 1 || comment.size() > len) std::abort();
    std::string_view words[4];
    split_line_words(line, words);
  }
  if (!is_end_line(text[static_cast<size_t>(count)])) std::abort();
  if (count_text_lines(text) != count) std::abort();
  find_end_line(text);
  int saved_count = -1;
  copy_text_to_saved(text, saved, &saved_count);
  if (saved_count != count || text_differs_from_saved(text, saved) != 0) std::abort();

  // What the writer writes reads back to the same statements.
  char* buffer = nullptr;
  size_t buffer_size = 0;
  std::FILE* out = open_memstream(&buffer, &buffer_size);
  if (!out) return 0;
  if (write_nic_text(text, out, 0) != 0) std::abort();
  std::fclose(out);
  std::FILE* again = fmemopen(buffer, buffer_size, "rb");
  static MnemonicText back = make_mnemonic_text(64);
  int back_count = -1;
  if (again && read_nic_file(back, again, &back_count) == 0) {
    if (back_count != count || text_differs_from_saved(back, saved) != 0) std::abort();
  }
  if (again) std::fclose(again);
  std::free(buffer);
  return 0;
}
