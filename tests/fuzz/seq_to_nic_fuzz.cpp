// Feeds arbitrary bytes to the operation-file-to-mnemonic conversion as an operation
// file, and the same bytes as records to the printers; checks that the mnemonic file it
// writes reads back and that every line fits a statement field.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "core/seq_to_nic.h"

namespace {
std::string work_path(const char* name) {
  static const std::string dir = [] {
    std::string d = "/tmp/seq_to_nic_fuzz_" + std::to_string(getpid());
    std::string cmd = "mkdir -p " + d;
    if (std::system(cmd.c_str()) != 0) std::abort();
    return d;
  }();
  return dir + "/" + name;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The printers on records made of the input bytes.
  std::vector<std::string_view> texts = {"a \nb", std::string_view("\x95\x5C\n;", 4)};
  for (size_t at = 0; at + sizeof(InstructionRecord) <= size; at += sizeof(InstructionRecord)) {
    InstructionRecord r;
    std::memcpy(&r, data + at, sizeof r);
    std::string out;
    append_record_mnemonic(r, texts, out);
    if (out.empty() || out.back() != '\n') std::abort();
  }

  // The whole conversion on the bytes as an operation file.
  static const std::string seq = work_path("F.SEQ"), nic = work_path("F.NIC");
  std::FILE* f = std::fopen(seq.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  std::remove(nic.c_str());
  set_notice_handler([](void*, const char*, const char*, unsigned) { return NoticeAnswer::OK; });
  int result = convert_seq_to_nic(nullptr, nullptr, seq.c_str(), 0);
  if (result == SEQ_TO_NIC_NO_SEQ) {
    if (std::FILE* none = std::fopen(nic.c_str(), "rb")) std::abort();  // nothing written
    return 0;
  }
  if (result != SEQ_TO_NIC_OK && result != SEQ_TO_NIC_TOO_LONG) std::abort();
  std::FILE* in = std::fopen(nic.c_str(), "rb");
  if (!in) std::abort();
  std::string line;
  int c;
  while ((c = std::getc(in)) != EOF) {
    if (c == '\n') {
      if (line.size() > MAX_STATEMENT_CHARS + 1 || line.empty() || line.back() != '\r') std::abort();
      line.clear();
    } else {
      line.push_back(static_cast<char>(c));
    }
  }
  if (!line.empty()) std::abort();  // every line ends with CR LF
  std::rewind(in);
  static MnemonicText text = make_mnemonic_text(MAX_TEXT_LINES);
  int count = 0;
  // A program that prints more lines than a text holds is reported by both sides.
  if (read_nic_file(text, in, &count) != (result == SEQ_TO_NIC_OK ? NIC_READ_OK : NIC_READ_TOO_LONG)) std::abort();
  std::fclose(in);
  return 0;
}
