// Undo and redo as whole-document snapshots in a ring of 16: one ring for the grid of the
// main design window, one for the text of the main mnemonic window. Every edit takes a
// snapshot after it has changed the document; undo and redo copy a snapshot back.
//
// 16 slots give at most 15 undo steps: `count` stops at 15 while the ring keeps turning,
// so the 16th push overwrites the oldest snapshot. A push after undos makes the undone
// steps unreachable (redo_limit).
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
#include <vector>

#include "core/ladder_model.h"

inline constexpr int UNDO_SLOTS = 16;
inline constexpr int MAX_UNDO_STEPS = UNDO_SLOTS - 1;

// One packed snapshot; an empty slot holds no bytes.
struct UndoSnapshot {
  int rows = 0;                      // rows or lines held
  std::vector<unsigned char> bytes;  // their packed contents
};

template <typename Row>
struct UndoRing {
  int redo_limit = 0;  // the count reached by the last push; redo stops there
  int index = -1;      // slot of the snapshot that matches the document
  int count = -1;      // undo steps available, 0-15; -1 right after a reset
  std::array<UndoSnapshot, UNDO_SLOTS> snapshot;
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
int undo(DesignUndoRing& ring, GridSpan grid);
int undo(MnemonicUndoRing& ring, TextSpan text);
int redo(DesignUndoRing& ring, GridSpan grid);
int redo(MnemonicUndoRing& ring, TextSpan text);
void release_undo(DesignUndoRing& ring);

// Bytes the ring's snapshots hold.
template <typename Row>
size_t undo_ring_bytes(const UndoRing<Row>& ring) {
  size_t bytes = 0;
  for (const auto& s : ring.snapshot) bytes += s.bytes.capacity();
  return bytes;
}
