// Lines of a text read whole into memory: read_text_line on a TextBuffer must give exactly
// the lines, line ends, length flags and statuses that read_text_line gives on the stream
// itself, for every limit, whatever bytes (CRs, 0x1A end bytes, missing last line end)
// the text holds. The readers parse from memory on the strength of this.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the line limit (small limits cut lines short) and how many
  // lines are read from the stream before the rest is taken whole.
  const size_t limit = data[0] & 0x3F;
  const int stream_lines = data[0] >> 6;
  ++data;
  --size;
  std::FILE* stream = size == 0 ? std::tmpfile() : fmemopen(const_cast<uint8_t*>(data), size, "rb");
  std::FILE* whole = size == 0 ? std::tmpfile() : fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!stream || !whole) {
    if (stream) std::fclose(stream);
    if (whole) std::fclose(whole);
    return 0;
  }
  TextLine a, b;
  for (int i = 0; i < stream_lines; ++i) {
    const LineStatus sa = read_text_line(stream, limit, a);
    const LineStatus sb = read_text_line(whole, limit, b);
    if (sa != sb || a.text != b.text) std::abort();
  }
  TextBuffer buffer;
  if (!read_rest_of_stream(whole, buffer)) std::abort();  // a memory stream does not fail
  for (int guard = 0; guard <= static_cast<int>(size) + 2; ++guard) {
    const LineStatus sa = read_text_line(stream, limit, a);
    const LineStatus sb = read_text_line(buffer, limit, b);
    if (sa != sb) std::abort();
    if (sa != LineStatus::OK) break;
    if (a.text != b.text || a.has_line_end != b.has_line_end || a.too_long != b.too_long) std::abort();
    if (a.text.size() > limit) std::abort();
  }
  // After the end, both stay at the end.
  if (read_text_line(stream, limit, a) != read_text_line(buffer, limit, b)) std::abort();
  std::fclose(stream);
  std::fclose(whole);
  return 0;
}
