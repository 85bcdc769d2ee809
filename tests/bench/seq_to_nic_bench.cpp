// Converts an operation file of a full instruction list (17,999 records and the end
// record) to its mnemonic file. Aim: well under 100 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/notice.h"
#include "core/seq_to_nic.h"

namespace {

std::string make_seq_file() {
  std::string path = (std::filesystem::temp_directory_path() / "seq_to_nic_bench.SEQ").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("seq/mbs-file 3winv.1\r\nBENCH.SEQ\r\n", f);
  // A mix of the forms a compiled program holds: rungs of contacts and a coil, timers,
  // word instructions with constants and digit groups, comparisons and comments.
  const uint32_t pattern[][6] = {
      {0x9001, 0x00000010, 0, 1, 0, 1},          {0x8003, 0x20000123, 0, 1, 0, 0x100001},
      {0x8006, 0x70000ABC, 0, 2, 0, 0x200001},   {0x800F, 0x10000020, 0, 7, 0, 0xB00001},
      {0x208035, 0x40000012, 0x100, 8, 0, 0xA00002}, {0x108051, 0x00001234, 0xD0000010, 0, 0, 0x900003},
      {0x8851, 0x24000000, 0xD0000020, 0, 0, 0x900004}, {0xD001, 0x002000C3, 0xD0000005, 0x99, 0, 5},
      {0x8062, 0xD0000001, 0xD0000002, 0xD0000003, 0, 0x800006}, {0x9020, 3, 0, 0, 0, 0},
  };
  const size_t kinds = sizeof pattern / sizeof pattern[0];
  int line = 1;
  for (int i = 0; i < 17998; ++i, ++line) {
    const uint32_t* w = pattern[static_cast<size_t>(i) % kinds];
    std::fprintf(f, "%05d  %08X %08X %08X %08X %08X %08X \r\n", line, w[0], w[1], w[2], w[3], w[4], w[5]);
  }
  std::fprintf(f, "%05d  %08X %08X %08X %08X %08X %08X \r\n", line++, 0x9010u, 0u, 0u, 0u, 0u, 0xB00000u | 6000u);
  std::fprintf(f, "%05d  0000FFFF 0000FFFF 0000FFFF 0000FFFF 0000FFFF 0000FFFF \r\n", line);
  std::fclose(f);
  return path;
}

void BM_ConvertFullOperationFile(benchmark::State& state) {
  static const std::string path = make_seq_file();
  std::strcpy(g_line_comments[3].data(), "a comment row of the program \nwith two lines ");
  set_notice_handler([](void*, const char*, const char*, unsigned) { return NoticeAnswer::OK; });
  for (auto _ : state) {
    int result = convert_seq_to_nic(nullptr, nullptr, path.c_str(), 0);
    if (result != SEQ_TO_NIC_OK) state.SkipWithError("conversion failed");
  }
}
BENCHMARK(BM_ConvertFullOperationFile)->Unit(benchmark::kMillisecond);

}  // namespace
