// The print command on the real frame: the status text, the question, the refusals, and the
// hand-off to a stand-in printing library copied into the program folder, which records
// what it was handed.
#include "bars_frame.h"

#include "core/ladder_model.h"
#include "design/design_window_win.h"
#include "shell/documents.h"
#include "win/design_fixtures.h"
#include "frame/print_command.h"
#include "frame/print_command_win.h"
#include "shell/settings_file.h"
#include "tools/print_probe.h"

namespace {

using bars_test::BarsFrame;


std::wstring build_file(const std::wstring& relative) {
  std::wstring path = cp932_to_wide(TAVOLIN_BUILD_DIR) + L"/" + relative;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring status_text(int part) {
  wchar_t text[256] = L"";
  SendMessageW(g_status_bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
  return text;
}

const std::wstring PRINT_STATUS = L"印刷用ﾀﾞｲｱﾛｸﾞﾎﾞｯｸｽのﾍﾟｰｼﾞ指定は、行数指定と考えて下さい！";

class PrintCommand : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    g_guide_flags = {0, 0, 0, 0};
    g_design_file_count = 0;
    GetClientRect(frame, &g_client_rect);
  }

  // The library the program folder holds: "print_probe" or "print_probe_no_entry".
  void put_library(const wchar_t* probe) {
    const std::wstring target = folder_->file(L"dabu42QX.dll");
    ASSERT_TRUE(CopyFileW(build_file(std::wstring(probe) + L"/dabu42QX.dll").c_str(), target.c_str(), FALSE));
    library_path = target;
  }

  // Opens the design file LAMP.MBS as the user would: the design screen with its main
  // design window. Returns the window's grid.
  const LadderGrid* open_design() {
    EXPECT_TRUE(write_sample_design(folder_->file(L"LAMP.MBS")));
    dialogs_->choose(bars_test::narrow(folder_->file(L"LAMP.MBS")));
    command(CMD_OPEN_DESIGN);
    pump_messages();
    EXPECT_EQ(g_toolbar_kind, TOOLBAR_KIND_DESIGN);
    const WindowHandle first = g_design_windows[0];
    EXPECT_NE(first, 0u);
    return first != 0 ? design_grid_of(as_hwnd(first)) : nullptr;
  }

  const ProbeCall* probe() const {
    if (!g_print_library) return nullptr;
    using Last = const ProbeCall* (*)();
    auto last = reinterpret_cast<Last>(reinterpret_cast<void*>(GetProcAddress(g_print_library, "ProbeLastCall")));
    return last ? last() : nullptr;
  }

  bool library_in_process() const { return GetModuleHandleW(library_path.c_str()) != nullptr; }

  std::wstring library_path = L"dabu42QX.dll";
};

TEST_F(PrintCommand, DesignScreenAsksThenHandsTheDesignToTheLibrary) {
  put_library(L"print_probe");
  const LadderGrid* grid = open_design();
  ASSERT_NE(grid, nullptr);
  // The project's design file, in the short form the frame keeps its folder in.
  const std::string design_path = std::string(g_project_drive) + g_project_dir + "LAMP.MBS";
  EXPECT_STREQ(g_project_name, "LAMP");
  struct Row {
    int32_t picture_set;
    int print_mode;
  };
  for (const Row r : {Row{0, 4}, Row{1, 6}}) {
    g_picture_set = r.picture_set;
    boxes_->answer(IDOK);
    command(CMD_PRINT);
    EXPECT_EQ(status_text(0), PRINT_STATUS);
    const ShownMessageBox& question = boxes_->shown().back();
    EXPECT_EQ(question.text, L"LAMP.MBSの 設計画面を\nプリントアウトしますか？");
    EXPECT_EQ(question.caption, cp932_to_wide(g_child_open.path));  // the file opened last
    EXPECT_EQ(question.style & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_EQ(g_cpu_settings.print_mode, r.print_mode);

    const ProbeCall* call = probe();
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->owner, frame);
    EXPECT_EQ(call->settings, &g_cpu_settings);
    EXPECT_EQ(call->print_mode, r.print_mode);
    EXPECT_STREQ(call->program_folder, g_start_folder);
    EXPECT_EQ(call->design_path, design_path);
    EXPECT_EQ(call->grid, grid);
    EXPECT_EQ(call->text, nullptr);
    EXPECT_EQ(call->io_parts, g_io_parts_list.data());
    EXPECT_STREQ(call->io_first, "QQQQQQ");
  }
  EXPECT_EQ(probe()->calls, 2);
  EXPECT_EQ(boxes_->shown().size(), 2u);
  g_picture_set = 0;
}

TEST_F(PrintCommand, TheLibraryIsLoadedOnceAndFreedWithTheFrame) {
  put_library(L"print_probe");
  open_design();
  boxes_->answer(IDOK);
  command(CMD_PRINT);
  const HMODULE first = g_print_library;
  ASSERT_NE(first, nullptr);
  boxes_->answer(IDOK);
  command(CMD_PRINT);
  EXPECT_EQ(g_print_library, first);
  EXPECT_EQ(probe()->calls, 2);
  // One load, one free: after the frame is gone the library has left the process.
  DestroyWindow(frame);
  pump_messages();
  EXPECT_EQ(g_print_library, nullptr);
  EXPECT_EQ(g_print_proc, nullptr);
  EXPECT_FALSE(library_in_process());
}

TEST_F(PrintCommand, CancelledQuestionLoadsNothing) {
  put_library(L"print_probe");
  open_design();
  boxes_->answer(IDCANCEL);
  command(CMD_PRINT);
  EXPECT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(g_print_library, nullptr);
  EXPECT_FALSE(library_in_process());
}

TEST_F(PrintCommand, MnemonicScreenWarnsAndLoadsNothing) {
  put_library(L"print_probe");
  open_design();  // a design window open beside it changes nothing
  show_toolbar(CMD_SCREEN_MNEMONIC);
  create_document_window(L"nicfl", L"  LAMP.NIC");
  boxes_->answer(IDOK);
  command(CMD_PRINT);
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(boxes_->shown()[0].text, L"No Support this Mode for *.NIC File");
  EXPECT_EQ(boxes_->shown()[0].caption, L"警告");
  EXPECT_EQ(status_text(0), PRINT_STATUS);
  EXPECT_EQ(g_print_library, nullptr);
  EXPECT_FALSE(library_in_process());
}

TEST_F(PrintCommand, ScreensWithoutTheirFirstWindowShowOnlyTheStatusText) {
  put_library(L"print_probe");
  // The initial toolbar with nothing open; the design toolbar without a design window; the
  // mnemonic toolbar without a mnemonic window; the monitor toolbar with a design window.
  command(CMD_PRINT);
  EXPECT_EQ(status_text(0), PRINT_STATUS);
  show_toolbar(CMD_SCREEN_DESIGN);
  command(CMD_PRINT);
  show_toolbar(CMD_SCREEN_MNEMONIC);
  command(CMD_PRINT);
  open_design();
  show_toolbar(CMD_SCREEN_OPERATION);
  command(CMD_PRINT);
  EXPECT_TRUE(boxes_->shown().empty());
  EXPECT_EQ(g_print_library, nullptr);
  EXPECT_FALSE(library_in_process());
}

TEST_F(PrintCommand, AMissingLibraryIsNamedInAWarningAndNothingIsCalled) {
  open_design();
  boxes_->answer(IDOK);
  boxes_->answer(IDOK);
  command(CMD_PRINT);
  ASSERT_EQ(boxes_->shown().size(), 2u);
  const ShownMessageBox& warning = boxes_->shown()[1];
  EXPECT_EQ(warning.caption, L"警告");
  EXPECT_EQ(warning.text,
            cp932_to_wide(g_start_folder) + L"\\dabu42QX.dll\nが見つかりません。\n印刷できません！");
  EXPECT_EQ(g_print_library, nullptr);
  EXPECT_EQ(g_print_proc, nullptr);
}

TEST_F(PrintCommand, ALibraryWithoutTheEntryPointIsNeverCalled) {
  put_library(L"print_probe_no_entry");
  open_design();
  for (int round = 0; round < 2; ++round) {
    boxes_->answer(IDOK);
    boxes_->answer(IDOK);
    command(CMD_PRINT);
  }
  ASSERT_EQ(boxes_->shown().size(), 4u);
  for (int i : {1, 3}) {
    EXPECT_EQ(boxes_->shown()[i].caption, L"警告");
    EXPECT_EQ(boxes_->shown()[i].text, cp932_to_wide(g_start_folder) +
                                           L"\\dabu42QX.dll\nに印刷の入口 PrinterM が有りません。\n印刷できません！");
  }
  EXPECT_NE(g_print_library, nullptr);  // loaded once and kept, as a library that has the entry is
  EXPECT_EQ(g_print_proc, nullptr);
  EXPECT_EQ(probe()->calls, 0);
}

}  // namespace
