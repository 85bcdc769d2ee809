// Documents and screens, the frame's side: the current project and the shared path
// buffers, the open-file record every new document window receives, and the rules of
// the open, new and screen-switch commands that need no window: titles, creation
// parameters and the project's file paths. The commands themselves are in
// shell/documents_win.cpp.
//
// A project is one base name in one folder: the design file (".MBS"), the operation
// file (".SEQ") and the mnemonic file (".NIC"). The current project lives in the
// settings (g_project_drive ... g_project_ext, shell/settings_file.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "shell/path_parts.h"

// ---- The open-file record ---------------------------------------------------------------
// The filters of the open and save dialogs.
enum class FileFilter : int32_t { MBS, NIC, SEQ, EXE };
inline constexpr uint32_t CHILD_OPEN_READ_ONLY = 0x1;  // the monitor's operation file

// What the frame hands every new document window as the lParam of its MDICREATESTRUCT.
// The window copies what it needs during its WM_CREATE (the frame refills the record
// before the next creation).
struct ChildOpenRecord {
  char path[PATH_BYTES];   // the document's path; empty for a new document
  char title[PATH_BYTES];  // its file title; "NEW" for a new document
  uint32_t flags;          // CHILD_OPEN_READ_ONLY
  FileFilter filter;       // the filter of the last open dialog
};

extern ChildOpenRecord g_child_open;
// The path and file title of the file chosen last in the open dialog (CP932).
extern char g_open_path[PATH_BYTES];
extern char g_open_title[PATH_BYTES];
// A path the frame built itself (a project file of a screen switch).
extern char g_work_path[PATH_BYTES];
// The pieces of the file chosen last, shared with the design and monitor windows.
extern PathParts g_chosen_path;
extern char (&g_path_root)[PATH_DRIVE_BYTES];
extern char (&g_path_drive)[PATH_DRIVE_BYTES];  // the same buffer as g_path_root
extern char (&g_path_dir)[PATH_DIR_BYTES];
extern char (&g_path_name)[PATH_NAME_BYTES];
extern char (&g_path_ext)[PATH_EXT_BYTES];

// The monitor window's mode: 1 while the monitor screen polls the board, 0 on the
// operation-check screen.
extern int32_t g_monitor_mode;
// 1 when the design was saved with changes since its last compile (set by the save
// commands, cleared by the compile).
extern int32_t g_saved_uncompiled;

// The pattern pair of a filter ("MBS" and "*.MBS", double-NUL ended).
std::string_view filter_pairs(FileFilter filter);

// Fills a record; false (and empty texts) when the path or title does not fit.
bool fill_child_open(ChildOpenRecord& record, FileFilter filter, std::string_view path, std::string_view title,
                     uint32_t flags);

// ---- How each command creates its document window ----------------------------------------
enum class ChildRoute {
  OPEN,             // open, new, recent file, a sample of the start-up guide
  SCREEN_SWITCH,    // the design or mnemonic screen (1160, 1163) opening the project's file
  MONITOR,          // the operation-check and monitor screens (1161, 1242), I/O display (1133)
};

inline constexpr uint32_t CHILD_STYLE_DOCUMENT = 0xE00000;  // caption and vertical scroll bar
inline constexpr uint32_t CHILD_STYLE_MONITOR = 0x200000;   // vertical scroll bar

struct ChildPlacement {
  int x;
  int y;
  int width;
  int height;
  uint32_t style;
};

// The position, size and style of a new child in an MDI client whose client area (between
// the toolbar and the status bar) has the given size: the child fills it to its bottom.
ChildPlacement child_placement(ChildRoute route, int client_width, int client_height);

// Window titles (CP932).
// A new document: "  新規.MBS" or "  新規.NIC".
std::string new_document_title(bool mnemonic);
// An opened file: "  <title>", or "  <title> -Refer." for a mnemonic file opened while
// the main mnemonic window exists.
std::string opened_document_title(std::string_view file_title, bool reference);
// A screen switch that opens the project's file: "  <name>.MBS" / "  <name>.NIC".
std::string switch_document_title(std::string_view project_name, std::string_view extension);
// A monitor window: "<name>.SEQ  No. = <count>".
std::string monitor_window_title(std::string_view project_name, int number);
// The I/O display request: "I/O DSPLAY  <name>.SEQ".
std::string io_display_title(std::string_view name);

// The project's file with another extension (".MBS", ".SEQ", ".NIC") into `dest`;
// false (dest empty) when it does not fit.
bool project_file_path(const PathParts& project, std::string_view extension, std::span<char> dest);

// Puts a path into `parts` keeping the name of the long form: drive, directory and
// extension come from `short_path` (the 8.3 form), the name from `long_path`. Returns 0,
// or -1 when a piece does not fit (every piece empty).
int split_chosen_path(std::string_view long_path, std::string_view short_path, PathParts& parts);

// The file title (name and extension) of a path.
std::string file_title_of(const PathParts& parts);
