#include "design/compile_command.h"

#include "core/notice.h"

namespace {

void call(const std::function<void()>& f) {
  if (f) f();
}

bool ask(const char* text, const char* caption) {
  return show_notice(text, caption, NoticeStyle::OK_CANCEL) == NoticeAnswer::OK;
}

DesignCompileEnd design_compile_end(CompileChainEnd end) {
  switch (end) {
    case CompileChainEnd::UNSUPPORTED_BRANCH: return DesignCompileEnd::UNSUPPORTED_BRANCH;
    case CompileChainEnd::NOT_WRITTEN: return DesignCompileEnd::NOT_WRITTEN;
    case CompileChainEnd::NOT_READ_BACK: return DesignCompileEnd::NOT_READ_BACK;
    case CompileChainEnd::NOT_CONVERTED: return DesignCompileEnd::NOT_CONVERTED;
    case CompileChainEnd::CONVERTED: return DesignCompileEnd::CONVERTED;
  }
  return DesignCompileEnd::NOT_WRITTEN;
}

}  // namespace

DesignCompileResult run_design_compile(const DesignCompileRequest& request, const CompileHost& host) {
  DesignCompileResult result;
  call(host.reset_design_modes);
  if (host.status) host.status(STATUS_READY);

  if (!request.main_exists || request.grid.empty()) {
    show_notice(MSG_NO_MAIN_DESIGN, CAPTION_WARN, NoticeStyle::OK);
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
  if (!close_screens_for_compile(host)) {
    result.end = DesignCompileEnd::KEPT_WINDOWS;
    return result;
  }
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
  // A compile the compiler or the rebuild stopped still reads back the operation file an
  // earlier compile left, so the frame's view follows what is on disk.
  const CompileChainOutcome outcome = compile_read_back_and_convert(
      compile, host, StoppedCompileRule{.read_back_previous_files = true, .operation_file_existed = operation_exists});
  result.compiled = true;
  result.step = outcome.step;
  result.end = design_compile_end(outcome.end);
  return result;
}
