#include "design/compile_command.h"

#include "core/notice.h"
#include "target/monitor_protocol.h"

namespace {

void call(const std::function<void()>& f) {
  if (f) f();
}

bool ask(const char* text, const char* caption) {
  return show_notice(text, caption, NoticeStyle::OK_CANCEL) == NoticeAnswer::OK;
}

}  // namespace

DesignCompileResult run_design_compile(const DesignCompileRequest& request, const DesignCompileHost& host) {
  DesignCompileResult result;
  call(host.reset_design_modes);
  if (host.status) host.status("READY");

  if (!request.main_exists || request.grid.empty()) {
    show_notice(MSG_COMPILE_NO_MAIN, CAPTION_WARN, NoticeStyle::OK);
    result.end = DesignCompileEnd::NO_MAIN_DESIGN;
    return result;
  }
  if (request.project_name == UNNAMED_PROJECT || request.project_name.empty()) {
    show_notice(MSG_COMPILE_UNNAMED, CAPTION_WARN, NoticeStyle::OK);
    result.end = DesignCompileEnd::UNNAMED;
    return result;
  }
  // The program goes into the project's files: a main window of another file would have its
  // program written over the project's design.
  if (refuse_other_project(request.view_path, request.files.design, request.files.design, request.owner)) {
    result.end = DesignCompileEnd::NOT_WRITTEN;
    return result;
  }
  // Every file the command writes is looked at before a window is closed or a file written:
  // a design opened read-only, a read-only, locked or missing target stops it here.
  std::vector<SetTarget> targets = project_set(request.files, &request.design_marks);
  if (!check_set_targets(targets, request.owner)) {
    result.end = DesignCompileEnd::NOT_WRITTEN;
    return result;
  }
  if (host.other_windows_open && host.other_windows_open()) {
    if (!ask(MSG_COMPILE_CLOSE_OTHERS, CAPTION_WARN)) {
      result.end = DesignCompileEnd::KEPT_WINDOWS;
      return result;
    }
    if (host.close_other_windows && !host.close_other_windows()) {
      result.end = DesignCompileEnd::KEPT_WINDOWS;
      return result;
    }
  }
  call(host.close_screen_dialogs);
  const bool operation_exists = host.file_exists && host.file_exists(request.files.operation);
  if (operation_exists && host.query_modified && host.query_modified() == 0 &&
      !ask(MSG_COMPILE_UNCHANGED, CAPTION_CONFIRM)) {
    result.end = DesignCompileEnd::NOT_FORCED;
    return result;
  }

  CompileRequest compile;
  compile.owner = request.owner;
  compile.grid = request.grid;
  compile.saved_copy = request.saved_copy;
  compile.files = request.files;
  compile.view_path = request.view_path;
  compile.open_path = request.open_path;
  compile.has_design_marks = true;
  compile.design_marks = request.design_marks;
  const CompileOutcome outcome = compile_design_to_files(compile);
  result.compiled = true;
  result.step = outcome.step;
  if (outcome.step == CompileStep::COMPILE_ERRORS) call(host.open_compile_errors);
  if (!outcome.read_back()) {
    result.end = outcome.step == CompileStep::UNSUPPORTED_BRANCH ? DesignCompileEnd::UNSUPPORTED_BRANCH
                                                                  : DesignCompileEnd::NOT_WRITTEN;
    // The grid is as it was: the window repaints nothing new.
    return result;
  }

  // Whatever the compile did, the frame's view of the files follows what is on disk: the
  // operation file (the new one, or the one a failed compile left) is read back and
  // converted again. Only a text this conversion makes counts as converted.
  call(host.repaint_designs);
  // A compile that ended without files, when no earlier compile left any, has nothing to
  // read back: the error list (or the compiler's own message) has said why, and a second
  // message that the operation file is missing would read as a second failure.
  if (outcome.step != CompileStep::WRITTEN && !operation_exists) {
    result.end = DesignCompileEnd::NOT_READ_BACK;
    return result;
  }
  release_frame_mnemonic_text();
  clear_current_mnemonic_text();
  if (!read_back_operation_file(request.files.operation, request.open_path)) {
    result.end = DesignCompileEnd::NOT_READ_BACK;
    return result;
  }
  if (host.convert_to_mnemonic) host.convert_to_mnemonic();
  if (g_mnemonic_text.empty()) {
    result.end = DesignCompileEnd::NOT_CONVERTED;
    return result;
  }
  call(host.clear_main_selection);
  call(host.reset_design_modes);
  take_loaded_cpu_settings();
  result.end = DesignCompileEnd::CONVERTED;
  return result;
}
