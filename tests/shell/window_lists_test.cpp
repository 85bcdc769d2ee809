#include "shell/window_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

// A pretend window system: handles 10, 11, ... are windows; a closed window is no
// longer live, and its close handling may clear its own slot as a real one does.
struct FakeWindows {
  std::set<WindowHandle> live;
  std::set<WindowHandle> iconic;
  std::vector<std::string> log;
  std::span<WindowHandle> owning_list;  // the list a closing window clears itself from
  std::set<WindowHandle> refusing;      // windows whose close the user cancels
};
FakeWindows* g_fake = nullptr;

const WindowOps FAKE_OPS{
    [](WindowHandle w) { return g_fake->live.count(w) != 0; },
    [](WindowHandle w) {
      g_fake->log.push_back("close " + std::to_string(w));
      if (g_fake->refusing.count(w) != 0) return;  // Cancel at its save question: it stays
      g_fake->live.erase(w);
      for (auto& slot : g_fake->owning_list) {
        if (slot == w) {
          g_fake->log.push_back("cleared by window " + std::to_string(w));
          slot = 0;
        }
      }
    },
    [](WindowHandle w) {
      g_fake->log.push_back("minimize " + std::to_string(w));
      g_fake->iconic.insert(w);
    },
    [](WindowHandle w) { return g_fake->iconic.count(w) != 0; },
    [](WindowHandle w) { g_fake->log.push_back("invalidate " + std::to_string(w)); },
};

class WindowListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fake = &fake;
    list.fill(0xDEAD);  // the start-up emptying must not depend on a zeroed list
    empty_window_list(list, count);
  }
  void TearDown() override { g_fake = nullptr; }
  // Opens n windows, as their creation does.
  std::vector<WindowHandle> open(int n) {
    std::vector<WindowHandle> opened;
    for (int i = 0; i < n; ++i) {
      const WindowHandle w = next_handle++;
      fake.live.insert(w);
      EXPECT_GE(register_window(list, count, w), 0);
      opened.push_back(w);
    }
    return opened;
  }
  // A further window's close: it only clears its own slot.
  void close_further(WindowHandle w) {
    fake.live.erase(w);
    const int position = static_cast<int>(std::find(list.begin(), list.end(), w) - list.begin());
    list[position] = 0;
  }
  FakeWindows fake;
  WindowList list{};
  int count = -1;
  WindowHandle next_handle = 10;
};

TEST_F(WindowListTest, EmptyListHasNoLiveWindowAndCloseStopsAtTheEndMark) {
  EXPECT_EQ(list[0], 0u);
  EXPECT_EQ(list[1], WINDOW_LIST_END);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(next_live_window(list, 0, FAKE_OPS), 0);
  EXPECT_TRUE(close_window_list(list, 0, FAKE_OPS));
  EXPECT_TRUE(fake.log.empty());
}

TEST_F(WindowListTest, RegistrationFillsSlotsInOrderAndMovesTheEndMark) {
  const auto w = open(3);
  EXPECT_EQ(count, 3);
  EXPECT_EQ((std::vector<WindowHandle>{list[0], list[1], list[2], list[3]}),
            (std::vector<WindowHandle>{w[0], w[1], w[2], WINDOW_LIST_END}));
}

TEST_F(WindowListTest, ClosingWindowOneLeavesItsSlotEmptyAndPositionsStay) {
  const auto w = open(3);
  close_further(w[1]);
  EXPECT_EQ(list[1], 0u);
  EXPECT_EQ(find_window_in_list(list, w[2], FAKE_OPS), 3);
  EXPECT_EQ(find_window_in_list(list, w[1], FAKE_OPS), 0);
  EXPECT_EQ(next_live_window(list, 1, FAKE_OPS), 3);
  // A new window registers after the used slots, not in the hole.
  const auto later = open(1);
  EXPECT_EQ(list[3], later[0]);
  EXPECT_EQ(list[2], w[2]);
  EXPECT_EQ(list[4], WINDOW_LIST_END);
}

TEST_F(WindowListTest, CloseSendsCloseBeforeClearingAndSkipsDeadHandles) {
  const auto w = open(3);
  fake.live.erase(w[1]);  // destroyed without clearing its slot
  fake.owning_list = list;
  EXPECT_TRUE(close_window_list(list, 0, FAKE_OPS));
  EXPECT_EQ(fake.log, (std::vector<std::string>{"close 10", "cleared by window 10", "close 12", "cleared by window 12"}));
  EXPECT_EQ(list[0], 0u);
  EXPECT_EQ(list[1], w[1]);  // a dead handle is skipped, not touched
  EXPECT_EQ(list[2], 0u);
}

TEST_F(WindowListTest, CloseListedWindowsKeepsTheMainWindowAndStopsAtTheLastIndex) {
  const auto w = open(4);
  EXPECT_TRUE(close_listed_windows(list, 2, FAKE_OPS));
  EXPECT_EQ(fake.log, (std::vector<std::string>{"close 11", "close 12"}));
  EXPECT_EQ(list[0], w[0]);
  EXPECT_EQ(list[3], w[3]);
}

// A window that refuses its close (Cancel at its save question) keeps its slot, and the
// windows after it are not asked: the command that asked for the closes stops there.
TEST_F(WindowListTest, ARefusedCloseKeepsItsSlotAndStopsTheScan) {
  struct Case {
    bool listed_only;  // close_listed_windows (slot 0 stays) rather than close_window_list
    int refusing;      // index of the window that refuses
    std::vector<std::string> log;
  };
  for (const Case& c : {Case{false, 0, {"close 10"}}, Case{false, 1, {"close 10", "close 11"}},
                        Case{true, 2, {"close 11", "close 12"}}}) {
    fake = {};
    list.fill(0xDEAD);
    empty_window_list(list, count);
    next_handle = 10;
    const auto w = open(4);
    fake.refusing.insert(w[static_cast<size_t>(c.refusing)]);
    const bool closed = c.listed_only ? close_listed_windows(list, 3, FAKE_OPS) : close_window_list(list, 0, FAKE_OPS);
    EXPECT_FALSE(closed);
    EXPECT_EQ(fake.log, c.log);
    for (int i = 0; i < 4; ++i) {
      const bool asked = (c.listed_only ? i >= 1 : true) && i < c.refusing;
      EXPECT_EQ(list[static_cast<size_t>(i)], asked ? 0u : w[static_cast<size_t>(i)]) << "slot " << i;
    }
    EXPECT_EQ(find_window_in_list(list, w[static_cast<size_t>(c.refusing)], FAKE_OPS), c.refusing + 1);
  }
}

TEST_F(WindowListTest, MinimizeInvalidateAndIconicTestSkipEmptyAndDeadSlots) {
  const auto w = open(4);
  close_further(w[1]);
  fake.live.erase(w[3]);
  fake.iconic.insert(w[2]);
  minimize_window_list(list, FAKE_OPS);
  invalidate_window_list(list, 1, FAKE_OPS);
  EXPECT_EQ(fake.log, (std::vector<std::string>{"minimize 10", "invalidate 12"}));
  EXPECT_EQ(any_other_window_iconic(list, w[0], FAKE_OPS), 1);
  fake.iconic.clear();
  fake.iconic.insert(w[0]);
  EXPECT_EQ(any_other_window_iconic(list, w[0], FAKE_OPS), 0);
  EXPECT_EQ(any_other_window_iconic(list, w[2], FAKE_OPS), 1);
}

TEST_F(WindowListTest, AFailedLoadGivesItsRegistrationBackOnce) {
  open(2);
  const auto failed = open(1);
  release_window_registration(list, count, 2);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(list[2], WINDOW_LIST_END);
  const auto next = open(1);
  EXPECT_EQ(list[2], next[0]);
  EXPECT_NE(next[0], failed[0]);
}

TEST_F(WindowListTest, MainWindowCloseResetsTheCountSoTheNextWindowIsMainAgain) {
  const auto w = open(3);
  // What the main window's close does: close the others, count back to 0.
  close_listed_windows(list, count - 1, FAKE_OPS);
  count = 0;
  fake.live.erase(w[0]);
  list[0] = 0;
  const auto next = open(1);
  EXPECT_EQ(list[0], next[0]);
  EXPECT_EQ(list[1], WINDOW_LIST_END);
}

TEST_F(WindowListTest, MnemonicListHoldsFifteenWindowsAndRefusesTheSixteenth) {
  MnemonicWindowList mnemonic{};
  int mnemonic_count = 0;
  empty_window_list(mnemonic, mnemonic_count);
  for (int i = 0; i < 15; ++i) {
    fake.live.insert(100 + i);
    EXPECT_EQ(register_window(mnemonic, mnemonic_count, 100 + i), i);
  }
  EXPECT_EQ(mnemonic[15], WINDOW_LIST_END);
  EXPECT_EQ(register_window(mnemonic, mnemonic_count, 200), -1);
  EXPECT_EQ(mnemonic_count, 15);
  EXPECT_EQ(mnemonic[15], WINDOW_LIST_END);
}

TEST_F(WindowListTest, AFullListTakesASlotThatAClosedFurtherWindowLeft) {
  const auto w = open(MAX_LIST_WINDOWS - 1);
  EXPECT_EQ(list[MAX_LIST_WINDOWS - 1], WINDOW_LIST_END);
  close_further(w[5]);
  fake.live.insert(999);
  EXPECT_EQ(register_window(list, count, 999), 5);
  EXPECT_EQ(list[5], 999u);
  fake.live.insert(1000);
  EXPECT_EQ(register_window(list, count, 1000), -1);  // no empty slot left
  EXPECT_EQ(find_window_in_list(list, w[98], FAKE_OPS), 99);
}

TEST_F(WindowListTest, ScansStopAtTheListsEndWithoutAnEndMark) {
  MnemonicWindowList mnemonic{};
  for (int i = 0; i < MNEMONIC_LIST_SLOTS; ++i) mnemonic[i] = 0;  // no end mark at all
  fake.live.insert(7);
  mnemonic[15] = 7;
  EXPECT_EQ(next_live_window(mnemonic, 0, FAKE_OPS), 16);
  EXPECT_TRUE(close_window_list(mnemonic, 0, FAKE_OPS));
  EXPECT_EQ(mnemonic[15], 0u);
}

TEST(WindowTables, ResetEmptiesListsAndDialogSlotsButKeepsTheGuide) {
  g_design_windows[0] = 5;
  g_design_window_count = 3;
  g_mnemonic_window_count = 2;
  g_monitor_windows[1] = 6;
  g_dialog_slots[2][4] = 9;
  g_guide_dialog = 8;
  reset_window_tables();
  EXPECT_EQ(g_design_windows[0], 0u);
  EXPECT_EQ(g_design_windows[1], WINDOW_LIST_END);
  EXPECT_EQ(g_monitor_windows[1], WINDOW_LIST_END);
  EXPECT_EQ(g_mnemonic_windows[1], WINDOW_LIST_END);
  EXPECT_EQ(g_design_window_count + g_mnemonic_window_count + g_monitor_window_count, 0);
  EXPECT_EQ(g_dialog_slots[2][4], 0u);
  EXPECT_EQ(g_guide_dialog, 8u);
  EXPECT_EQ(&dialog_slot_row(SCREEN_KIND_MNEMONIC), &g_dialog_slots[2]);
  g_guide_dialog = 0;
}

}  // namespace
