#include "mnemonic/mnemonic_compile.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "core/compiler_checks.h"
#include "core/design_file.h"
#include "core/device_comments.h"
#include "core/ladder_builder.h"
#include "core/ladder_compiler.h"
#include "core/mnemonic_parser.h"
#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "core/seq_file.h"
#include "core/text_file.h"
#include "core/grid_invariants.h"
#include "shell/view_state.h"
#include "shell/file_replace.h"
#include "mnemonic/mnemonic_editor.h"
#include "mnemonic/mnemonic_screen.h"

namespace {

void notify(const std::string& text, const std::string& caption, void* owner = nullptr) {
  show_notice(text.c_str(), caption.c_str(), NoticeStyle::OK, owner);
}

void call(const std::function<void()>& f) {
  if (f) f();
}

// The working lists must not stay named once they are freed.
struct ListNameGuard {
  bool active = true;
  ~ListNameGuard() {
    if (active) g_instruction_list = {};
  }
};

int end_record_of(ConstListSpan list) {
  for (size_t i = 0; i < list.size(); ++i)
    if (is_end_record(list[i])) return static_cast<int>(i);
  return static_cast<int>(list.size());
}

}  // namespace

int parse_list_records(int lines) {
  const long long wanted = 2LL * std::max(lines, 0) + 2;
  return static_cast<int>(std::min<long long>(wanted, MAX_INSTRUCTIONS));
}

int parse_grid_rows(int lines, int records) {
  const long long wanted = static_cast<long long>(std::max({lines, records, 0})) + 12;
  return static_cast<int>(std::min<long long>(wanted, MAX_GRID_ROWS));
}

MnemonicCompileEnd run_mnemonic_compile(const MnemonicCompileRequest& request, const MnemonicCompileHost& host) {
  call(host.reset_design_modes);
  if (!request.first_window || request.text.empty()) {
    notify(MSG_COMPILE_NOT_FIRST, CAPTION_WARN, request.owner);
    return MnemonicCompileEnd::NOT_FIRST;
  }
  if (request.project_name == NEW_PROJECT_NAME) {
    notify(MSG_COMPILE_NEW, CAPTION_WARN, request.owner);
    return MnemonicCompileEnd::UNNAMED;
  }
  // The text is compiled into the project's operation and design files: a text of another
  // file would have its program written over the project's design.
  if (refuse_other_project(request.mnemonic_path, request.files.mnemonic, request.files.design, request.owner))
    return MnemonicCompileEnd::TARGET_REFUSED;
  // The operation file, the window's own mnemonic file and the design file the frame
  // writes afterwards: all are looked at before a window is closed or a file written.
  std::vector<SetTarget> targets{{request.files.operation, SetFile::OPERATION, false, {}},
                                 {request.mnemonic_path, SetFile::MNEMONIC, true, request.marks},
                                 {request.files.design, SetFile::DESIGN, false, {}}};
  if (!check_set_targets(targets, request.owner)) return MnemonicCompileEnd::TARGET_REFUSED;
  if (host.monitor_open && host.monitor_open()) {
    if (show_notice(MSG_CLOSE_MONITOR, CAPTION_WARN, NoticeStyle::OK_CANCEL, request.owner) != NoticeAnswer::OK)
      return MnemonicCompileEnd::KEPT_MONITOR;
    if (host.close_monitors && !host.close_monitors()) return MnemonicCompileEnd::KEPT_MONITOR;
  }
  call(host.close_screen_dialogs);
  const bool unchanged = !request.saved.empty() && text_differs_from_saved(request.text, request.saved) == 0;
  if (unchanged && file_exists(request.files.operation.c_str()) &&
      show_notice(MSG_TEXT_UNCHANGED, request.open_path.c_str(), NoticeStyle::OK_CANCEL, request.owner) !=
          NoticeAnswer::OK)
    return MnemonicCompileEnd::NOT_FORCED;

  ListNameGuard names;
  const int lines = count_text_lines(request.text);
  InstructionList parsed;
  DeviceCommentTable table;
  try {
    parsed = make_instruction_list(parse_list_records(lines));
    table = make_device_comment_table(std::min(lines + 10, MAX_DEVICE_COMMENTS));
  } catch (const std::bad_alloc&) {
    notify(MSG_NO_MEMORY, request.view_path);
    return MnemonicCompileEnd::NO_MEMORY;
  }
  g_instruction_list = parsed;
  const int parse = parse_mnemonic_text(request.owner, table, request.text, parsed, nullptr, 0);
  if (parse == PARSE_ERRORS) {
    call(host.open_error_list);
    return MnemonicCompileEnd::PARSE_ERRORS;
  }
  if (parse != PARSE_OK) return MnemonicCompileEnd::PARSE_STOPPED;
  if (find_end_line(request.text) == -1) {
    notify(MSG_NO_END_LINE, CAPTION_WARN);
    return MnemonicCompileEnd::NO_END;
  }

  g_mnemonic_line_count = lines;
  LadderGrid grid;
  InstructionList compiled;
  try {
    grid = make_ladder_grid(parse_grid_rows(lines, end_record_of(parsed)));
    compiled = make_instruction_list();
  } catch (const std::bad_alloc&) {
    notify(MSG_NO_MEMORY, request.view_path);
    call(host.repaint_mnemonic_windows);
    return MnemonicCompileEnd::NO_MEMORY;
  }
  const int built = build_ladder_from_instructions(grid, parsed);
  if (built != BUILD_OK) {
    const bool use_error = ((static_cast<uint32_t>(built) >> 24) & 0xF) == 0xA;
    char text[200];
    std::snprintf(text, sizeof text, use_error ? MSG_STEP_USE_ERROR : MSG_ANB_ORB_MISSING,
                  build_error_position(built));
    notify(text, CAPTION_WARN);
    call(host.repaint_mnemonic_windows);
    return MnemonicCompileEnd::BUILD_FAILED;
  }

  // The drawn ladder becomes the design file's grid: it must keep the grid's rules.
  if (check_grid_invariants(grid)) {
    notify(MSG_REBUILT_LADDER_BROKEN, CAPTION_WARN);
    call(host.repaint_mnemonic_windows);
    return MnemonicCompileEnd::BUILD_FAILED;
  }

  // The drawn ladder is compiled as the design screen compiles it; a fault of its own
  // stops the command, so that no operation file is written from a half-built list.
  g_program_row_count = count_program_rows(grid);
  clear_conversion_errors();
  const int compile = compile_ladder(request.owner, grid, compiled, nullptr, 0);
  if (compile != CompileResult::OK) {
    if (compile == CompileResult::ERRORS && g_conversion_error_count > 0)
      notify(compile_error_text(g_conversion_errors[0] >> 24), CAPTION_WARN);
    call(host.repaint_mnemonic_windows);
    return MnemonicCompileEnd::COMPILE_FAILED;
  }
  apply_comment_table(grid, table);

  // The questions above leave the user time to change the files: the set is looked at again
  // before the first file is made, with the design file the frame writes afterwards, which no
  // staged file of this command looks at.
  if (!check_set_targets(targets, request.owner)) {
    call(host.repaint_mnemonic_windows);
    return MnemonicCompileEnd::TARGET_REFUSED;
  }
  // Both files are written whole beside the old ones before either replaces its old file;
  // the gate is asked again as each is made and before each move.
  StagedFile operation(request.files.operation);
  StagedFile mnemonic(request.mnemonic_path, targets[1].marks_or_null());
  const auto stop = [&](const StagedFile& file, SetFile kind, MnemonicCompileEnd end, bool opening) {
    if (!write_allowed(file.verdict())) {
      const WriteNotice notice = set_refusal_notice(kind, file.verdict(), file.path());
      notify(notice.text, notice.caption, request.owner);
      end = MnemonicCompileEnd::TARGET_REFUSED;
    } else {
      notify(opening ? MSG_FILE_NOT_OPENED : MSG_FILE_SAVE_FAILED, file.path());
    }
    call(host.repaint_mnemonic_windows);
    return end;
  };
  if (!operation.open()) return stop(operation, SetFile::OPERATION, MnemonicCompileEnd::OPERATION_NOT_WRITTEN, true);
  if (!mnemonic.open()) return stop(mnemonic, SetFile::MNEMONIC, MnemonicCompileEnd::MNEMONIC_NOT_WRITTEN, true);
  g_instruction_list = compiled;
  const bool records_written = write_seq_file(operation.stream()) == 0;
  g_instruction_list = {};
  if (!records_written ||
      write_design_file(request.owner, grid, nullptr, operation.stream(), DESIGN_FILE_APPENDED_NO_SPECIAL) != 0 ||
      !finish_writing(operation.stream()))
    return stop(operation, SetFile::OPERATION, MnemonicCompileEnd::OPERATION_NOT_WRITTEN, false);
  if (write_nic_text(request.text, mnemonic.stream(), 0) != 0 || !finish_writing(mnemonic.stream()))
    return stop(mnemonic, SetFile::MNEMONIC, MnemonicCompileEnd::MNEMONIC_NOT_WRITTEN, false);
  if (!operation.commit()) return stop(operation, SetFile::OPERATION, MnemonicCompileEnd::OPERATION_NOT_WRITTEN, false);
  if (!mnemonic.commit()) return stop(mnemonic, SetFile::MNEMONIC, MnemonicCompileEnd::MNEMONIC_NOT_WRITTEN, false);
  if (!request.saved.empty()) copy_text_to_saved(request.text, request.saved, &g_mnemonic_line_count);
  call(host.repaint_mnemonic_windows);

  // From here g_instruction_list names the frame's own read-back list.
  names.active = false;
  if (!read_back_operation_file(request.files.operation, request.open_path)) return MnemonicCompileEnd::NOT_READ_BACK;
  call(host.convert_to_design);
  return MnemonicCompileEnd::CONVERTED;
}

// ---- The error list ----------------------------------------------------------------------------

std::vector<std::string> parse_error_list_lines() {
  std::vector<std::string> out;
  const int count = std::clamp(g_conversion_error_count, 0, MAX_CONVERSION_ERRORS);
  for (int i = 0; i < count; ++i) {
    char line[256];
    format_parse_error(g_conversion_errors[static_cast<size_t>(i)], line);
    out.emplace_back(line);
  }
  return out;
}

int jump_to_parse_error(ConstTextSpan text, ViewState& view, ConversionError word) {
  const int last = last_caret_line(text);
  const int g = std::clamp(static_cast<int>(parse_error_line(word)), 0, std::max(last, 0));
  view.sel_col = 0;
  view.sel_width = 2;
  view.cursor_col = 0;
  const bool shown = view.top_row <= g && g <= view.top_row + view.visible_rows;
  view.cursor_row = view.sel_row = g;
  if (!shown) {
    int t = g;
    const int end = find_end_line(text);
    if (end >= 0) t = std::min(t, end - view.visible_rows);
    view.top_row = std::max(0, t - 1);
  }
  return g;
}
