// The close sequence: the frame asks the main design, mnemonic and monitor windows to
// close, in this order; any of them can refuse, and then the frame stays, the session
// end is refused and file.ini is left as it was.
#include "target/windows_api.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "frame/frame_win.h"
#include "shell/window_lists_win.h"
#include "win/monitor_fixtures.h"
#include "win/rig_helper.h"

namespace {

// A document window that stands for a screen with a document: it registers in the list
// it is given, logs the close request and refuses it when told to (as a window whose
// user cancelled the save question does).
struct StandInDocument {
  const char* name;
  std::span<WindowHandle> list;
  int* count;
  bool refuse;
  std::vector<std::string>* log;
};

constexpr wchar_t STAND_IN_CLASS[] = L"tavolin_stand_in_document";

LRESULT CALLBACK stand_in_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* doc = reinterpret_cast<StandInDocument*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_CREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      auto* mdi = reinterpret_cast<MDICREATESTRUCTW*>(create->lpCreateParams);
      doc = reinterpret_cast<StandInDocument*>(mdi->lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(doc));
      register_window(doc->list, *doc->count, as_window_handle(window));
      return 0;
    }
    case WM_CLOSE:
      doc->log->push_back(std::string("close ") + doc->name);
      if (doc->refuse) return -1;
      break;
    case WM_DESTROY: {
      const int position = find_window_in_list(doc->list, window);
      if (position > 0) doc->list[position - 1] = 0;
      if (position == 1) *doc->count = 0;
      break;
    }
    default:
      break;
  }
  return DefMDIChildProcW(window, message, wparam, lparam);
}

HWND create_stand_in(StandInDocument& doc) {
  ShowWindow(g_mdi_client, SW_SHOW);
  MDICREATESTRUCTW create{};
  create.szClass = STAND_IN_CLASS;
  create.szTitle = L"stand-in";
  create.hOwner = g_instance;
  create.cx = 300;
  create.cy = 200;
  create.lParam = reinterpret_cast<LPARAM>(&doc);
  return reinterpret_cast<HWND>(SendMessageW(g_mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

class CloseTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = stand_in_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = STAND_IN_CLASS;
    ASSERT_TRUE(RegisterClassExW(&wc));
  }
  void TearDown() override {
    ProgramTest::TearDown();
    UnregisterClassW(STAND_IN_CLASS, GetModuleHandleW(nullptr));
  }
  std::vector<std::string> log_;
};

struct CloseCase {
  const char* name;
  UINT message;
  const char* refuser;  // "" when nobody refuses
  std::vector<std::string> asked;
};

class CloseSequence : public CloseTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseSequence, AsksTheMainWindowsInOrderAndStopsAtARefusal) {
  const CloseCase& c = GetParam();
  ASSERT_TRUE(start());
  StandInDocument design{"design", g_design_windows, &g_design_window_count, std::string(c.refuser) == "design", &log_};
  StandInDocument mnemonic{"mnemonic", g_mnemonic_windows, &g_mnemonic_window_count,
                           std::string(c.refuser) == "mnemonic", &log_};
  StandInDocument monitor{"monitor", g_monitor_windows, &g_monitor_window_count, std::string(c.refuser) == "monitor",
                          &log_};
  HWND windows[] = {create_stand_in(design), create_stand_in(mnemonic), create_stand_in(monitor)};
  for (HWND w : windows) ASSERT_TRUE(w);
  // A marker in place of file.ini shows whether the close wrote it.
  write_file_bytes(folder_->file(L"file.ini"), "marker");

  const LRESULT result = SendMessageW(frame_, c.message, 0, 0);
  pump_messages();

  EXPECT_EQ(log_, c.asked);
  const bool refused = c.refuser[0] != '\0';
  if (refused) {
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(frame_alive());
    EXPECT_EQ(read_file_bytes(folder_->file(L"file.ini")), "marker");
    // The window that refused and those not yet asked are still there, still listed.
    for (std::size_t i = c.asked.size() - 1; i < 3; ++i) {
      EXPECT_TRUE(IsWindow(windows[i])) << i;
    }
    EXPECT_FALSE(quit_posted());
  } else {
    EXPECT_NE(read_file_bytes(folder_->file(L"file.ini")), "marker");
    for (HWND w : windows) EXPECT_FALSE(IsWindow(w));
    if (c.message == WM_CLOSE) {
      EXPECT_FALSE(frame_alive());
      EXPECT_TRUE(quit_posted());
    } else {
      // Agreeing to the end of the session: the frame stays until Windows ends it.
      EXPECT_NE(result, 0);
      EXPECT_TRUE(frame_alive());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CloseSequence,
    ::testing::Values(CloseCase{"CloseNobodyRefuses", WM_CLOSE, "", {"close design", "close mnemonic", "close monitor"}},
                      CloseCase{"CloseDesignRefuses", WM_CLOSE, "design", {"close design"}},
                      CloseCase{"CloseMnemonicRefuses", WM_CLOSE, "mnemonic", {"close design", "close mnemonic"}},
                      CloseCase{"CloseMonitorRefuses", WM_CLOSE, "monitor",
                                {"close design", "close mnemonic", "close monitor"}},
                      CloseCase{"EndSessionNobodyRefuses", WM_QUERYENDSESSION, "",
                                {"close design", "close mnemonic", "close monitor"}},
                      CloseCase{"EndSessionDesignRefuses", WM_QUERYENDSESSION, "design", {"close design"}},
                      CloseCase{"EndSessionMnemonicRefuses", WM_QUERYENDSESSION, "mnemonic",
                                {"close design", "close mnemonic"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CloseTest, ARefusedCloseCanBeRepeatedAndThenSucceeds) {
  ASSERT_TRUE(start());
  StandInDocument design{"design", g_design_windows, &g_design_window_count, true, &log_};
  HWND window = create_stand_in(design);
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(frame_alive());
  design.refuse = false;
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_EQ(log_, (std::vector<std::string>{"close design", "close design", "close design"}));
  EXPECT_FALSE(frame_alive());
}

TEST_F(CloseTest, WithoutDocumentWindowsTheFrameClosesAndWritesItsSettings) {
  ASSERT_TRUE(start());
  write_file_bytes(folder_->file(L"file.ini"), "marker");
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_FALSE(frame_alive());
  EXPECT_TRUE(quit_posted());
  const std::string written = read_file_bytes(folder_->file(L"file.ini"));
  EXPECT_EQ(written.rfind("iDirectory ", 0), 0u) << written;
}

// The document classes registered until the screens exist: they list themselves, the
// main window of a kind takes the others with it, and none refuses.
TEST_F(CloseTest, DocumentClassesListThemselvesAndTheMainWindowClosesItsKind) {
  ASSERT_TRUE(start());
  HWND first = create_document_window(L"massfl", L"a");
  HWND second = create_document_window(L"massfl", L"b");
  HWND third = create_document_window(L"motofl", L"c");
  HWND mnemonic = create_document_window(L"nicfl", L"n");
  ASSERT_TRUE(write_operation_file_beside(""));  // the monitor window shows a compiled program
  HWND monitor = create_document_window(L"jikfl", L"m");
  ASSERT_TRUE(first && second && third && mnemonic && monitor);
  EXPECT_EQ(g_design_window_count, 3);
  EXPECT_EQ(find_window_in_list(g_design_windows, third), 3);
  EXPECT_EQ(g_mnemonic_windows[0], as_window_handle(mnemonic));
  EXPECT_EQ(g_monitor_windows[0], as_window_handle(monitor));

  // A further window closes on its own and leaves its slot empty.
  SendMessageW(second, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(g_design_windows[1], 0u);
  EXPECT_EQ(find_window_in_list(g_design_windows, third), 3);

  // The main window takes the others of its kind with it; the count starts again.
  SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump_messages();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(IsWindow(third));
  EXPECT_EQ(g_design_window_count, 0);
  EXPECT_EQ(next_live_window(g_design_windows, 0), 0);
  HWND again = create_document_window(L"massfl", L"again");
  EXPECT_EQ(g_design_windows[0], as_window_handle(again));

  SendMessageW(frame_, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_FALSE(frame_alive());
  EXPECT_FALSE(IsWindow(again));
  EXPECT_FALSE(IsWindow(mnemonic));
  EXPECT_FALSE(IsWindow(monitor));
}

TEST_F(CloseTest, AFullMnemonicListRefusesTheNextWindow) {
  ASSERT_TRUE(start());
  for (int i = 0; i < MNEMONIC_LIST_SLOTS - 1; ++i) ASSERT_TRUE(create_document_window(L"nicfl", L"n")) << i;
  EXPECT_FALSE(create_document_window(L"nicfl", L"one too many"));
  EXPECT_EQ(g_mnemonic_window_count, MNEMONIC_LIST_SLOTS - 1);
  EXPECT_EQ(g_mnemonic_windows[MNEMONIC_LIST_SLOTS - 1], WINDOW_LIST_END);
}

}  // namespace
