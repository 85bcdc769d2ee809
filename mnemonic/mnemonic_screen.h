// State the mnemonic windows share, and the small rules of their document that need no
// window: the settings a mnemonic file's header gives, and the path a "save as" writes to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ladder_model.h"

inline constexpr char NEW_MNEMONIC_TITLE[] = "新規.NIC";
inline constexpr char MNEMONIC_EXTENSION[] = ".NIC";

extern int g_mnemonic_doc_counter;      // number of the next document; view_id = file number << 4
// The file number of a mnemonic document: 0 for the first window's (slot 0), the only one
// with the undo ring, Save and the compile; 1-15 in turn for further documents (`counter`
// is g_mnemonic_doc_counter when the window was made), never 0.
int mnemonic_file_number(int slot, int counter);
extern uint32_t g_mnemonic_repaint_mask;  // bit n: mnemonic window n repaints when next activated
extern int g_mnemonic_line_count;       // line count as last read, saved or compiled
extern int g_text_line_height;          // pixel height of a text line (stock OEM fixed font)
extern int g_text_char_width;           // pixel width of a character

// Copies the fields a mnemonic file's header carries (CPU name, options, clock, port)
// from `loaded` into `active`.
void take_header_settings(CpuSettings& active, const CpuSettings& loaded);

// The path "save as" writes: the chosen path's drive, folder and name with ".NIC",
// whatever extension was typed. Empty when the result does not fit a path buffer.
std::string mnemonic_save_path(std::string_view chosen);
