// The printing library dabu42QX.dll as the program loads it, with its print dialog and its
// failure message answered by the test; and one printed page drawn into a metafile, whose
// texts show which rows the page holds. Printing on a real printer is the end-to-end rig's
// part (scripts/test.d/60-print-e2e.sh).
#include "core/ladder_model.h"
#include "target/windows_api.h"

#include <commdlg.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "design/print_pages.h"
#include "printer/print_design_win.h"
#include "shell/printer_entry.h"
#include "support/ladder_text.h"

namespace {

using DialogHandler = BOOL (*)(PRINTDLGW*);
using NoticeHandler = int (*)(HWND, const wchar_t*, const wchar_t*, UINT);

struct Seen {
  int dialogs = 0;
  PRINTDLGW request{};
  std::vector<std::wstring> notices;  // caption: text
};
Seen g_seen;

BOOL cancel_dialog(PRINTDLGW* request) {
  ++g_seen.dialogs;
  g_seen.request = *request;
  return FALSE;
}

// A device context that is no printer: the library's StartDoc fails on it.
BOOL answer_with_metafile(PRINTDLGW* request) {
  ++g_seen.dialogs;
  g_seen.request = *request;
  request->hDC = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  return TRUE;
}

int record_notice(HWND, const wchar_t* text, const wchar_t* caption, UINT) {
  g_seen.notices.push_back(std::wstring(caption) + L": " + text);
  return IDOK;
}

// Rows 0-39: rungs "X<n> ~ (M<n>)", a device comment on rung 39, a comment row at 20.
LadderGrid numbered_design() {
  std::vector<std::string> rows;
  for (int n = 0; n < 40; ++n) rows.push_back(n == 20 ? "; middle of the program" : "X" + std::to_string(n) + " ~ (M" + std::to_string(n) + ")");
  LadderGrid grid = ladder_from_text(rows);
  grid[39].cell[0].word[0] |= CellFlags::HAS_COMMENT;
  std::strcpy(grid[39].text[0], "\x8B\x4E\x93\xAE");  // "起動"
  return grid;
}

class PrinterLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    g_seen = Seen{};
    library = LoadLibraryW((cp932_path(TAVOLIN_BUILD_DIR) + L"\\dabu42QX.dll").c_str());
    ASSERT_NE(library, nullptr);
    entry = reinterpret_cast<PrinterEntry>(reinterpret_cast<void*>(GetProcAddress(library, "PrinterM")));
    set_dialog = reinterpret_cast<void (*)(DialogHandler)>(
        reinterpret_cast<void*>(GetProcAddress(library, "PrinterSetDialogHandler")));
    set_notice = reinterpret_cast<void (*)(NoticeHandler)>(
        reinterpret_cast<void*>(GetProcAddress(library, "PrinterSetNoticeHandler")));
    ASSERT_TRUE(entry && set_dialog && set_notice);
    set_notice(record_notice);
    std::strcpy(io_parts[0].data(), "QQQQQQ");
    settings.print_mode = 4;
  }
  void TearDown() override {
    if (set_dialog) set_dialog(nullptr);
    if (set_notice) set_notice(nullptr);
    if (library) FreeLibrary(library);
  }
  static std::wstring cp932_path(const char* path) {
    std::wstring wide(path, path + std::strlen(path));
    for (wchar_t& c : wide)
      if (c == L'/') c = L'\\';
    return wide;
  }

  HMODULE library = nullptr;
  PrinterEntry entry = nullptr;
  void (*set_dialog)(DialogHandler) = nullptr;
  void (*set_notice)(NoticeHandler) = nullptr;
  CpuSettings settings{};
  IoPartLine io_parts[1]{};
};

TEST_F(PrinterLibrary, TheDialogOffersTheRowsAsPagesAndACancelPrintsNothing) {
  const LadderGrid grid = numbered_design();
  const LadderGrid before = grid;
  HWND owner = GetDesktopWindow();
  set_dialog(cancel_dialog);
  EXPECT_EQ(entry(owner, &settings, "C:\\WORK\\NUM.MBS", &grid, nullptr, io_parts), 0);
  EXPECT_EQ(g_seen.dialogs, 1);
  EXPECT_EQ(g_seen.request.hwndOwner, owner);
  EXPECT_EQ(g_seen.request.nMinPage, 1);
  EXPECT_EQ(g_seen.request.nMaxPage, 41);  // 40 rows and the END row
  EXPECT_EQ(g_seen.request.nFromPage, 1);
  EXPECT_EQ(g_seen.request.nToPage, 41);
  EXPECT_TRUE(g_seen.request.Flags & PD_RETURNDC);
  EXPECT_TRUE(g_seen.request.Flags & PD_NOSELECTION);
  EXPECT_TRUE(g_seen.notices.empty());
  // The design is read in place and left as it was.
  EXPECT_EQ(std::memcmp(grid.data(), before.data(), grid.size() * sizeof(LadderRow)), 0);
}

TEST_F(PrinterLibrary, APrinterThatRefusesTheDocumentIsReported) {
  const LadderGrid grid = numbered_design();
  set_dialog(answer_with_metafile);
  EXPECT_EQ(entry(nullptr, &settings, "C:\\WORK\\NUM.MBS", &grid, nullptr, io_parts), 0);
  ASSERT_EQ(g_seen.notices.size(), 1u);
  EXPECT_EQ(g_seen.notices[0], L"印刷: 印刷できませんでした。\nプリンタを確認して下さい。");
}

TEST_F(PrinterLibrary, NoDesignShowsNoDialog) {
  set_dialog(cancel_dialog);
  EXPECT_EQ(entry(nullptr, &settings, "C:\\WORK\\NUM.MBS", nullptr, nullptr, io_parts), 0);
  const LadderGrid empty;
  EXPECT_EQ(entry(nullptr, &settings, "C:\\WORK\\NUM.MBS", &empty, nullptr, io_parts), 0);
  EXPECT_EQ(g_seen.dialogs, 0);
  EXPECT_TRUE(g_seen.notices.empty());
}

// The texts a metafile writes, in order.
int CALLBACK collect_text(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM texts) {
  if (record->iType == EMR_EXTTEXTOUTW) {
    const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
    const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(record) + text->emrtext.offString);
    reinterpret_cast<std::vector<std::wstring>*>(texts)->emplace_back(chars, text->emrtext.nChars);
  }
  return 1;
}

bool holds(const std::vector<std::wstring>& texts, const std::wstring& text) {
  for (const std::wstring& t : texts)
    if (t == text) return true;
  return false;
}

TEST(PrintedPage, HoldsTheRowsOfItsPageWithStepNumbersCommentsAndHeader) {
  const LadderGrid grid = numbered_design();
  PrintDesignJob job;
  job.grid = grid;
  job.rows = rows_to_print(printable_row_count(grid), true, 11, 41);
  job.design_path = L"C:\\WORK\\NUM.MBS";
  // A4 at 300 dpi (2480 x 3508 pixels): 28 rows a page; rows 11-41 make two pages.
  const PrintPageLayout layout = print_page_layout_for_device(2480, 3508);
  const std::vector<PrintRowRange> pages = paginate_rows(job.rows, layout.rows_per_page);
  ASSERT_EQ(pages.size(), 2u);
  PrintPictures pictures;
  ASSERT_TRUE(pictures.ready());

  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  draw_print_page(dc, layout, job, pages[1], 2, 2);
  HENHMETAFILE metafile = CloseEnhMetaFile(dc);
  ASSERT_NE(metafile, nullptr);
  std::vector<std::wstring> texts;
  EnumEnhMetaFile(nullptr, metafile, collect_text, &texts, nullptr);
  DeleteEnhMetaFile(metafile);

  const int first = pages[1].first;  // 0-based row
  EXPECT_EQ(texts.at(0), L"C:\\WORK\\NUM.MBS    " + std::to_wstring(first + 1) + L" - 41    2 / 2");
  // Every rung of the page with its device and coil, none of the page before.
  for (int row = first; row < 40; ++row) {
    if (row == 20) continue;
    EXPECT_TRUE(holds(texts, L"X" + std::to_wstring(row))) << row;
    EXPECT_TRUE(holds(texts, L"M" + std::to_wstring(row))) << row;
  }
  EXPECT_FALSE(holds(texts, L"X" + std::to_wstring(first - 1)));
  EXPECT_TRUE(holds(texts, L"起動"));
  // Step numbers count program rows from the top of the design: the comment row at 20 is
  // none, so row r (r > 20) is step r and the END row step 40.
  EXPECT_TRUE(holds(texts, std::to_wstring(first)));
  EXPECT_TRUE(holds(texts, L"40"));
  EXPECT_FALSE(holds(texts, L"41"));
}

}  // namespace
