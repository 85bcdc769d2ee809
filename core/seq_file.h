// The operation file (.SEQ): the compiled instruction list, one text line per record,
// followed by the design text of the same program (design_file.h, mode 1 or 4), so that
// the ladder can be rebuilt from the operation file alone.
//
//   "seq/mbs-file 3winv.1"
//   the project name + ".SEQ"
//   "%05d  " running number from 1, then the six words as "%08X ", per non-empty record,
//     the end record (six 0000FFFF) last
//   the design text
//
// Columns of a record line (0-based): 0-4 running number, 7-14 word 0, 16-23 word 1,
// 25-32 word 2, 34-41 word 3, 43-50 word 4, 52-59 word 5, each followed by a blank.
// The stream is used in binary mode whichever mode it was opened in; lines end in CR LF
// on disk.
#pragma once

#include <cstdio>

#include "core/ladder_model.h"

inline constexpr const char SEQ_FILE_HEADER[] = "seq/mbs-file 3winv.1";
inline constexpr const char SEQ_FILE_OLD_HEADER[] = "seq-file 3winv.1";  // read, never written

inline constexpr int SEQ_FILE_OK = 0;
inline constexpr int SEQ_FILE_BAD = -1;        // unknown header, damaged or truncated, no END record
inline constexpr int SEQ_FILE_NO_DESIGN = -2;  // the records are read; the design part is empty

// Writes the header lines and the records of g_instruction_list (empty records left out,
// up to and including the end record; a list without one is ended by one in the file).
// The caller then appends the design text with write_design_file (mode 1 or 4).
// Returns 0, or -1 when a write failed.
int write_seq_file(std::FILE* stream);

// Reads the records into `list` (the last slot is kept for the end record, and the list
// is always ended by one) and sets g_end_record_index to the END record's index. With
// `with_design` it then reads the design text into `grid` (zero-filled by the caller);
// when that holds an END row its target settings become the active settings (name,
// options, clock, port, extra and base values), and the special-row device lists are
// rebuilt. Returns SEQ_FILE_OK; SEQ_FILE_BAD for a wrong header, a damaged, truncated or
// over-long record part, no END record, or a damaged design text; SEQ_FILE_NO_DESIGN when
// the design text is empty (it starts with the end mark, or there is none: the grid then
// holds just the end-mark row).
int read_seq_file(GridSpan grid, ListSpan list, std::FILE* stream, bool with_design);
