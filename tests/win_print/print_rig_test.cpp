// The printing library end to end: dabu42QX.dll prints a sample design on the default
// printer of the Wine prefix, a CUPS queue that scripts/test.d/60-print-e2e.sh set up to
// write its PostScript into a file, which the script turns into pictures.
//
// The print dialog is answered through the library's seam: the default printer, and the
// rows TAVOLIN_RIG_FROM to TAVOLIN_RIG_TO as the page range. The test prints the number
// of sheets it expects as a line "expected pages N" for the script to compare.
#include "core/ladder_model.h"
#include "target/windows_api.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "design/print_pages.h"
#include "shell/printer_entry.h"
#include "support/ladder_text.h"
#include "win/rig_helper.h"

namespace {

using DialogHandler = BOOL (*)(PRINTDLGW*);
using SetDialogHandler = void (*)(DialogHandler);

PRINTDLGW g_request_seen{};
int g_from = 1;
int g_to = 1;

BOOL answer_with_default_printer(PRINTDLGW* request) {
  g_request_seen = *request;
  wchar_t name[256] = L"";
  DWORD size = 256;
  if (!GetDefaultPrinterW(name, &size)) return FALSE;
  request->hDC = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
  request->Flags |= PD_PAGENUMS;
  request->nFromPage = static_cast<WORD>(g_from);
  request->nToPage = static_cast<WORD>(g_to);
  return request->hDC != nullptr;
}

BOOL cancel(PRINTDLGW* request) {
  g_request_seen = *request;
  return FALSE;
}

int env_number(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

void comment(LadderRow& row, int column, const char* text) {
  row.cell[column].word[0] |= CellFlags::HAS_COMMENT;
  std::strncpy(row.text[column], text, CELL_TEXT_SIZE - 1);
}

// A start/stop circuit with self-holding, a flasher on two timers, a move, a comparison, a
// counter and its jump label, then enough numbered rungs to fill more than one sheet.
LadderGrid sample_design() {
  std::vector<std::string> rows = {
      "; 起動と停止：運転ボタンで起動し、停止ボタンまで自己保持する",
      "X0 /X1 ~ (Y0)",
      "Y0 ^",
      "; 表示灯の点滅：二つのタイマで 1 秒ごとに切り替える",
      "Y0 /T1 ~ (T0 K10)",
      "T0 ~ (T1 K10)",
      "Y0 /T0 ~ (Y1)",
      "X2 ~ [MOV K100 D0]",
      "{>= D0 K50} ~ (Y2)",
      "P5: X3 ~ (C0 K20)",
      "C0 ~ [RST C0]",
  };
  for (int n = 0; n < 30; ++n) rows.push_back("X" + std::to_string(n + 4) + " M" + std::to_string(n) + " ~ (M" +
                                              std::to_string(n + 100) + ")");
  LadderTextOptions options;
  options.grid_rows = 64;
  LadderGrid grid = ladder_from_text(rows, options);
  comment(grid[1], 0, "運転 ボタン");
  comment(grid[1], 1, "停止 ボタン");
  comment(grid[1], OUTPUT_COLUMN, "モータ 運転");
  comment(grid[6], OUTPUT_COLUMN, "表示灯");
  comment(grid[9], LABEL_COLUMN, "計数 開始");
  return grid;
}

class PrintRig : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = std::string(TAVOLIN_BUILD_DIR) + "/dabu42QX.dll";
    library = LoadLibraryA(path.c_str());
    ASSERT_NE(library, nullptr) << path;
    entry = reinterpret_cast<PrinterEntry>(reinterpret_cast<void*>(GetProcAddress(library, "PrinterM")));
    set_handler =
        reinterpret_cast<SetDialogHandler>(reinterpret_cast<void*>(GetProcAddress(library, "PrinterSetDialogHandler")));
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(set_handler, nullptr);
    settings = CpuSettings{};
    settings.print_mode = 6;
    std::strcpy(settings.program_folder, "C:\\TAVOLIN");
    std::strcpy(io_parts[0].data(), "QQQQQQ");
  }
  void TearDown() override {
    if (set_handler) set_handler(nullptr);
    if (library) FreeLibrary(library);
  }

  HMODULE library = nullptr;
  PrinterEntry entry = nullptr;
  SetDialogHandler set_handler = nullptr;
  CpuSettings settings{};
  IoPartLine io_parts[1]{};
};

TEST_F(PrintRig, CancelledDialogPrintsNothing) {
  const LadderGrid grid = sample_design();
  set_handler(cancel);
  EXPECT_EQ(entry(nullptr, &settings, "C:\\WORK\\SAMPLE1.MBS", &grid, nullptr, io_parts), 0);
  // The dialog offers the rows through the END row as its pages.
  EXPECT_EQ(g_request_seen.nMinPage, 1);
  EXPECT_EQ(g_request_seen.nMaxPage, printable_row_count(grid));
  EXPECT_TRUE(g_request_seen.Flags & PD_RETURNDC);
}

TEST_F(PrintRig, PrintsTheChosenRowsOnTheDefaultPrinter) {
  const LadderGrid grid = sample_design();
  g_from = env_number("TAVOLIN_RIG_FROM", 1);
  g_to = env_number("TAVOLIN_RIG_TO", printable_row_count(grid));
  set_handler(answer_with_default_printer);

  wchar_t name[256] = L"";
  DWORD size = 256;
  ASSERT_TRUE(GetDefaultPrinterW(name, &size)) << "no default printer in this prefix";
  HDC probe = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
  ASSERT_NE(probe, nullptr);
  const PrintPageLayout layout = print_page_layout(GetDeviceCaps(probe, HORZRES), GetDeviceCaps(probe, VERTRES));
  DeleteDC(probe);
  const PrintRowRange rows = rows_to_print(printable_row_count(grid), true, g_from, g_to);
  const int expected = static_cast<int>(paginate_rows(rows, layout.rows_per_page).size());
  ASSERT_GE(expected, 1);

  const int printed = entry(nullptr, &settings, "C:\\WORK\\SAMPLE1.MBS", &grid, nullptr, io_parts);
  EXPECT_EQ(printed, expected);
  std::printf("expected pages %d\n", expected);
  std::fflush(stdout);
}

// The print dialog the user sees: Wine's own, with the default printer, offering the rows of
// the design as its pages. Run on a display (TAVOLIN_RIG_DISPLAY set by the script); the
// picture goes to the screenshots as print_dialog.png.
struct ShownDialog {
  bool seen = false;
  UINT to_row = 0;
  BOOL to_read = FALSE;
  bool pages_enabled = false;
  std::string picture;
};
ShownDialog g_shown;

void CALLBACK look_at_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = find_visible_dialog();
  if (dialog == nullptr || g_shown.seen) return;
  g_shown.seen = true;
  KillTimer(nullptr, timer);
  // The dialog's "to" field and its "pages" choice (the common dialog's control ids).
  g_shown.to_row = GetDlgItemInt(dialog, edt2, &g_shown.to_read, FALSE);
  g_shown.pages_enabled = IsWindowEnabled(GetDlgItem(dialog, rad3)) != FALSE;
  g_shown.picture = save_screenshot("print_dialog");
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(PrintRig, TheRealDialogOffersTheRowsAsPages) {
  if (std::getenv("TAVOLIN_RIG_DISPLAY") == nullptr) GTEST_SKIP() << "needs a display";
  const LadderGrid grid = sample_design();
  set_handler(nullptr);
  g_shown = ShownDialog{};
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, look_at_dialog);
  ASSERT_NE(timer, 0u);
  EXPECT_EQ(entry(nullptr, &settings, "C:\\WORK\\SAMPLE1.MBS", &grid, nullptr, io_parts), 0);
  KillTimer(nullptr, timer);
  ASSERT_TRUE(g_shown.seen);
  EXPECT_TRUE(g_shown.to_read);
  EXPECT_EQ(static_cast<int>(g_shown.to_row), printable_row_count(grid));
  EXPECT_TRUE(g_shown.pages_enabled);
  EXPECT_FALSE(g_shown.picture.empty());
}

}  // namespace
