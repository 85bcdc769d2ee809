// The print command (CMD_PRINT): which case applies, what it asks, the print mode and the
// paths it builds. The design is printed by the printing library "dabu42QX.dll" in the
// program folder; print_command_win.cpp loads it and hands the design over.
// Window-free, so that every decision is tested natively.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "shell/path_parts.h"

inline constexpr char PRINT_LIBRARY_FILE[] = "dabu42QX.dll";
inline constexpr char PRINT_ENTRY_NAME[] = "PrinterM";

// Status-bar part 0 at every print command: the page range of the library's print
// dialog counts rows.
inline constexpr const char* PRINT_STATUS_TEXT =
    "印刷用ﾀﾞｲｱﾛｸﾞﾎﾞｯｸｽのﾍﾟｰｼﾞ指定は、行数指定と考えて下さい！";
// The question before a design is printed: project name and the extension of the file
// chosen last.
inline constexpr const char* PRINT_QUESTION_FORMAT = "%s%sの 設計画面を\nプリントアウトしますか？";
inline constexpr const char* PRINT_UNSUPPORTED_TEXT = "No Support this Mode for *.NIC File";
inline constexpr const char* PRINT_WARNING_CAPTION = "警告";
// The library file or its entry point cannot be found: the path, then what is missing.
inline constexpr const char* PRINT_LIBRARY_MISSING_FORMAT = "%s\nが見つかりません。\n印刷できません！";
inline constexpr const char* PRINT_ENTRY_MISSING_FORMAT = "%s\nに印刷の入口 PrinterM が有りません。\n印刷できません！";

extern char g_print_path[PATH_BYTES];  // the design file handed to the library

enum class PrintCase {
  AskThenPrint,  // design screen with a first design window: ask, then print its grid
  Unsupported,   // mnemonic screen with a first mnemonic window: warn, print nothing
  Nothing,       // any other screen, or no first window of the screen's kind
};

// toolbar_kind is g_toolbar_kind (design 0, monitor 1, mnemonic 2, initial 3).
PrintCase print_case(int toolbar_kind, bool has_first_design_window, bool has_first_mnemonic_window);

// print_mode of the settings handed to the library: 4 with the first element-picture
// set, 6 with the second.
constexpr int32_t print_mode_for(int32_t picture_set) { return 4 | ((picture_set & 1) << 1); }

// The question text for the project name and the extension of the file chosen last.
std::string print_question(std::string_view project_name, std::string_view chosen_ext);

// The project's design file: drive, directory and name of `project` with ".MBS".
// False (dest empty) when it does not fit.
bool build_print_path(const PathParts& project, std::span<char> dest);

// "<program folder>\dabu42QX.dll"; a folder that already ends in a separator (a drive's
// root) gets none added. False (dest empty) when it does not fit.
bool build_print_library_path(std::string_view program_folder, std::span<char> dest);

// The warning for a missing library file or a library without the entry point.
std::string print_library_missing_text(std::string_view library_path);
std::string print_entry_missing_text(std::string_view library_path);
