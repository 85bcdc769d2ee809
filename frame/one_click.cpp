#include "frame/one_click.h"

#include <algorithm>
#include <cstring>

#include "core/design_file.h"
#include "core/notice.h"
#include "core/text_file.h"
#include "target/board_link.h"
#include "target/monitor_protocol.h"

namespace {

void call(const std::function<void()>& f) {
  if (f) f();
}

void notify(const char* text, const std::string& caption) { show_notice(text, caption.c_str(), NoticeStyle::OK); }

bool grids_differ(ConstGridSpan a, ConstGridSpan b) {
  if (a.size() != b.size()) return true;
  for (size_t r = 0; r < a.size(); ++r)
    for (int c = 0; c < ROW_CELLS; ++c)
      if (a[r].cell[c].word[0] != b[r].cell[c].word[0] || a[r].cell[c].word[1] != b[r].cell[c].word[1]) return true;
  return false;
}

// Saves the active window's grid under its own path, beside the old file first.
bool save_active_design(const OneClickView& view, const OneClickMain& main) {
  DocumentMarks marks;
  marks.opened_read_only = view.read_only;
  GateVerdict verdict = GateVerdict::WRITE;
  const ReplaceResult saved = write_file_replacing(
      view.path,
      [&](std::FILE* stream) { return write_design_file(nullptr, view.grid, nullptr, stream, DESIGN_FILE_STANDALONE) == 0; },
      &marks, &verdict);
  if (saved == ReplaceResult::REFUSED) {
    const WriteNotice notice = save_refusal_notice(verdict, view.path);
    notify(notice.text.c_str(), notice.caption);
    return false;
  }
  if (saved == ReplaceResult::NOT_OPENED) {
    notify(MSG_FILE_NOT_OPENED, view.path);
    return false;
  }
  if (saved != ReplaceResult::REPLACED) {
    notify(MSG_WRITE_ERROR, view.path);
    return false;
  }
  if (!main.saved_copy.empty()) {
    g_saved_uncompiled = grids_differ(view.grid, main.saved_copy) ? 1 : 0;
    const size_t n = std::min(view.grid.size(), main.saved_copy.size());
    std::copy(view.grid.begin(), view.grid.begin() + static_cast<std::ptrdiff_t>(n), main.saved_copy.begin());
  }
  g_comments_changed = 0;
  return true;
}

}  // namespace

OneClickEnd run_one_click_write(const OneClickRequest& request, const CompileHost& host) {
  // The command belongs to the design window; from any other window it would write that
  // window's document over a design file.
  if (!request.view.is_design_window || request.view.grid.empty()) return OneClickEnd::NOT_A_DESIGN_WINDOW;
  show_notice(MSG_ONE_CLICK_NOTICE, CAPTION_MESSAGE, NoticeStyle::OK);

  const OneClickView& view = request.view;
  if (view.second_file) {
    notify(MSG_SECOND_FILE, CAPTION_WARN);
    return OneClickEnd::REFUSED;
  }
  if (view.read_only) {
    notify(MSG_READ_ONLY, view.path);
    return OneClickEnd::REFUSED;
  }
  if (view.title == UNNAMED_DESIGN_TITLE || view.path.empty()) {
    notify(MSG_UNNAMED, CAPTION_WARN);
    return OneClickEnd::REFUSED;
  }

  // The design saved is compiled into the project's files: a design of another file would
  // have its program written over the project's design.
  if (refuse_other_project(view.path, request.files.design, request.files.design)) return OneClickEnd::REFUSED;

  // The command writes the design, the operation file and the mnemonic file: every one of
  // them is looked at before the first is written.
  DocumentMarks marks;
  marks.opened_read_only = view.read_only;
  std::vector<SetTarget> targets = project_set(request.files, &marks);
  if (!check_set_targets(targets)) return OneClickEnd::REFUSED;

  if (host.status) host.status(STATUS_READY);
  if (!save_active_design(view, request.main)) return OneClickEnd::NOT_SAVED;
  call(host.reset_design_modes);
  if (host.status) host.status(STATUS_READY);

  if (!request.main.exists || request.main.grid.empty()) {
    notify(MSG_NO_MAIN_DESIGN, CAPTION_WARN);
    return OneClickEnd::NO_MAIN_DESIGN;
  }
  if (!close_screens_for_compile(host)) return OneClickEnd::CANCELLED;

  CompileRequest compile;
  compile.grid = request.main.grid;
  compile.saved_copy = request.main.saved_copy;
  compile.files = request.files;
  compile.view_path = view.path;
  compile.open_path = request.main.open_path;
  // A compile that ended early leaves the previous files: the board keeps what it has
  // rather than get an older program than the design shows, and the user is told so.
  // Nothing is read back or converted, since nothing is written. Only the text this run
  // converts is written into the board.
  const CompileChainOutcome compiled =
      compile_read_back_and_convert(compile, host, StoppedCompileRule{.read_back_previous_files = false});
  switch (compiled.end) {
    case CompileChainEnd::UNSUPPORTED_BRANCH:
      return OneClickEnd::UNSUPPORTED_BRANCH;
    case CompileChainEnd::NOT_WRITTEN:
      notify(MSG_NOTHING_WRITTEN, CAPTION_WARN);
      return OneClickEnd::COMPILE_FAILED;
    case CompileChainEnd::NOT_READ_BACK:
      return OneClickEnd::NOT_READ_BACK;
    case CompileChainEnd::NOT_CONVERTED:
      return OneClickEnd::NOT_CONVERTED;
    case CompileChainEnd::CONVERTED:
      break;
  }

  if (!open_link_for_write()) return OneClickEnd::NO_LINK;
  char end_answer[16];
  int ascii_lines = 0;
  if (write_program_to_target(g_mnemonic_text, end_answer, &ascii_lines) != 0) return OneClickEnd::WRITE_FAILED;
  // Comments the board took by their ASCII part only are said in the end message's
  // second line: the board does not hold them as they were written.
  std::string written = MSG_PROGRAM_WRITTEN;
  if (ascii_lines > 0) written += "\n" + ascii_comment_note(MSG_ASCII_COMMENTS_WRITTEN, ascii_lines);
  notify(written.c_str(), request.main.open_path);
  return OneClickEnd::WRITTEN;
}
