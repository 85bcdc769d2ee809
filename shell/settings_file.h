// The settings kept in file.ini and the list of recent design files.
//
// file.ini is a text file of CP932 lines ending in CR LF:
//   iDirectory <project path>
//   [SETUF] <guide 0-3> <option bits, hex> <face word> <three numbers> <left> <top> <width> <height>
//   [RS232C] <COM number, hex>
//   [ROMWRT] <ROM-writer path>
//   <recent design file>        (up to 20 lines, newest first)
//
// The reader works on the bytes of the file and the writer produces bytes, so the
// program and the native tests see the same text; opening, truncating and writing the
// file is the platform's side (shell/settings_win.cpp).
//
// Paths are taken from the rest of their line, so a path with blanks comes back whole.
// A path longer than its buffer is refused (left out), never cut.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/command_ids.h"
#include "shell/path_parts.h"

inline constexpr int RECENT_FILE_MAX = 20;      // paths in the list
inline constexpr int RECENT_ENTRY_BYTES = 256;  // one entry with its NUL
inline constexpr std::string_view RECENT_LIST_END = "QQ";
inline constexpr int GUIDE_FLAG_COUNT = 4;
inline constexpr int FONT_NAME_BYTES = 32;
inline constexpr int OPTION_BITS_MASK = 0x3F;
inline constexpr int DEFAULT_OPTION_BITS = 0x11;
inline constexpr int MAX_COM_NUMBER = 15;

// Option bits.
namespace OptionBit {
inline constexpr int32_t WHITE_DESIGN_BACKGROUND = 0x01;
inline constexpr int32_t KEY_IN_TOOLBAR_PICTURES = 0x02;
inline constexpr int32_t SECOND_PICTURE_SET = 0x04;
inline constexpr int32_t DOUBLE_LINES = 0x10;
}  // namespace OptionBit

// Text of the File-menu item CMD_RECENT_EXPAND (nine blanks and two slashes).
inline constexpr std::string_view RECENT_EXPAND_TEXT = "         //";

// Entries 0-19 hold paths, newest first; the entry after the last path holds "QQ".
using RecentFileList = std::array<std::array<char, RECENT_ENTRY_BYTES>, RECENT_FILE_MAX + 1>;

// A frame rectangle in screen pixels.
struct FramePlacement {
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
};

struct AppSettings {
  PathParts project;                       // the current project file, split
  char work_folder[PATH_BYTES];            // folder of the last project; initial folder of the open dialogs
  std::array<int32_t, GUIDE_FLAG_COUNT> guide_flags;  // 1 = show the guide
  int32_t option_bits;
  int32_t picture_set;                     // option bit 2
  int32_t double_lines;                    // option bit 4
  char font_name[FONT_NAME_BYTES];         // "Courier New" or "Arial"
  std::array<int32_t, 3> ini_numbers;      // kept and written back unchanged
  int32_t com_number;                      // the board's serial slot, 0-15, as the file holds it
                                           // (the link's own is g_com_number, target/serial_port.h)
  char rom_writer_path[PATH_BYTES];        // kept and written back
  RecentFileList recent_files;
};

extern AppSettings g_app_settings;
// The settings under the names the screens use.
extern char (&g_project_drive)[PATH_DRIVE_BYTES];
extern char (&g_project_dir)[PATH_DIR_BYTES];
extern char (&g_project_name)[PATH_NAME_BYTES];
extern char (&g_project_ext)[PATH_EXT_BYTES];
extern char (&g_work_folder)[PATH_BYTES];
extern std::array<int32_t, GUIDE_FLAG_COUNT>& g_guide_flags;
extern int32_t& g_option_bits;
extern int32_t& g_picture_set;
extern int32_t& g_double_lines;
extern char (&g_font_name)[FONT_NAME_BYTES];
extern std::array<int32_t, 3>& g_ini_numbers;
extern char (&g_rom_writer_path)[PATH_BYTES];
extern RecentFileList& g_recent_files;
extern int g_recent_expanded;  // 1 once the File menu shows every recent entry

// The settings before file.ini is read: no project, the start folder as work folder,
// every guide on, options 0x11, "Courier New", the numbers 0 125 0, COM number 0, an
// empty recent list.
void set_default_settings(AppSettings& settings, std::string_view start_folder);

// What reading file.ini asks of the caller besides the settings it changed.
struct SettingsReadOutcome {
  bool write_defaults = false;  // replace the whole file by `default_text`
  std::string default_text;
  bool move_frame = false;      // line 2 carried a whole frame rectangle
  FramePlacement frame{};
  bool change_directory = false;  // make the work folder the current directory
};

// file.ini does not exist: COM number 1 and the default lines.
SettingsReadOutcome settings_for_missing_file(AppSettings& settings);
// Reads the bytes of an existing file.ini into `settings` (which holds the defaults).
// A wrong tag or an early end in lines 1-4 asks for the default lines; what the lines
// before it set stays.
SettingsReadOutcome read_settings_text(std::string_view text, AppSettings& settings);

// Puts the project path first in the recent list when the project is a design file
// (extension ".MBS", any case), then returns the whole text of file.ini.
std::string format_settings_file(AppSettings& settings, const FramePlacement& frame);

// Moves `path` to the top of the list (a new path pushes the oldest out of a full list).
// An empty path or one longer than an entry leaves the list unchanged.
void push_recent_file(RecentFileList& list, std::string_view path);
// Number of paths before the end entry (0-20).
int recent_file_count(const RecentFileList& list);
std::string_view recent_file_entry(const RecentFileList& list, int index);
void empty_recent_files(RecentFileList& list);

// A File-menu item of the recent list.
struct RecentMenuItem {
  int id;
  std::string text;  // CP932
};
// How the recent items at the end of the File menu are rebuilt (at every system
// command, since the list may have changed): once the list is expanded, items
// 1936-1955 are deleted and every entry appended; otherwise, for a non-empty list,
// items 1936-1956 are deleted and the newest entry and the expand item appended. An
// empty, unexpanded list leaves the menu as it is (`change` false).
struct RecentMenuPlan {
  bool change = false;
  int delete_first_id = 0;
  int delete_last_id = -1;
  std::vector<RecentMenuItem> append;
};
RecentMenuPlan recent_menu_plan(const RecentFileList& list, bool expanded);
// The items that the expand command appends after it removed the expand item:
// entries 1 up to the last one.
std::vector<RecentMenuItem> recent_expand_items(const RecentFileList& list);
