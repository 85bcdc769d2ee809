// Undo and redo as whole-document snapshots in a ring of 16: one ring for the grid of the
// main design window, one for the text of the main mnemonic window. Every edit takes a
// snapshot after it has changed the document; undo and redo copy a snapshot back.
//
// 16 slots give at most 15 undo steps: `count` stops at 15 while the ring keeps turning,
// so the 16th push overwrites the oldest snapshot. A push after undos makes the undone
// steps unreachable (redo_limit).
//
// A snapshot is kept in chunks of UNDO_CHUNK_ROWS rows. Chunks that pack to the same bytes
// as the snapshot before are shared with it, so the ring's memory grows with what edits
// change. An edit that names the lines it changed (push_undo_lines) packs only their chunks
// again and shares the rest of the newest snapshot, so typing a character into a long text
// costs no more than packing a few hundred lines.
//
// A design snapshot holds the rows from row 0 through the end-mark row (words 0 and 1 of
// the cells and the cell texts are what is restored; cell words 2 and 3, the selected word
// and the source position stay as the document has them). A mnemonic snapshot holds the
// lines through the end line (statement, comment and flags; the selected flag stays).
// A snapshot is packed: the cell words as they are, each text only up to its last non-zero
// byte (a restore puts the zero bytes back, so the document comes back byte for byte). A
// ring's memory thus follows the length of the program and of its texts.
// A document without its end mark is snapshotted up to its own capacity, and an undo
// never writes past the document it is given, whatever the snapshot's length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/ladder_model.h"

inline constexpr int UNDO_SLOTS = 16;
inline constexpr int MAX_UNDO_STEPS = UNDO_SLOTS - 1;
inline constexpr int UNDO_CHUNK_ROWS = 256;

// One packed snapshot; an empty slot holds no chunks. Chunk k holds the packed rows
// k * chunk_rows onwards (the ring's chunk_rows); a chunk may be shared with other snapshots and is never
// changed while it is.
struct UndoSnapshot {
  int rows = 0;  // rows or lines held
  std::vector<std::shared_ptr<std::vector<unsigned char>>> chunks;
};

template <typename Row>
struct UndoRing {
  int redo_limit = 0;  // the count reached by the last push; redo stops there
  int index = -1;      // slot of the snapshot that matches the document
  int count = -1;      // undo steps available, 0-15; -1 right after a reset
  std::array<UndoSnapshot, UNDO_SLOTS> snapshot;
  int chunk_rows = UNDO_CHUNK_ROWS;  // rows per chunk, 1 to UNDO_CHUNK_ROWS (tests use few)
  // The document the snapshot at `index` was taken of, and the count of writes made to
  // texts other than by named-line edits at that time (g_mnemonic_text_writes): a
  // named-line push trusts the rest of the snapshot only while both still hold.
  const void* document = nullptr;
  size_t document_rows = 0;
  uint64_t writes_seen = 0;
};

using DesignUndoRing = UndoRing<LadderRow>;
using MnemonicUndoRing = UndoRing<MnemonicLine>;

extern DesignUndoRing g_design_undo;
extern MnemonicUndoRing g_mnemonic_undo;

// Reset: no snapshot, count and index -1 (the snapshots of an earlier document are freed);
// redo_limit is kept. A push follows at once.
void reset_design_undo();
void reset_mnemonic_undo();
// Snapshot of the document after an edit. Returns the rows or lines copied.
int push_design_undo(ConstGridSpan grid);
int push_mnemonic_undo(ConstTextSpan text);
// Snapshot of a text after an edit that changed lines first..last and nothing else (it
// moved no line). Shares every other chunk of the newest snapshot; where the ring cannot
// vouch for the rest (other writes since, another document, an undo, the end line in the
// range) it takes a whole snapshot instead. Returns the lines the snapshot holds.
int push_mnemonic_undo_lines(ConstTextSpan text, int first, int last);
// 0, or -1 when there is nothing to undo (or redo); the document is unchanged then.
int undo_design(GridSpan grid);
int undo_mnemonic(TextSpan text);
int redo_design(GridSpan grid);
int redo_mnemonic(TextSpan text);
// Frees every snapshot of the design ring (when the main design window closes).
void release_design_undo();

// The same operations on any ring (the globals use these).
void reset_undo(DesignUndoRing& ring);
void reset_undo(MnemonicUndoRing& ring);
int push_undo(DesignUndoRing& ring, ConstGridSpan grid);
int push_undo(MnemonicUndoRing& ring, ConstTextSpan text);
int push_undo_lines(MnemonicUndoRing& ring, ConstTextSpan text, int first, int last);
int undo(DesignUndoRing& ring, GridSpan grid);
int undo(MnemonicUndoRing& ring, TextSpan text);
int redo(DesignUndoRing& ring, GridSpan grid);
int redo(MnemonicUndoRing& ring, TextSpan text);
void release_undo(DesignUndoRing& ring);

// Bytes the ring's snapshots hold, each shared chunk counted once.
size_t undo_ring_bytes(const DesignUndoRing& ring);
size_t undo_ring_bytes(const MnemonicUndoRing& ring);
