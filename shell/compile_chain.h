// The conversions that turn a design into the project's files, and the files back into
// the forms the other screens use. They run without a window: the design screen's
// compile command and the frame's one-click write both call them, and the frame's two
// file conversions (operation file to mnemonic file, operation file to design file) are
// built from them.
//
//   compile_design_to_files   design grid -> instruction list -> check rebuild ->
//                             branch screening -> operation file (.SEQ) with its design
//                             part, run-time tables, rebuilt rows with their comments in
//                             the design, design file (.MBS)
//   read_back_operation_file  .SEQ -> the frame's instruction list and g_seq_grid
//   convert_seq_to_commented_nic  .SEQ -> .NIC with the device comments of g_seq_grid
//                             behind the statements; the text becomes g_mnemonic_text
//   convert_list_to_design_file   the list read back -> a design file (.MBS)
//
// Every message goes through show_notice (core/notice.h), with the texts and captions
// the user knows. No file is ever left half written: each file is written beside the
// old one and moved over it once it is whole, so a refused or failed conversion keeps
// the files of the previous one.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/current_mnemonic_text.h"
#include "core/ladder_model.h"
#include "shell/documents.h"
#include "shell/file_replace.h"
#include "shell/status_parts.h"

// The project's files: drive + folder + name with ".MBS", ".SEQ", ".NIC" and ".LST".
struct ProjectFiles {
  std::string design;
  std::string operation;
  std::string mnemonic;
  std::string listing;
};
ProjectFiles project_files(const char* drive, const char* dir, const char* name);


// ---- Shared state of the conversions ---------------------------------------------------------
// g_saved_uncompiled (shell/documents.h): 1 while the saved design has not been compiled
// since. g_comments_changed: 1 when a device or row comment was stored since the design
// was loaded or saved (the change test compares cell words only); the design window
// sets it, the conversions clear it.
extern int32_t g_comments_changed;
// The operation file read back last: its instruction list (g_instruction_list points
// into it after a read-back) and its design part (g_seq_grid), and its path.
extern GridSpan g_seq_grid;
extern std::string g_seq_path;
// Releases the read-back list and grid (g_seq_grid becomes empty; g_instruction_list too
// when it points into them).
void release_read_back();
// The mnemonic text a conversion makes is the frame's own, kept, grown and released by
// core/current_mnemonic_text.h.

// ---- Buffer sizes ------------------------------------------------------------------------------
// The grid the compiled list is rebuilt into: 2e + 10 rows for a design whose end mark is
// in row e, and never fewer than the records of the list need (one row per record and
// the end mark), at most MAX_GRID_ROWS.
int rebuilt_grid_rows(int design_end_mark_row, int end_record_index);
// The grid a list read back from an operation file is drawn into (one row per record
// up to END, the end mark and room for the tidy-up), at most MAX_GRID_ROWS.
int list_grid_rows(int end_record_index);
// Comment table for the rows of a grid up to its end mark (13 records a row and the end
// key, at most MAX_DEVICE_COMMENTS).
int comment_table_records(ConstGridSpan grid);
// Lines of the mnemonic buffer of a converted file: 16 per row of the design part up to
// its end mark, and never fewer than the file's lines and the end line, at most
// MAX_TEXT_LINES.
int mnemonic_buffer_lines(int seq_grid_end_mark_row, int file_lines);

// ---- Branch screening ---------------------------------------------------------------------------
// Stack branches (MPS ... MRD ... MPP) are written to the operation file only when every
// branch holds outputs alone: then their MPS, MRD and MPP records are emptied (the
// outputs follow the common condition directly) and the result is true. A contact,
// block or empty record between an MPS and its MPP makes the program unsupported: the
// list is left unchanged and the result is false.
bool screen_stack_branches(ListSpan list);

// ---- Rebuilt rows into the design ---------------------------------------------------------------
// Puts the rows rebuilt from the compiled list (rows 0 up to the rebuilt grid's end mark)
// in place of the design's program rows; the design's END row, special rows and end mark
// follow them, cell texts come from the rebuilt rows and the end-mark row gets
// "f0f0f0f0" in its 16 texts. Cell words 2 and 3 and the row-selected words stay. false,
// with the design unchanged, when either grid has no END row or end mark, when more
// than 512 rows follow the program rows, or when the result does not fit the design.
bool replace_program_rows(GridSpan design, ConstGridSpan rebuilt);
// True when the merge of `rebuilt` into a copy of `design` succeeds and the result keeps
// the grid's rules (check_grid_invariants); the design itself is not changed.
bool rebuilt_grid_is_sound(ConstGridSpan design, ConstGridSpan rebuilt);

// ---- The files of a set ---------------------------------------------------------------------------
// A command that writes several files (the compiles: .MBS, .SEQ, .NIC) looks at every one of
// them through the gate before it writes any, so that a refused file stops it before a file
// of the set is replaced.
enum class SetFile { DESIGN, OPERATION, MNEMONIC };
struct SetTarget {
  std::string path;
  SetFile kind = SetFile::DESIGN;
  bool has_marks = false;  // the target is the file of an open document with these marks
  DocumentMarks marks;
  const DocumentMarks* marks_or_null() const { return has_marks ? &marks : nullptr; }
};
// The refusal's message, naming the file: "読取り専用ファイルです" (caption the path) for the
// read-only kinds, MSG_TARGET_NOT_OPENED (caption the path) for a document whose file did not
// open, otherwise the file kind's "cannot open" text: "<path>ファイルが開けません\n共用をチェック
// して下さい" ("警告") for the .SEQ, "ファイルが開けません\n共用をチェックして下さい" (caption the
// path) for the .MBS, "<path less extension>.NIC ファイルが、開けません\n共用をチェックして下さい"
// ("警告") for the .NIC.
WriteNotice set_refusal_notice(SetFile kind, GateVerdict verdict, const std::string& path);
// Asks the gate about every target in order. A target whose document holds lines cut at
// open asks the user first (cut_lines_question, OK/Cancel, caption the path): OK lets it be
// written (its cut lines are then cleared from the marks), Cancel stops. True when every
// target may be written; false after the first refusal's message (nothing is written).
bool check_set_targets(std::vector<SetTarget>& targets, void* owner = nullptr);
// A compile writes the project's files: the project's .SEQ and .MBS, and its .NIC. The
// project may be another file than the document compiled (a recent file opened beside the
// main window becomes the project; a design opened while a mnemonic window holds the
// project does not become it), and the compile would then write the document's program
// over the other file's design. True when `document_path` is not `project_file` (the
// project's file of the document's kind): MSG_NOT_PROJECT_FILE has said so, naming
// `project_design` (caption the document's path, owner `owner`), and nothing is written.
bool refuse_other_project(const std::string& document_path, const std::string& project_file,
                          const std::string& project_design, void* owner = nullptr);
// The targets of a compile of the project, in the order it writes them: its .SEQ, .MBS (with
// the marks of the design's window when it is open) and .NIC.
std::vector<SetTarget> project_set(const ProjectFiles& files, const DocumentMarks* design_marks = nullptr);

// ---- Compile phase -------------------------------------------------------------------------------
enum class CompileStep {
  WRITTEN,             // operation file and design file written
  NO_MEMORY,           // "メモリ－の確保ができません"
  COMPILE_ERRORS,      // compile_ladder returned -1: the error list is to be shown
  COMPILE_STOPPED,     // -2 (cancelled) or -3 (already explained)
  BUILD_FAILED,        // the list cannot be drawn: "%d番命令（ステップ）付近の..."
  UNSUPPORTED_BRANCH,  // "サポートされていない分岐回路のため..."; stops the command
  OPERATION_NOT_WRITTEN,  // the .SEQ could not be created or written
  DESIGN_NOT_WRITTEN,  // the .MBS could not be created or written
  TARGET_REFUSED,      // the gate refused a file of the set: nothing was written
};
struct CompileRequest {
  void* owner = nullptr;        // owner of the compiler's own questions
  GridSpan grid;                // the main design: gets the rebuilt rows and comments
  GridSpan saved_copy;          // the main design's saved copy (may be empty)
  ProjectFiles files;
  std::string view_path;        // caption of the memory messages
  std::string open_path;        // caption of the rebuild message
  bool has_design_marks = false;  // the design's window is open with these marks
  DocumentMarks design_marks;
};
struct CompileOutcome {
  CompileStep step = CompileStep::WRITTEN;
  int compile_result = 0;       // compile_ladder's result
  // The read-back runs after a compile that wrote its files and after one that the compiler
  // or the rebuild stopped (the previous files are read back and converted again); a
  // compile whose files were refused or could not be written, and one stopped by the branch
  // screening, end the command: no file of the set is replaced after them.
  bool read_back() const {
    return step != CompileStep::UNSUPPORTED_BRANCH && step != CompileStep::TARGET_REFUSED &&
           step != CompileStep::OPERATION_NOT_WRITTEN && step != CompileStep::DESIGN_NOT_WRITTEN;
  }
};
// The compile of the design into the project's operation file and the save of the
// rebuilt design. Every file of the set (.MBS, .SEQ, .NIC) is looked at through the gate
// first, and the branch screening runs before any file is touched, so a refused program
// or target keeps the previous files. Both files are written whole beside the old ones
// before either replaces its old file, and the design's grid takes the rebuilt rows only
// once the design file holds them: a compile that writes nothing leaves the grid as the
// user left it. On success the saved copy equals the grid and g_saved_uncompiled and
// g_comments_changed are 0; when the design file was saved but the operation file's move
// then failed, g_saved_uncompiled is 1.
CompileOutcome compile_design_to_files(const CompileRequest& request);

// ---- Read-back ------------------------------------------------------------------------------------
// Reads the operation file (records and design part) into the frame's list and g_seq_grid,
// and makes its path g_seq_path. false after the message "ファイルがまだ出来ていないか、
// 又はファイルが違います" or "メモリ－の確保ができません！" (caption `caption`).
bool read_back_operation_file(const std::string& operation_path, const std::string& caption);
// Takes the loaded settings' options, port value, clock and CPU name into the active ones.
void take_loaded_cpu_settings();

// ---- Operation file to mnemonic file -----------------------------------------------------------------
// The mnemonic file the conversion of `operation_path` makes: the same path with ".NIC".
std::string mnemonic_path_beside(const std::string& operation_path);
// Converts g_seq_path into `mnemonic_path`, the file beside it (convert_seq_to_nic shows
// its own messages),
// reads it, writes the device comments of g_seq_grid behind their statements, writes it
// back whole and deletes `listing_path`. The text becomes the frame's own and
// g_mnemonic_text names it. Returns 0, or convert_seq_to_nic's code (2, 4), or -1 after
// a message of its own; g_mnemonic_text is then left as it was.
int convert_seq_to_commented_nic(void* owner, const std::string& mnemonic_path, const std::string& listing_path,
                                 const std::string& caption);

// ---- Operation file to design file -------------------------------------------------------------------
enum class DesignConversion {
  WRITTEN,        // "%s.MBS %s", "ファイルが出来ました！"
  NO_MEMORY,
  BUILD_FAILED,   // "%dステップ付近の\n命令中にエラ－が有ります！", or the drawn ladder breaks the
                  // grid's rules: MSG_REBUILT_LADDER_BROKEN
  NOT_OPENED,     // "ファイルが開けません\n共用をチェックして下さい"
  NOT_WRITTEN,    // "書込みエラ－が発生しました！"
};
// Draws g_instruction_list (as read back) into a new grid, puts the comments of
// g_seq_grid back, and writes it as the project's design file. Shows the outcome.
DesignConversion convert_list_to_design_file(const std::string& design_path, const std::string& project_name,
                                             const std::string& caption);

// ---- Message texts ------------------------------------------------------------------------------
inline constexpr char MSG_NO_MEMORY[] = "メモリ－の確保ができません";
inline constexpr char MSG_NO_MEMORY_READ_BACK[] = "メモリ－の確保ができません！";
inline constexpr char MSG_BUILD_FAILED[] = "%d番命令（ステップ）付近の\n回路にエラ－が有ります！";
// A ladder rebuilt from the instruction list that cannot become the design's grid.
inline constexpr char MSG_REBUILT_LADDER_BROKEN[] = "変換した回路に誤りが有るため\n回路を置き換えられません！";
inline constexpr char MSG_SEQ_NOT_OPENED[] = "%sファイルが開けません\n共用をチェックして下さい";
inline constexpr char MSG_FILE_NOT_OPENED[] = "ファイルが開けません\n共用をチェックして下さい";
inline constexpr char MSG_UNSUPPORTED_BRANCH[] = "サポートされていない分岐回路のため\n変換を中止します!";
inline constexpr char MSG_WRITE_ERROR[] = "書込みエラ－が発生しました！";
inline constexpr char MSG_NO_OPERATION_FILE[] = "ファイルがまだ出来ていないか、 又はファイルが違います";
inline constexpr char MSG_STEP_ERROR[] = "%dステップ付近の\n命令中にエラ－が有ります！";
inline constexpr char MSG_ANB_ORB_MISSING[] = "%dステップ付近で\nＡＮＢ、ＯＲＢ命令が足りません！";
inline constexpr char MSG_DESIGN_MADE[] = "ファイルが出来ました！";
// The document compiled is not the project's file: %s is the project's design file.
inline constexpr char MSG_NOT_PROJECT_FILE[] =
    "今のプロジェクトのファイルではありません！\nコンパイルすると、次の回路図が置き換えられます：\n%s\n"
    "全ての画面を閉じてから、このファイルを開き直して下さい";
inline constexpr char CAPTION_WARN[] = "警告";
inline constexpr char CAPTION_CONFIRM[] = "確認";

// ---- The compile commands' sequence --------------------------------------------------------------
// The design screen's compile (design/compile_command.h) and the one-click write
// (frame/one_click.h) run the same steps around compile_design_to_files: the other screens
// close, the design compiles, the operation file is read back and converted to mnemonics.
// What the steps need of the windows comes through one host; a slot left empty does
// nothing (a slot that answers a question then answers no).
struct CompileHost {
  std::function<void(const char* text)> status;       // the status bar's first part
  std::function<void()> reset_design_modes;
  // The screens that hold files of the project (which ones is the caller's: monitor and
  // mnemonic windows, and for the design compile the further design windows): true when
  // one of them is open.
  std::function<bool()> other_screens_open;
  // Closes them; false when one of them refused (Cancel at its save question): the command
  // then stops, and no file under that window is rewritten.
  std::function<bool()> close_other_screens;
  std::function<void()> close_screen_dialogs;         // slots 0 and 1 of the current screen's row
  std::function<int()> query_modified;                // the design compile's: CMD_QUERY_MODIFIED to the main design window
  std::function<bool(const std::string& path)> file_exists;  // the design compile's
  std::function<void()> open_compile_errors;          // the compile-error list
  std::function<void()> repaint_designs;
  // The frame's conversion of the operation file read back into the mnemonic file (1193):
  // 0 when it made the text.
  std::function<int()> convert_compiled_files;
  std::function<void()> clear_main_selection;         // range off, row mark cleared
};

// Before a compile rewrites the project's files the screens over them close: when one is
// open, MSG_CLOSE_OTHERS asks (OK/Cancel, "警告") and they close; then the current screen's
// dialogs close. false when the user cancelled or a window kept its edits (the dialogs then
// stay).
bool close_screens_for_compile(const CompileHost& host);

// How the compile, the read-back and the conversion ended.
enum class CompileChainEnd {
  UNSUPPORTED_BRANCH,  // the branch screening stopped the compile: nothing is repainted
  NOT_WRITTEN,         // no new files: a file of the set was refused or not written, or (when
                       // the previous files are not read back) the compile stopped
  NOT_READ_BACK,       // no operation file to read back, or it could not be read
  NOT_CONVERTED,       // the conversion made no mnemonic text
  CONVERTED,           // the operation file read back and converted: the selection is off,
                       // the modes reset and the loaded settings taken
};
struct CompileChainOutcome {
  CompileStep step = CompileStep::WRITTEN;  // how the compile phase ended
  CompileChainEnd end = CompileChainEnd::NOT_WRITTEN;
};
// What becomes of a compile the compiler or the rebuild stopped (CompileOutcome::read_back()
// is true, but no new files were written).
struct StoppedCompileRule {
  // true: the frame's view follows what is on disk, so the operation file an earlier compile
  // left is read back and converted again (the design compile); when there is none the
  // command ends with NOT_READ_BACK and no further message. false: the designs repaint and
  // the command ends with NOT_WRITTEN (the one-click write, which then writes nothing into
  // the board).
  bool read_back_previous_files = false;
  bool operation_file_existed = false;  // the operation file was there before the compile
};
// Compiles `request` (compile_design_to_files), opens the compile-error list when the
// compiler found errors, repaints the designs, releases the frame's mnemonic text, reads the
// operation file back (read-back messages captioned request.open_path) and has the host
// convert it; a text made by this conversion only counts.
CompileChainOutcome compile_read_back_and_convert(const CompileRequest& request, const CompileHost& host,
                                                  const StoppedCompileRule& stopped);

inline constexpr char MSG_CLOSE_OTHERS[] = "開かれているNICファイル等を閉じます！";
// A compile command given while the project has no main design window.
inline constexpr char MSG_NO_MAIN_DESIGN[] = "最初のファイル以外コンパイル出来ません！";
