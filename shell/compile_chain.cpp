#include "shell/compile_chain.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "core/current_mnemonic_text.h"
#include "core/design_file.h"
#include "core/device_comments.h"
#include "core/grid_invariants.h"
#include "core/ladder_builder.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "core/seq_file.h"
#include "core/seq_to_nic.h"
#include "core/text_file.h"
#include "target/monitor_protocol.h"
#include "target/runtime_tables.h"

int32_t g_comments_changed = 0;
GridSpan g_seq_grid{};
std::string g_seq_path;

namespace {

// The read-back list and grid: the frame's own blocks, freed only here.
std::unique_ptr<InstructionList> g_read_back_list;
std::unique_ptr<LadderGrid> g_read_back_grid;

void notify(const std::string& text, const std::string& caption, void* owner = nullptr) {
  show_notice(text.c_str(), caption.c_str(), NoticeStyle::OK, owner);
}

std::string format_number(const char* pattern, int value) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

int end_mark_row_of(ConstGridSpan grid) {
  const int saved = g_program_row_count;
  const int row = find_end_mark_row(grid);
  g_program_row_count = saved;
  return row;
}

void copy_rows(ConstGridSpan from, GridSpan to) {
  const size_t n = std::min(from.size(), to.size());
  std::copy(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n), to.begin());
}

// Number of lines (LF) of a file, the last one without its line end included.
int count_file_lines(const std::string& path) {
  std::FILE* f = open_file(path.c_str(), "r");
  if (!f) return 0;
  long long lines = 0;
  int last = '\n';
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    for (size_t i = 0; i < n; ++i)
      if (buffer[i] == '\n') ++lines;
    last = buffer[n - 1];
  }
  std::fclose(f);
  if (last != '\n') ++lines;
  return static_cast<int>(std::min<long long>(lines, MAX_TEXT_LINES));
}

}  // namespace


ProjectFiles project_files(const char* drive, const char* dir, const char* name) {
  const std::string base = std::string(drive ? drive : "") + (dir ? dir : "") + (name ? name : "");
  return {base + ".MBS", base + ".SEQ", base + ".NIC", base + ".LST"};
}

// ---- The files of a set -------------------------------------------------------------------------

WriteNotice set_refusal_notice(SetFile kind, GateVerdict verdict, const std::string& path) {
  if (is_read_only_refusal(verdict)) return {MSG_TARGET_READ_ONLY, path};
  if (verdict == GateVerdict::NOT_OPENED) return {MSG_TARGET_NOT_OPENED, path};
  switch (kind) {
    case SetFile::OPERATION: {
      char text[600];
      std::snprintf(text, sizeof text, MSG_SEQ_NOT_OPENED, path.c_str());
      return {text, CAPTION_WARN};
    }
    case SetFile::MNEMONIC:
      return {path_without_extension(path) + ".NIC ファイルが、開けません\n共用をチェックして下さい", CAPTION_WARN};
    case SetFile::DESIGN:
      break;
  }
  return {MSG_FILE_NOT_OPENED, path};
}

bool check_set_targets(std::vector<SetTarget>& targets, void* owner) {
  for (SetTarget& target : targets) {
    GateVerdict verdict = check_write_target(target.path, target.marks_or_null());
    if (verdict == GateVerdict::ASK_CUT_LINES) {
      const std::string question = cut_lines_question(target.marks.cut_lines);
      if (show_notice(question.c_str(), target.path.c_str(), NoticeStyle::OK_CANCEL | NoticeStyle::ICON_WARNING,
                      owner) != NoticeAnswer::OK)
        return false;
      // The user agreed to lose the cut parts: the file may be written over.
      target.marks.cut_lines.clear();
      verdict = check_write_target(target.path, target.marks_or_null());
    }
    if (!write_allowed(verdict)) {
      const WriteNotice notice = set_refusal_notice(target.kind, verdict, target.path);
      notify(notice.text, notice.caption, owner);
      return false;
    }
  }
  return true;
}

bool refuse_other_project(const std::string& document_path, const std::string& project_file,
                          const std::string& project_design, void* owner) {
  if (document_path.empty() || same_file_path(document_path, project_file)) return false;
  char text[700];
  std::snprintf(text, sizeof text, MSG_NOT_PROJECT_FILE, project_design.c_str());
  notify(text, document_path, owner);
  return true;
}

std::vector<SetTarget> project_set(const ProjectFiles& files, const DocumentMarks* design_marks) {
  // In the order the command writes them: the operation file is made first.
  std::vector<SetTarget> set{{files.operation, SetFile::OPERATION, false, {}},
                             {files.design, SetFile::DESIGN, design_marks != nullptr, {}},
                             {files.mnemonic, SetFile::MNEMONIC, false, {}}};
  if (design_marks != nullptr) set[1].marks = *design_marks;
  return set;
}

std::string mnemonic_path_beside(const std::string& operation_path) {
  return path_without_extension(operation_path) + ".NIC";
}

void release_read_back() {
  if (g_read_back_list && g_instruction_list.data() == g_read_back_list->data()) g_instruction_list = {};
  g_read_back_list.reset();
  g_read_back_grid.reset();
  g_seq_grid = {};
}

// ---- Sizes --------------------------------------------------------------------------------------

int rebuilt_grid_rows(int design_end_mark_row, int end_record_index) {
  const long long by_design = 2LL * std::max(design_end_mark_row, 0) + 10;
  const long long by_list = static_cast<long long>(std::max(end_record_index, 0)) + 12;
  return static_cast<int>(std::min<long long>(std::max(by_design, by_list), MAX_GRID_ROWS));
}

int list_grid_rows(int end_record_index) {
  return static_cast<int>(std::min<long long>(static_cast<long long>(std::max(end_record_index, 0)) + 12,
                                              MAX_GRID_ROWS));
}

int comment_table_records(ConstGridSpan grid) {
  const int end_mark = grid.empty() ? 0 : end_mark_row_of(grid);
  return comment_table_size_for_rows(std::clamp(end_mark, 0, MAX_GRID_ROWS) + 1);
}

int mnemonic_buffer_lines(int seq_grid_end_mark_row, int file_lines) {
  const long long by_grid = 16LL * std::max(seq_grid_end_mark_row, 0);
  const long long by_file = static_cast<long long>(std::max(file_lines, 0)) + 1;
  return static_cast<int>(std::clamp<long long>(std::max(by_grid, by_file), 2, MAX_TEXT_LINES));
}

// ---- Branch screening ------------------------------------------------------------------------------

bool screen_stack_branches(ListSpan list) {
  const size_t limit = std::min(list.size(), static_cast<size_t>(MAX_INSTRUCTIONS - 1));
  std::vector<size_t> emptied;
  for (size_t i = 0; i < limit && list[i].word[0] != END_RECORD_WORD; ++i) {
    if (list[i].word[0] != RecordWord0::MPS) continue;
    std::vector<size_t> branch{i};
    for (size_t j = i + 1; j < list.size() && j < static_cast<size_t>(MAX_INSTRUCTIONS); ++j) {
      const uint32_t w0 = list[j].word[0];
      if (w0 == END_RECORD_WORD) break;
      if ((w0 & 0xFF) < 9) return false;  // a contact, a block or an empty record
      if (w0 == RecordWord0::MRD) branch.push_back(j);
      if (w0 == RecordWord0::MPP) {
        branch.push_back(j);
        break;
      }
    }
    emptied.insert(emptied.end(), branch.begin(), branch.end());
  }
  for (size_t k : emptied) list[k].word[0] = EMPTY_RECORD_WORD0;
  return true;
}

// ---- Row merge ------------------------------------------------------------------------------------

bool rebuilt_grid_is_sound(ConstGridSpan design, ConstGridSpan rebuilt) {
  const int design_end = end_mark_row_of(design);
  const int rebuilt_end = end_mark_row_of(rebuilt);
  if (design_end < 0 || rebuilt_end < 0) return false;
  // The merge on a copy as large as the design's grid needs for it.
  const size_t rows = std::min(design.size(), static_cast<size_t>(design_end) + static_cast<size_t>(rebuilt_end) + 2);
  LadderGrid merged;
  try {
    merged = make_ladder_grid(static_cast<int>(rows));
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::copy(design.begin(), design.begin() + static_cast<std::ptrdiff_t>(std::min(rows, design.size())), merged.begin());
  if (!replace_program_rows(merged, rebuilt)) return false;
  return !check_grid_invariants(merged);
}

bool replace_program_rows(GridSpan design, ConstGridSpan rebuilt) {
  constexpr int KEPT_ROWS_LIMIT = 512;
  const int first_kept = count_program_rows(design);
  const int design_end = end_mark_row_of(design);
  const int rebuilt_end = end_mark_row_of(rebuilt);
  if (first_kept <= 0 || first_kept > MAX_GRID_ROWS || design_end < first_kept ||
      static_cast<size_t>(design_end) >= design.size())
    return false;
  if (rebuilt_end <= 0 || static_cast<size_t>(rebuilt_end) >= rebuilt.size()) return false;
  const int kept = design_end - first_kept + 1;
  if (kept > KEPT_ROWS_LIMIT) return false;
  const int new_end = rebuilt_end + kept - 1;
  if (static_cast<size_t>(new_end) >= design.size() || new_end >= MAX_GRID_ROWS) return false;

  struct KeptRow {
    uint32_t words[ROW_CELLS][2];
    int32_t source_position;
  };
  std::vector<KeptRow> tail(static_cast<size_t>(kept));
  for (int k = 0; k < kept; ++k) {
    const LadderRow& row = design[static_cast<size_t>(first_kept + k)];
    for (int c = 0; c < ROW_CELLS; ++c) {
      tail[k].words[c][0] = row.cell[c].word[0];
      tail[k].words[c][1] = row.cell[c].word[1];
    }
    tail[k].source_position = row.source_position;
  }
  const int last_row = std::max(new_end, design_end);
  for (int r = 0; r <= last_row; ++r) {
    LadderRow& row = design[static_cast<size_t>(r)];
    if (r < rebuilt_end) {
      const LadderRow& from = rebuilt[static_cast<size_t>(r)];
      for (int c = 0; c < ROW_CELLS; ++c) {
        row.cell[c].word[0] = from.cell[c].word[0];
        row.cell[c].word[1] = from.cell[c].word[1];
      }
      row.source_position = from.source_position;
      std::memcpy(row.text, from.text, sizeof row.text);
    } else if (r <= new_end) {
      const KeptRow& from = tail[static_cast<size_t>(r - rebuilt_end)];
      for (int c = 0; c < ROW_CELLS; ++c) {
        row.cell[c].word[0] = from.words[c][0];
        row.cell[c].word[1] = from.words[c][1];
      }
      row.source_position = from.source_position;
      std::memset(row.text, 0, sizeof row.text);
      if (r == new_end)
        for (auto& text : row.text) std::memcpy(text, "f0f0f0f0", 9);
    } else {
      // Rows the shorter program no longer reaches.
      for (auto& cell : row.cell) cell.word[0] = cell.word[1] = 0;
      row.source_position = 0;
      std::memset(row.text, 0, sizeof row.text);
    }
  }
  return true;
}

// ---- Compile phase ------------------------------------------------------------------------------------

CompileOutcome compile_design_to_files(const CompileRequest& request) {
  CompileOutcome outcome;
  GridSpan grid = request.grid;

  // Every file of the set is looked at before anything is compiled or written.
  std::vector<SetTarget> targets =
      project_set(request.files, request.has_design_marks ? &request.design_marks : nullptr);
  if (!check_set_targets(targets, request.owner)) {
    outcome.step = CompileStep::TARGET_REFUSED;
    return outcome;
  }
  g_program_row_count = count_program_rows(grid);

  InstructionList list;
  try {
    list = make_instruction_list();
  } catch (const std::bad_alloc&) {
    notify(MSG_NO_MEMORY, request.view_path);
    outcome.step = CompileStep::NO_MEMORY;
    return outcome;
  }
  outcome.compile_result = compile_ladder(request.owner, grid, list, nullptr, 0);
  if (outcome.compile_result != 0) {
    outcome.step = outcome.compile_result == -1 ? CompileStep::COMPILE_ERRORS : CompileStep::COMPILE_STOPPED;
    g_instruction_list = {};
    return outcome;
  }
  const int end_record = g_end_record_index;

  LadderGrid rebuilt;
  DeviceCommentTable table;
  LadderGrid merged;
  try {
    rebuilt = make_ladder_grid(rebuilt_grid_rows(end_mark_row_of(grid), end_record));
    table = make_device_comment_table(comment_table_records(grid));
    // The design with its rebuilt rows is made apart from the window's grid, which takes
    // it only once the design file holds it.
    merged.assign(grid.begin(), grid.end());
  } catch (const std::bad_alloc&) {
    g_instruction_list = {};
    notify(MSG_NO_MEMORY, request.view_path);
    outcome.step = CompileStep::NO_MEMORY;
    return outcome;
  }
  collect_comment_table(table, grid);
  const int built = build_ladder_from_instructions(rebuilt, list);
  g_instruction_list = list;
  if (built != 0) {
    g_instruction_list = {};
    notify(format_number(MSG_BUILD_FAILED, built & 0xFFFF), request.open_path);
    outcome.step = CompileStep::BUILD_FAILED;
    return outcome;
  }
  // Screened before the operation file is created, so a refused program keeps the
  // previous operation file.
  if (!screen_stack_branches(list)) {
    g_instruction_list = {};
    notify(MSG_UNSUPPORTED_BRANCH, CAPTION_CONFIRM);
    outcome.step = CompileStep::UNSUPPORTED_BRANCH;
    return outcome;
  }

  // The rebuilt program under the design's END row, special rows and end mark is checked
  // before anything is written: a grid the merge refuses or that breaks the grid's rules
  // would otherwise be installed in the design window and saved.
  if (!rebuilt_grid_is_sound(grid, rebuilt)) {
    g_instruction_list = {};
    notify(MSG_REBUILT_LADDER_BROKEN, request.open_path);
    outcome.step = CompileStep::BUILD_FAILED;
    return outcome;
  }

  g_instruction_list = list;
  build_runtime_tables(grid);
  g_instruction_list = {};
  if (!replace_program_rows(merged, rebuilt)) {
    notify(MSG_REBUILT_LADDER_BROKEN, request.open_path);
    outcome.step = CompileStep::BUILD_FAILED;
    return outcome;
  }
  apply_comment_table(merged, table);

  // Both files are written whole beside the old ones first; only then does either replace
  // its old file. The gate is asked again as each new file is made and before each move.
  StagedFile operation(request.files.operation);
  StagedFile design(request.files.design, targets[1].marks_or_null());
  const auto refused = [&](const StagedFile& file, SetFile kind, CompileStep step) {
    if (!write_allowed(file.verdict())) {
      const WriteNotice notice = set_refusal_notice(kind, file.verdict(), file.path());
      notify(notice.text, notice.caption, request.owner);
      outcome.step = CompileStep::TARGET_REFUSED;
    } else {
      notify(MSG_WRITE_ERROR, file.path(), request.owner);
      outcome.step = step;
    }
    return outcome;
  };
  if (!operation.open()) {
    if (!write_allowed(operation.verdict())) return refused(operation, SetFile::OPERATION, CompileStep::OPERATION_NOT_WRITTEN);
    char text[600];
    std::snprintf(text, sizeof text, MSG_SEQ_NOT_OPENED, request.files.operation.c_str());
    notify(text, CAPTION_WARN);
    outcome.step = CompileStep::OPERATION_NOT_WRITTEN;
    return outcome;
  }
  if (!design.open()) {
    if (!write_allowed(design.verdict())) return refused(design, SetFile::DESIGN, CompileStep::DESIGN_NOT_WRITTEN);
    notify(MSG_FILE_NOT_OPENED, request.files.design);
    outcome.step = CompileStep::DESIGN_NOT_WRITTEN;
    return outcome;
  }
  g_instruction_list = list;
  const bool records_written = write_seq_file(operation.stream()) == 0;
  g_instruction_list = {};
  if (!records_written ||
      write_design_file(request.owner, merged, nullptr, operation.stream(), DESIGN_FILE_APPENDED) != 0 ||
      !finish_writing(operation.stream()))
    return refused(operation, SetFile::OPERATION, CompileStep::OPERATION_NOT_WRITTEN);
  if (write_design_file(request.owner, merged, nullptr, design.stream(), DESIGN_FILE_STANDALONE) != 0 ||
      !finish_writing(design.stream()))
    return refused(design, SetFile::DESIGN, CompileStep::DESIGN_NOT_WRITTEN);
  if (!design.commit()) return refused(design, SetFile::DESIGN, CompileStep::DESIGN_NOT_WRITTEN);

  // The design file holds the rebuilt design: the window's grid and its saved copy take it.
  copy_rows(merged, grid);
  copy_rows(grid, request.saved_copy);
  g_comments_changed = 0;

  if (!operation.commit()) {
    // The design is saved, but no operation file matches it: it counts as not compiled.
    g_saved_uncompiled = 1;
    return refused(operation, SetFile::OPERATION, CompileStep::OPERATION_NOT_WRITTEN);
  }
  g_saved_uncompiled = 0;
  outcome.step = CompileStep::WRITTEN;
  return outcome;
}

// ---- Read-back --------------------------------------------------------------------------------------

bool read_back_operation_file(const std::string& operation_path, const std::string& caption) {
  std::FILE* stream = open_file(operation_path.c_str(), "r");
  if (!stream) {
    notify(MSG_NO_OPERATION_FILE, caption);
    return false;
  }
  release_read_back();
  try {
    g_read_back_list = std::make_unique<InstructionList>(make_instruction_list());
    // The design part is written in run-length groups, so the file's length says little
    // about its rows: the grid holds every design the program allows.
    g_read_back_grid = std::make_unique<LadderGrid>(make_ladder_grid(MAX_GRID_ROWS));
  } catch (const std::bad_alloc&) {
    std::fclose(stream);
    release_read_back();
    notify(MSG_NO_MEMORY_READ_BACK, caption);
    return false;
  }
  g_end_record_index = 0;
  const int result = read_seq_file(*g_read_back_grid, *g_read_back_list, stream, true);
  std::fclose(stream);
  if (result != SEQ_FILE_OK) {
    release_read_back();
    notify(MSG_NO_OPERATION_FILE, caption);
    return false;
  }
  g_instruction_list = *g_read_back_list;
  g_seq_grid = *g_read_back_grid;
  g_seq_path = operation_path;
  return true;
}

void take_loaded_cpu_settings() {
  g_cpu_settings.option_a = g_loaded_cpu_settings.option_a;
  g_cpu_settings.option_b = g_loaded_cpu_settings.option_b;
  g_cpu_settings.option_c = g_loaded_cpu_settings.option_c;
  g_cpu_settings.option_d = g_loaded_cpu_settings.option_d;
  g_cpu_settings.port_value = g_loaded_cpu_settings.port_value;
  g_cpu_settings.clock_high = g_loaded_cpu_settings.clock_high;
  g_cpu_settings.clock_low = g_loaded_cpu_settings.clock_low;
  std::memcpy(g_cpu_settings.cpu_name, g_loaded_cpu_settings.cpu_name, sizeof g_cpu_settings.cpu_name);
  g_cpu_settings.cpu_name[sizeof g_cpu_settings.cpu_name - 1] = 0;
}

// ---- Operation file to mnemonic file -------------------------------------------------------------------

int convert_seq_to_commented_nic(void* owner, const std::string& mnemonic_path, const std::string& listing_path,
                                 const std::string& caption) {
  DeviceCommentTable table;
  try {
    table = make_device_comment_table(comment_table_records(g_seq_grid));
  } catch (const std::bad_alloc&) {
    notify(MSG_NO_MEMORY, caption);
    return -1;
  }
  if (!g_seq_grid.empty()) collect_comment_table(table, g_seq_grid);
  if (mnemonic_path.size() < sizeof g_cpu_settings.mnemonic_path)
    std::memcpy(g_cpu_settings.mnemonic_path, mnemonic_path.c_str(), mnemonic_path.size() + 1);

  const int converted = convert_seq_to_nic(owner, &g_cpu_settings, g_seq_path.c_str(), 0);
  if (converted != 0) return converted;

  const int end_mark = g_seq_grid.empty() ? 0 : end_mark_row_of(g_seq_grid);
  // A design long enough fills the whole text by itself: the file's lines are then not
  // counted.
  const int by_grid = mnemonic_buffer_lines(end_mark, 0);
  const int buffer_lines =
      by_grid == MAX_TEXT_LINES ? by_grid : mnemonic_buffer_lines(end_mark, count_file_lines(mnemonic_path));
  std::unique_ptr<MnemonicText> text;
  try {
    text = std::make_unique<MnemonicText>(make_mnemonic_text(buffer_lines));
  } catch (const std::bad_alloc&) {
    notify(MSG_NO_MEMORY, caption);
    return -1;
  }
  std::FILE* in = open_file(mnemonic_path.c_str(), "r");
  if (!in) {
    notify(MSG_FILE_NOT_OPENED, caption);
    return -1;
  }
  int lines = 0;
  const int read = read_nic_file(*text, in, &lines);
  std::fclose(in);
  if (read != 0) {
    notify(MSG_FILE_NOT_OPENED, caption);
    return -1;
  }
  annotate_text_with_comments(table, *text);
  StagedFile out(mnemonic_path);
  const bool opened = out.open();
  if (!opened || write_nic_text(*text, out.stream(), 0) != 0 || !out.commit()) {
    if (!write_allowed(out.verdict())) {
      const WriteNotice notice = set_refusal_notice(SetFile::MNEMONIC, out.verdict(), mnemonic_path);
      notify(notice.text, notice.caption, owner);
    } else {
      notify(MSG_WRITE_ERROR, mnemonic_path, owner);
    }
    return -1;
  }
  if (file_exists(listing_path.c_str())) remove_file(listing_path.c_str());

  own_frame_mnemonic_text(std::move(text));
  return 0;
}

// ---- Operation file to design file --------------------------------------------------------------------

DesignConversion convert_list_to_design_file(const std::string& design_path, const std::string& project_name,
                                             const std::string& caption) {
  LadderGrid grid;
  DeviceCommentTable table;
  int end_record = 0;
  for (size_t i = 0; i < g_instruction_list.size() && !is_end_record(g_instruction_list[i]); ++i)
    end_record = static_cast<int>(i) + 1;
  try {
    grid = make_ladder_grid(list_grid_rows(std::max(g_end_record_index, end_record)));
  } catch (const std::bad_alloc&) {
    notify(MSG_NO_MEMORY, caption);
    return DesignConversion::NO_MEMORY;
  }
  const bool with_comments = !g_seq_grid.empty() && count_program_rows(g_seq_grid) != -1;
  if (with_comments) {
    g_program_row_count = count_program_rows(g_seq_grid);
    try {
      table = make_device_comment_table(comment_table_records(g_seq_grid));
    } catch (const std::bad_alloc&) {
      notify(MSG_NO_MEMORY, caption);
      return DesignConversion::NO_MEMORY;
    }
    collect_comment_table(table, g_seq_grid);
  }
  const int built = build_ladder_from_instructions(grid, g_instruction_list);
  if (built != 0) {
    const bool step_error = ((static_cast<uint32_t>(built) >> 24) & 0xF) == 0xA;
    notify(format_number(step_error ? MSG_STEP_ERROR : MSG_ANB_ORB_MISSING, (built & 0xFFFFF) + 1), CAPTION_WARN);
    return DesignConversion::BUILD_FAILED;
  }
  if (with_comments) apply_comment_table(grid, table);
  // The drawn ladder becomes a design the design screen opens and edits: it must keep the
  // grid's rules, as every other way into a design does.
  if (check_grid_invariants(grid)) {
    notify(MSG_REBUILT_LADDER_BROKEN, CAPTION_WARN);
    return DesignConversion::BUILD_FAILED;
  }

  StagedFile design(design_path);
  if (!design.open()) {
    if (!write_allowed(design.verdict())) {
      const WriteNotice notice = set_refusal_notice(SetFile::DESIGN, design.verdict(), design_path);
      notify(notice.text, notice.caption);
    } else {
      notify(MSG_FILE_NOT_OPENED, caption);
    }
    return DesignConversion::NOT_OPENED;
  }
  if (write_design_file(nullptr, grid, nullptr, design.stream(), DESIGN_FILE_STANDALONE) != 0 || !design.commit()) {
    if (!write_allowed(design.verdict())) {
      const WriteNotice notice = set_refusal_notice(SetFile::DESIGN, design.verdict(), design_path);
      notify(notice.text, notice.caption);
      return DesignConversion::NOT_OPENED;
    }
    notify(MSG_WRITE_ERROR, design_path);
    return DesignConversion::NOT_WRITTEN;
  }
  g_comments_changed = 0;
  notify(project_name + ".MBS " + MSG_DESIGN_MADE, CAPTION_CONFIRM);
  return DesignConversion::WRITTEN;
}

bool close_screens_for_compile(const CompileHost& host) {
  if (host.other_screens_open && host.other_screens_open()) {
    if (show_notice(MSG_CLOSE_OTHERS, CAPTION_WARN, NoticeStyle::OK_CANCEL) != NoticeAnswer::OK) return false;
    if (host.close_other_screens && !host.close_other_screens()) return false;
  }
  if (host.close_screen_dialogs) host.close_screen_dialogs();
  return true;
}

CompileChainOutcome compile_read_back_and_convert(const CompileRequest& request, const CompileHost& host,
                                                  const StoppedCompileRule& stopped) {
  auto call = [](const std::function<void()>& f) {
    if (f) f();
  };
  CompileChainOutcome result;
  const CompileOutcome compiled = compile_design_to_files(request);
  result.step = compiled.step;
  if (compiled.step == CompileStep::COMPILE_ERRORS) call(host.open_compile_errors);
  if (compiled.step == CompileStep::UNSUPPORTED_BRANCH) {
    result.end = CompileChainEnd::UNSUPPORTED_BRANCH;
    return result;
  }
  if (compiled.step != CompileStep::WRITTEN) {
    if (!stopped.read_back_previous_files) {
      // The previous files stay, and nothing is read back or converted: the command says
      // itself what the user is to know.
      call(host.repaint_designs);
      result.end = CompileChainEnd::NOT_WRITTEN;
      return result;
    }
    // A refused or unwritten file of the set ends the command: the grid is as it was, and
    // the windows repaint nothing new.
    if (!compiled.read_back()) {
      result.end = CompileChainEnd::NOT_WRITTEN;
      return result;
    }
  }

  // Whatever the compile did, the frame's view of the files follows what is on disk: the
  // operation file (the new one, or the one a stopped compile left) is read back and
  // converted again.
  call(host.repaint_designs);
  // A compile that ended without files, when no earlier compile left any, has nothing to
  // read back: the error list (or the compiler's own message) has said why, and a second
  // message that the operation file is missing would read as a second failure.
  if (compiled.step != CompileStep::WRITTEN && !stopped.operation_file_existed) {
    result.end = CompileChainEnd::NOT_READ_BACK;
    return result;
  }
  // Only the text this run converts counts, never one left from an earlier conversion or
  // one freed with its window.
  release_frame_mnemonic_text();
  clear_current_mnemonic_text();
  if (!read_back_operation_file(request.files.operation, request.open_path)) {
    result.end = CompileChainEnd::NOT_READ_BACK;
    return result;
  }
  const int converted = host.convert_compiled_files ? host.convert_compiled_files() : -1;
  if (converted != 0 || g_mnemonic_text.empty()) {
    result.end = CompileChainEnd::NOT_CONVERTED;
    return result;
  }
  call(host.clear_main_selection);
  call(host.reset_design_modes);
  take_loaded_cpu_settings();
  result.end = CompileChainEnd::CONVERTED;
  return result;
}
