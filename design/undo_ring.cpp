#include "design/undo_ring.h"

#include <algorithm>
#include <cstring>

#include "core/mnemonic_text.h"

DesignUndoRing g_design_undo;
MnemonicUndoRing g_mnemonic_undo;

namespace {

// Rows of a snapshot: through the end-mark row, or the whole grid when it has none.
size_t snapshot_rows(ConstGridSpan grid) {
  const int end_mark = find_end_mark_row(grid);
  if (end_mark >= 0 && static_cast<size_t>(end_mark) < grid.size()) return static_cast<size_t>(end_mark) + 1;
  return grid.size();
}
// Lines of a snapshot: through the end line, or the whole text when it has none.
size_t snapshot_rows(ConstTextSpan text) {
  const int end_line = count_text_lines(text);
  if (end_line >= 0 && static_cast<size_t>(end_line) < text.size()) return static_cast<size_t>(end_line) + 1;
  return text.size();
}

// Bytes of a text field up to its last non-zero byte.
// Most fields are empty or short, so whole 64-byte blocks of zeros are skipped first.
size_t used_length(const char* text, size_t size) {
  while (size >= 64) {
    uint64_t words[8];
    std::memcpy(words, text + size - 64, 64);
    uint64_t any = 0;
    for (uint64_t w : words) any |= w;
    if (any != 0) break;
    size -= 64;
  }
  while (size >= 8) {
    uint64_t word;
    std::memcpy(&word, text + size - 8, 8);
    if (word != 0) break;
    size -= 8;
  }
  while (size > 0 && text[size - 1] == 0) --size;
  return size;
}

void put(unsigned char*& out, const void* data, size_t size) {
  std::memcpy(out, data, size);
  out += size;
}
void get(const unsigned char*& in, void* data, size_t size) {
  std::memcpy(data, in, size);
  in += size;
}
// A text field of the snapshot: its used length (16 bits) and those bytes.
void put_text(unsigned char*& out, const char* text, uint16_t used) {
  put(out, &used, sizeof used);
  put(out, text, used);
}
// Fills the field again: the used bytes, then zero to its end.
void get_text(const unsigned char*& in, char* text, size_t size) {
  uint16_t used = 0;
  get(in, &used, sizeof used);
  get(in, text, used);
  std::memset(text + used, 0, size - used);
}

// A design row packs the words 0 and 1 of its 16 cells and its 1600-byte text area.
constexpr size_t ROW_WORDS_BYTES = ROW_CELLS * 2 * sizeof(uint32_t);
struct RowPacking {
  static constexpr int TEXTS = 1;
  static void text_lengths(const LadderRow& row, uint16_t* used) {
    used[0] = static_cast<uint16_t>(used_length(row.row_text(), ROW_TEXT_SIZE));
  }
  static size_t fixed_bytes() { return ROW_WORDS_BYTES; }
  static void pack(unsigned char*& out, const LadderRow& row, const uint16_t* used) {
    for (int c = 0; c < ROW_CELLS; ++c) put(out, row.cell[c].word, 2 * sizeof(uint32_t));
    put_text(out, row.row_text(), used[0]);
  }
  static void unpack(const unsigned char*& in, LadderRow& row) {
    for (int c = 0; c < ROW_CELLS; ++c) get(in, row.cell[c].word, 2 * sizeof(uint32_t));
    get_text(in, row.row_text(), ROW_TEXT_SIZE);
  }
};
// A mnemonic line packs its flags, its statement and its comment.
struct LinePacking {
  static constexpr int TEXTS = 2;
  static void text_lengths(const MnemonicLine& line, uint16_t* used) {
    used[0] = static_cast<uint16_t>(used_length(line.statement, STATEMENT_SIZE));
    used[1] = static_cast<uint16_t>(used_length(line.comment, LINE_TRAIL_SIZE));
  }
  static size_t fixed_bytes() { return sizeof(int32_t); }
  static void pack(unsigned char*& out, const MnemonicLine& line, const uint16_t* used) {
    put(out, &line.flags, sizeof line.flags);
    put_text(out, line.statement, used[0]);
    put_text(out, line.comment, used[1]);
  }
  static void unpack(const unsigned char*& in, MnemonicLine& line) {
    get(in, &line.flags, sizeof line.flags);
    get_text(in, line.statement, STATEMENT_SIZE);
    get_text(in, line.comment, LINE_TRAIL_SIZE);
  }
};
template <typename Row>
struct Packing;
template <>
struct Packing<LadderRow> : RowPacking {};
template <>
struct Packing<MnemonicLine> : LinePacking {};

template <typename Row>
void pack_snapshot(UndoSnapshot& snapshot, std::span<const Row> rows) {
  using P = Packing<Row>;
  std::vector<uint16_t> used(rows.size() * P::TEXTS);
  size_t bytes = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    P::text_lengths(rows[i], &used[i * P::TEXTS]);
    bytes += P::fixed_bytes();
    for (int t = 0; t < P::TEXTS; ++t) bytes += sizeof(uint16_t) + used[i * P::TEXTS + static_cast<size_t>(t)];
  }
  snapshot.rows = static_cast<int>(rows.size());
  // The slot's buffer is used again when it fits (the next snapshot of a document is about
  // as long as the last): a new buffer of this size is fresh memory, and first touching
  // fresh pages costs more than packing the whole text. One far too large is given back.
  if (snapshot.bytes.capacity() > 2 * bytes + 4096) snapshot.bytes = std::vector<unsigned char>();
  snapshot.bytes.resize(bytes);
  unsigned char* out = snapshot.bytes.data();
  for (size_t i = 0; i < rows.size(); ++i) P::pack(out, rows[i], &used[i * P::TEXTS]);
}

// Unpacks the snapshot over the document, no further than either reaches.
template <typename Row>
void unpack_snapshot(const UndoSnapshot& snapshot, std::span<Row> doc) {
  const size_t rows = std::min(static_cast<size_t>(snapshot.rows), doc.size());
  const unsigned char* in = snapshot.bytes.data();
  for (size_t i = 0; i < rows; ++i) Packing<Row>::unpack(in, doc[i]);
}

template <typename Row>
void reset_ring(UndoRing<Row>& ring) {
  ring.count = -1;
  ring.index = -1;
  for (auto& s : ring.snapshot) s = UndoSnapshot{};
}

template <typename Row>
int push_ring(UndoRing<Row>& ring, std::span<const Row> doc) {
  if (ring.count != MAX_UNDO_STEPS) ++ring.count;
  ring.redo_limit = ring.count;
  ring.index = (ring.index + 1) & (UNDO_SLOTS - 1);
  const size_t rows = snapshot_rows(doc);
  // The old snapshot is packed over, so a ring holds no more than its 16 snapshots.
  UndoSnapshot& slot = ring.snapshot[static_cast<size_t>(ring.index)];
  pack_snapshot(slot, doc.first(rows));
  return static_cast<int>(rows);
}

template <typename Row>
int undo_ring(UndoRing<Row>& ring, std::span<Row> doc) {
  // Right after a reset (count -1) there is nothing to go back to either.
  if (ring.count <= 0) return -1;
  const int slot = (ring.index - 1) & (UNDO_SLOTS - 1);
  if (ring.snapshot[static_cast<size_t>(slot)].bytes.empty()) return -1;
  ring.index = slot;
  unpack_snapshot(ring.snapshot[static_cast<size_t>(slot)], doc);
  --ring.count;
  return 0;
}

template <typename Row>
int redo_ring(UndoRing<Row>& ring, std::span<Row> doc) {
  if (ring.count == ring.redo_limit || ring.count < 0) return -1;
  const int slot = (ring.index + 1) & (UNDO_SLOTS - 1);
  if (ring.snapshot[static_cast<size_t>(slot)].bytes.empty()) return -1;
  ring.index = slot;
  unpack_snapshot(ring.snapshot[static_cast<size_t>(slot)], doc);
  if (ring.count != MAX_UNDO_STEPS) ++ring.count;
  return 0;
}

}  // namespace

void reset_undo(DesignUndoRing& ring) { reset_ring(ring); }
void reset_undo(MnemonicUndoRing& ring) { reset_ring(ring); }
int push_undo(DesignUndoRing& ring, ConstGridSpan grid) { return push_ring(ring, grid); }
int push_undo(MnemonicUndoRing& ring, ConstTextSpan text) { return push_ring(ring, text); }
int undo(DesignUndoRing& ring, GridSpan grid) { return undo_ring(ring, grid); }
int undo(MnemonicUndoRing& ring, TextSpan text) { return undo_ring(ring, text); }
int redo(DesignUndoRing& ring, GridSpan grid) { return redo_ring(ring, grid); }
int redo(MnemonicUndoRing& ring, TextSpan text) { return redo_ring(ring, text); }
void release_undo(DesignUndoRing& ring) {
  for (auto& s : ring.snapshot) s = UndoSnapshot{};
}

void reset_design_undo() { reset_undo(g_design_undo); }
void reset_mnemonic_undo() { reset_undo(g_mnemonic_undo); }
int push_design_undo(ConstGridSpan grid) { return push_undo(g_design_undo, grid); }
int push_mnemonic_undo(ConstTextSpan text) { return push_undo(g_mnemonic_undo, text); }
int undo_design(GridSpan grid) { return undo(g_design_undo, grid); }
int undo_mnemonic(TextSpan text) { return undo(g_mnemonic_undo, text); }
int redo_design(GridSpan grid) { return redo(g_design_undo, grid); }
int redo_mnemonic(TextSpan text) { return redo(g_mnemonic_undo, text); }
void release_design_undo() { release_undo(g_design_undo); }
