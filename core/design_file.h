// The design file (.MBS): a ladder grid as text.
//
//   header (stand-alone files only): "mbs-file 3winv.1" and the project name + ".MBS"
//   one line per program row, row 0 through the END row: the row number, the 16 words 0
//     as run-length groups, the separator group, the 16 words 1 as run-length groups
//   the special rows after the END row (lists of initially-on devices, interlock groups,
//     initial values)
//   the end-mark row
//   the comment section (only when some program row has a comment)
//   the final row of 0xF0F0F0F0 groups, without a line end
//
// The same text without the header follows the records of an operation file (.SEQ).
// The target settings travel in word 1 of the END row's cells (and the interrupt words
// in the interrupt-end row). The stream is used in binary mode whichever mode it was
// opened in; lines end in CR LF on disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/ladder_model.h"

struct ViewState;

// Modes of write_design_file and read_design_file.
inline constexpr int DESIGN_FILE_STANDALONE = 0;  // with the header lines
inline constexpr int DESIGN_FILE_APPENDED = 1;    // without header, after the records of an operation file
inline constexpr int DESIGN_FILE_APPENDED_NO_SPECIAL = 4;  // as 1, without the special rows (mnemonic compile)

// Results of read_design_file (write_design_file returns 0 or DESIGN_FILE_BAD).
inline constexpr int DESIGN_FILE_OK = 0;
inline constexpr int DESIGN_FILE_BAD = 1;     // cannot be read (unknown header, damaged, truncated, stream error)
inline constexpr int DESIGN_FILE_EMPTY = -2;  // the first row is the end mark
inline constexpr int DESIGN_FILE_TOO_LONG = 2;  // more rows than the grid holds (nothing past it is written)

inline constexpr const char DESIGN_FILE_HEADER[] = "mbs-file 3winv.1";

// The name of the current project (without folder and extension) that the writers put
// in the second line of design and operation files. The shell keeps the current project
// (g_project_name) and points this at it; until then the line holds the extension alone.
// At most PROJECT_NAME_SIZE bytes of it are used.
inline constexpr int PROJECT_NAME_SIZE = 260;
extern const char* g_file_project_name;
// The name line of a design or operation file: the project name and `extension`.
std::string file_name_line(const char* extension);

// Writes the grid in the given mode. Cell 0 of every row from row 0 through the END row
// gains the link bit, and the END row and the interrupt-end row receive the settings of
// g_cpu_settings, in the grid itself. Without an END row it shows "END が有りません！"
// (caption "警告") and writes nothing. Returns 0, or 1 when the grid has no END row or
// a write failed (the stream then holds a partial file). The view state is not used.
int write_design_file(void* owner, GridSpan grid, const ViewState* view, std::FILE* stream, int mode);

// Reads a design into the grid (which the caller has zero-filled) and its settings into
// g_loaded_cpu_settings. Mode 0 reads a stand-alone file, in the current layout or one of
// the older ones; mode 1 the design text that follows the records of an operation file.
// Returns DESIGN_FILE_OK, DESIGN_FILE_BAD, DESIGN_FILE_EMPTY or DESIGN_FILE_TOO_LONG. Never
// writes past the grid.
int read_design_file(GridSpan grid, std::FILE* stream, int mode);

// What a read found besides its result (for the operation-file reader).
struct DesignReadInfo {
  int rows_read = 0;           // rows stored in the grid, the end mark included
  bool end_row_read = false;   // an END row was read, so the loaded settings were filled
};
int read_design_file(GridSpan grid, std::FILE* stream, int mode, DesignReadInfo& info);

// Settings packing of the END row (also used by the tests).
void store_settings_in_end_row(const CpuSettings& settings, LadderRow& end_row);
void load_settings_from_end_row(const LadderRow& end_row, CpuSettings& settings);
