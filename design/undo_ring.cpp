#include "design/undo_ring.h"

#include <algorithm>
#include <cstring>
#include <set>

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

using Chunk = std::vector<unsigned char>;

// Packs rows into a chunk, using the chunk's buffer again when nothing else holds it: a
// fresh buffer is fresh memory, and first touching fresh pages costs more than packing.
template <typename Row>
std::shared_ptr<Chunk> pack_chunk(std::shared_ptr<Chunk> spare, std::span<const Row> rows) {
  using P = Packing<Row>;
  uint16_t used[UNDO_CHUNK_ROWS * P::TEXTS];
  size_t bytes = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    P::text_lengths(rows[i], &used[i * P::TEXTS]);
    bytes += P::fixed_bytes();
    for (int t = 0; t < P::TEXTS; ++t) bytes += sizeof(uint16_t) + used[i * P::TEXTS + static_cast<size_t>(t)];
  }
  if (spare == nullptr || spare.use_count() != 1) spare = std::make_shared<Chunk>();
  spare->resize(bytes);
  unsigned char* out = spare->data();
  for (size_t i = 0; i < rows.size(); ++i) P::pack(out, rows[i], &used[i * P::TEXTS]);
  return spare;
}

// Rows per chunk of a ring.
template <typename Row>
size_t rows_per_chunk(const UndoRing<Row>& ring) {
  return static_cast<size_t>(std::clamp(ring.chunk_rows, 1, UNDO_CHUNK_ROWS));
}
size_t chunk_count(size_t rows, size_t per_chunk) { return (rows + per_chunk - 1) / per_chunk; }

// The rows of chunk k of a snapshot of `rows` rows.
template <typename Row>
std::span<const Row> rows_of_chunk(std::span<const Row> doc, size_t k, size_t rows, size_t per_chunk) {
  const size_t first = k * per_chunk;
  return doc.subspan(first, std::min(per_chunk, rows - first));
}

// Packs chunk k of the document into `slot`, sharing the chunk of `before` (the newest
// snapshot) instead when it packs to the same bytes.
template <typename Row>
void pack_into(UndoSnapshot& slot, std::vector<std::shared_ptr<Chunk>>& spares, const UndoSnapshot& before,
               std::span<const Row> doc, size_t k, size_t per_chunk) {
  std::shared_ptr<Chunk> spare;
  if (k < spares.size()) spare = std::move(spares[k]);
  std::shared_ptr<Chunk> chunk =
      pack_chunk(std::move(spare), rows_of_chunk(doc, k, static_cast<size_t>(slot.rows), per_chunk));
  if (k < before.chunks.size() && before.chunks[k] != nullptr && *before.chunks[k] == *chunk) chunk = before.chunks[k];
  slot.chunks[k] = std::move(chunk);
}

// Packs the whole document into `slot`; `before` is the snapshot it follows.
template <typename Row>
void pack_snapshot(UndoSnapshot& slot, const UndoSnapshot& before, std::span<const Row> doc, size_t per_chunk) {
  std::vector<std::shared_ptr<Chunk>> spares = std::move(slot.chunks);
  slot.rows = static_cast<int>(doc.size());
  slot.chunks.assign(chunk_count(doc.size(), per_chunk), nullptr);
  for (size_t k = 0; k < slot.chunks.size(); ++k) pack_into(slot, spares, before, doc, k, per_chunk);
}

// Unpacks the snapshot over the document, no further than either reaches.
template <typename Row>
void unpack_snapshot(const UndoSnapshot& snapshot, std::span<Row> doc, size_t per_chunk) {
  const size_t rows = std::min(static_cast<size_t>(snapshot.rows), doc.size());
  for (size_t k = 0; k < snapshot.chunks.size() && k * per_chunk < rows; ++k) {
    const unsigned char* in = snapshot.chunks[k]->data();
    const size_t last = std::min(rows, (k + 1) * per_chunk);
    for (size_t i = k * per_chunk; i < last; ++i) Packing<Row>::unpack(in, doc[i]);
  }
}

bool holds_snapshot(const UndoSnapshot& s) { return !s.chunks.empty(); }

template <typename Row>
void forget_document(UndoRing<Row>& ring) {
  ring.document = nullptr;
  ring.document_rows = 0;
}

template <typename Row>
void reset_ring(UndoRing<Row>& ring) {
  ring.count = -1;
  ring.index = -1;
  for (auto& s : ring.snapshot) s = UndoSnapshot{};
  forget_document(ring);
}

// Moves the ring on to the slot the next snapshot goes into and returns it.
template <typename Row>
UndoSnapshot& next_slot(UndoRing<Row>& ring) {
  if (ring.count != MAX_UNDO_STEPS) ++ring.count;
  ring.redo_limit = ring.count;
  ring.index = (ring.index + 1) & (UNDO_SLOTS - 1);
  return ring.snapshot[static_cast<size_t>(ring.index)];
}

template <typename Row>
void remember_document(UndoRing<Row>& ring, std::span<const Row> doc) {
  ring.document = doc.data();
  ring.document_rows = doc.size();
  ring.writes_seen = g_mnemonic_text_writes;
}

template <typename Row>
int push_ring(UndoRing<Row>& ring, std::span<const Row> doc) {
  // The snapshot the document was in before this edit, when there is one.
  static const UndoSnapshot none;
  const UndoSnapshot& before = ring.index >= 0 ? ring.snapshot[static_cast<size_t>(ring.index)] : none;
  // The old snapshot of the next slot is packed over, so a ring holds no more than its 16.
  UndoSnapshot& slot = next_slot(ring);
  const size_t rows = snapshot_rows(doc);
  pack_snapshot(slot, before, doc.first(rows), rows_per_chunk(ring));
  remember_document(ring, doc);
  return static_cast<int>(rows);
}

int push_lines_ring(MnemonicUndoRing& ring, ConstTextSpan text, int first, int last) {
  // The newest snapshot stands for the text but for these lines only when it was taken of
  // this text, nothing else has written to a text since and no undo or redo came between.
  const bool trusted = ring.count >= 0 && ring.index >= 0 && ring.document == text.data() &&
                       ring.document_rows == text.size() && ring.writes_seen == g_mnemonic_text_writes;
  if (!trusted) return push_ring(ring, text);
  const UndoSnapshot& before = ring.snapshot[static_cast<size_t>(ring.index)];
  const int rows = before.rows;
  // The edit moved no line: the end line is where it was and outside the range.
  if (!holds_snapshot(before) || first < 0 || first > last || last >= rows - 1 ||
      static_cast<size_t>(rows) > text.size() || !is_end_line(text[static_cast<size_t>(rows) - 1]))
    return push_ring(ring, text);
  UndoSnapshot& slot = next_slot(ring);  // never the slot of `before`
  std::vector<std::shared_ptr<Chunk>> spares = std::move(slot.chunks);
  slot.rows = rows;
  slot.chunks = before.chunks;
  const size_t per_chunk = rows_per_chunk(ring);
  for (size_t k = static_cast<size_t>(first) / per_chunk; k <= static_cast<size_t>(last) / per_chunk; ++k)
    pack_into(slot, spares, before, text, k, per_chunk);
  remember_document(ring, text);
  return rows;
}

template <typename Row>
int undo_ring(UndoRing<Row>& ring, std::span<Row> doc) {
  // Right after a reset (count -1) there is nothing to go back to either.
  if (ring.count <= 0) return -1;
  const int slot = (ring.index - 1) & (UNDO_SLOTS - 1);
  if (!holds_snapshot(ring.snapshot[static_cast<size_t>(slot)])) return -1;
  ring.index = slot;
  unpack_snapshot(ring.snapshot[static_cast<size_t>(slot)], doc, rows_per_chunk(ring));
  --ring.count;
  forget_document(ring);
  return 0;
}

template <typename Row>
int redo_ring(UndoRing<Row>& ring, std::span<Row> doc) {
  if (ring.count == ring.redo_limit || ring.count < 0) return -1;
  const int slot = (ring.index + 1) & (UNDO_SLOTS - 1);
  if (!holds_snapshot(ring.snapshot[static_cast<size_t>(slot)])) return -1;
  ring.index = slot;
  unpack_snapshot(ring.snapshot[static_cast<size_t>(slot)], doc, rows_per_chunk(ring));
  if (ring.count != MAX_UNDO_STEPS) ++ring.count;
  forget_document(ring);
  return 0;
}

template <typename Row>
size_t ring_bytes(const UndoRing<Row>& ring) {
  std::set<const Chunk*> counted;
  size_t bytes = 0;
  for (const auto& s : ring.snapshot)
    for (const auto& chunk : s.chunks)
      if (chunk != nullptr && counted.insert(chunk.get()).second) bytes += chunk->capacity();
  return bytes;
}

}  // namespace

void reset_undo(DesignUndoRing& ring) { reset_ring(ring); }
void reset_undo(MnemonicUndoRing& ring) { reset_ring(ring); }
int push_undo(DesignUndoRing& ring, ConstGridSpan grid) { return push_ring(ring, grid); }
int push_undo(MnemonicUndoRing& ring, ConstTextSpan text) { return push_ring(ring, text); }
int push_undo_lines(MnemonicUndoRing& ring, ConstTextSpan text, int first, int last) {
  return push_lines_ring(ring, text, first, last);
}
int undo(DesignUndoRing& ring, GridSpan grid) { return undo_ring(ring, grid); }
int undo(MnemonicUndoRing& ring, TextSpan text) { return undo_ring(ring, text); }
int redo(DesignUndoRing& ring, GridSpan grid) { return redo_ring(ring, grid); }
int redo(MnemonicUndoRing& ring, TextSpan text) { return redo_ring(ring, text); }
void release_undo(DesignUndoRing& ring) {
  for (auto& s : ring.snapshot) s = UndoSnapshot{};
  forget_document(ring);
}
size_t undo_ring_bytes(const DesignUndoRing& ring) { return ring_bytes(ring); }
size_t undo_ring_bytes(const MnemonicUndoRing& ring) { return ring_bytes(ring); }

void reset_design_undo() { reset_undo(g_design_undo); }
void reset_mnemonic_undo() { reset_undo(g_mnemonic_undo); }
int push_design_undo(ConstGridSpan grid) { return push_undo(g_design_undo, grid); }
int push_mnemonic_undo(ConstTextSpan text) { return push_undo(g_mnemonic_undo, text); }
int push_mnemonic_undo_lines(ConstTextSpan text, int first, int last) {
  return push_undo_lines(g_mnemonic_undo, text, first, last);
}
int undo_design(GridSpan grid) { return undo(g_design_undo, grid); }
int undo_mnemonic(TextSpan text) { return undo(g_mnemonic_undo, text); }
int redo_design(GridSpan grid) { return redo(g_design_undo, grid); }
int redo_mnemonic(TextSpan text) { return redo(g_mnemonic_undo, text); }
void release_design_undo() { release_undo(g_design_undo); }
