// Device search, replace and cross-reference on ladders written as text: the search texts,
// the order in which the searches stop in every mode, the replace loop answered by a script,
// the uses of a device and the used-device lists.
#include "design/device_search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/core_state.h"
#include "support/ladder_text.h"

namespace {

uint32_t dev(const char* text) { return device_operand(text); }

// Rows 0-7; row 2 is a comment row; M10 in row 1's coil carries the T suffix.
LadderGrid fixture() {
  LadderGrid grid = ladder_from_text({
      "X0 /X1 ~ (Y0)",             // 0
      "M10 {= D0 K5} ~ (M10)",     // 1
      "; M10 D0 Y5",               // 2
      "Y5 ~ (T5 K100)",            // 3
      "T5 ~ [MOV D0 D1]",          // 4
      "M10 ~ (Y5)",                // 5
      "{= D2 D0} ~ (Y6)",          // 6
      "X2 ~ [MOV D0 D0]",          // 7
  });
  grid[1].cell[OUTPUT_COLUMN].word[1] |= OperandBits::SUFFIX_T;
  return grid;
}

ViewState view_at(int row, int col, bool selected = true) {
  ViewState v;
  init_view_state(v, 0);
  v.visible_rows = 20;
  v.cursor_row = row;
  v.cursor_col = col;
  v.sel_row = row;
  v.sel_col = selected ? col : NO_SELECTION;
  return v;
}

using Stops = std::vector<std::pair<int, int>>;  // (row, cursor column after the stop)

// Runs the downward (or upward) search again and again, as the continued search does.
Stops run_search(const LadderGrid& grid, ViewState view, const char* device, const SearchContext& context,
                 bool up = false, int limit = 12) {
  uint32_t word = 0;
  EXPECT_EQ(parse_search_device(device, context.search_mode, word), 0);
  view.entry_device = static_cast<int32_t>(word);
  Stops stops;
  for (int i = 0; i < limit; ++i) {
    const SearchHit hit = up ? find_device_up(grid, view) : find_device_down(grid, view, context);
    if (!hit.found()) break;
    move_to_hit(view, hit, up ? 10 : view.visible_rows);
    stops.emplace_back(view.cursor_row, view.cursor_col);
  }
  return stops;
}

class DeviceSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_device_search_state();
  }
};

TEST_F(DeviceSearch, SearchTextsAreReadWithTheirOwnRadixes) {
  struct Case {
    const char* text;
    int mode;
    int result;
    uint32_t device;
  } cases[] = {
      {"B1F", 0, 0, dev("B1F")},
      {"R1A", 0, 0, dev("R1A")},
      {"J110", 0, 0, make_device_operand(Device::J, make_j_number(1, 10))},
      {"m10", 0, 0, dev("M10")},
      {"M10T", 0, 0, dev("M10")},
      {"M10t", 3, 0, dev("M10")},
      {"S19", 0, 0, make_device_operand(Device::S, 19)},  // S numbers are decimal here
      {"K4M100", 0, 0, make_digit_group_operand(Device::M, 4, 100)},
      {"K2X1F", 0, 0, make_digit_group_operand(Device::X, 2, 0x1F)},
      {"K4T100", 0, -1, 0},
      {"K4M1A", 0, -1, 0},
      {"X5", 0, 0, dev("X5")},
      {"X5", 3, -1, 0},
      {"X5", 4, -1, 0},
      {"Y5", 3, 0, dev("Y5")},
      {"M1A", 0, -1, 0},
      {"Z5", 0, -1, 0},
      {"M", 0, -1, 0},
      {"", 0, -1, 0},
      {"D99999", 0, -1, 0},
  };
  for (const Case& c : cases) {
    uint32_t device = 0;
    EXPECT_EQ(parse_search_device(c.text, c.mode, device), c.result) << c.text;
    if (c.result == 0) {
      EXPECT_EQ(device, c.device) << c.text;
    }
  }
}

TEST_F(DeviceSearch, DownwardSearchStopsAtEveryUseInGridOrder) {
  const LadderGrid grid = fixture();
  SearchContext down;
  // M10 finds the M10T coil and the M10 contacts alike; the comment row is passed over.
  EXPECT_EQ(run_search(grid, view_at(0, 0, false), "M10", down), (Stops{{1, 0}, {1, 11}, {5, 0}}));
  // D0: a comparison's first operand, a box's first operand, a comparison's second operand,
  // then both operands of MOV D0 D0.
  EXPECT_EQ(run_search(grid, view_at(0, 0, false), "D0", down), (Stops{{1, 1}, {4, 11}, {6, 1}, {7, 11}, {7, 12}}));
  // The cell after the cursor is where a selected view starts.
  EXPECT_EQ(run_search(grid, view_at(1, 0), "M10", down), (Stops{{1, 11}, {5, 0}}));
  // A selection out of view starts again at the top row.
  ViewState scrolled = view_at(5, 0);
  scrolled.top_row = 6;
  EXPECT_EQ(run_search(grid, scrolled, "Y6", down), (Stops{{6, 11}}));
}

TEST_F(DeviceSearch, OutputModeStopsOnlyAtOutputOperands) {
  const LadderGrid grid = fixture();
  SearchContext outputs{SEARCH_OUTPUTS, true, false};
  EXPECT_EQ(run_search(grid, view_at(0, 0, false), "Y5", outputs), (Stops{{5, 11}}));
  EXPECT_EQ(run_search(grid, view_at(0, 0, false), "D1", outputs), (Stops{{4, 12}}));
  EXPECT_EQ(run_search(grid, view_at(0, 0, false), "D0", outputs), (Stops{{7, 12}}));  // the last operand only
  EXPECT_EQ(run_search(grid, view_at(0, 0, false), "T5", outputs), (Stops{{3, 11}}));  // a timer's own number
}

TEST_F(DeviceSearch, ModeTwoWrapsOnceOnlyWhileTheDialogIsOpen) {
  const LadderGrid grid = fixture();
  ViewState last = view_at(5, 0);
  uint32_t device = 0;
  ASSERT_EQ(parse_search_device("M10", 0, device), 0);
  last.entry_device = static_cast<int32_t>(device);
  SearchHit hit = find_device_down(grid, last, {SEARCH_DOWN_WRAP, true, false});
  EXPECT_EQ(std::make_pair(hit.row, hit.column), std::make_pair(1, 0));
  EXPECT_FALSE(find_device_down(grid, last, {SEARCH_DOWN_WRAP, false, false}).found());
  EXPECT_FALSE(find_device_down(grid, last, {SEARCH_DOWN, true, false}).found());
  // A device used nowhere ends the wrapped search too.
  last.entry_device = static_cast<int32_t>(dev("M999"));
  EXPECT_FALSE(find_device_down(grid, last, {SEARCH_DOWN_WRAP, true, false}).found());
}

TEST_F(DeviceSearch, UpwardSearchMirrorsTheDownwardOne) {
  const LadderGrid grid = fixture();
  EXPECT_EQ(run_search(grid, view_at(5, 0), "M10", {}, true), (Stops{{1, 11}, {1, 0}}));
  EXPECT_EQ(run_search(grid, view_at(7, 12), "D0", {}, true), (Stops{{7, 11}, {6, 1}, {4, 11}, {1, 1}}));
  // Nothing lies before row 0, column 0.
  EXPECT_EQ(run_search(grid, view_at(0, 0), "Y0", {}, true), Stops{});
  // A cursor out of the ten-row span starts at the output of row top_row + 10.
  ViewState far = view_at(40, 0);
  EXPECT_EQ(run_search(grid, far, "Y6", {}, true), (Stops{{6, 11}}));
}

TEST_F(DeviceSearch, PlacingAHitScrollsOnlyWhenItIsOutOfView) {
  ViewState view = view_at(0, 0);
  view.visible_rows = 5;
  view.scroll_max = 30;
  SearchHit hit;
  hit.row = 4;
  hit.column = 3;
  EXPECT_FALSE(move_to_hit(view, hit, view.visible_rows));
  EXPECT_EQ(view.top_row, 0);
  hit.row = 12;
  EXPECT_TRUE(move_to_hit(view, hit, view.visible_rows));
  EXPECT_EQ(view.top_row, 12);
  hit.row = 50;  // never past the scroll range
  EXPECT_TRUE(move_to_hit(view, hit, view.visible_rows));
  EXPECT_EQ(view.top_row, 30);
  EXPECT_EQ(view.cursor_row, 50);
}

TEST_F(DeviceSearch, InstructionSearchFindsBoxesAndComparisonsAndWraps) {
  const LadderGrid grid = fixture();
  InstructionCode mov = 0;
  ASSERT_EQ(instruction_code_from_name("MOV", mov), 0);
  ViewState view = view_at(0, 0, false);
  std::vector<std::pair<int, int>> stops;
  for (int i = 0; i < 3; ++i) {
    const SearchHit hit = find_instruction_down(grid, view, mov);
    ASSERT_TRUE(hit.found());
    move_to_hit(view, hit, view.visible_rows);
    stops.emplace_back(hit.row, hit.column);
  }
  EXPECT_EQ(stops, (std::vector<std::pair<int, int>>{{4, 11}, {7, 11}, {4, 11}}));
  InstructionCode equal = 0;
  ASSERT_EQ(instruction_code_from_name("=", equal), 0);
  view = view_at(0, 0, false);
  SearchHit hit = find_instruction_down(grid, view, equal);
  EXPECT_EQ(std::make_pair(hit.row, hit.column), std::make_pair(1, 1));
  EXPECT_EQ(hit.width, 2);
}

TEST_F(DeviceSearch, InstructionNamesAreUpperOrLowerCase) {
  struct Case {
    const char* name;
    int result;
    InstructionCode code;
  } cases[] = {{"T", 0, Instr::TIM}, {"C", 0, Instr::CNT}, {"MOV", 0, Instr::MOV}, {"mov", 0, Instr::MOV},
               {"Mov", -1, 0},       {"", -1, 0},          {"NOSUCH", -1, 0}};
  for (const Case& c : cases) {
    InstructionCode code = 0;
    EXPECT_EQ(instruction_code_from_name(c.name, code), c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(code, c.code) << c.name;
    }
  }
}

TEST_F(DeviceSearch, SearchCommandReportsBadTextsAndMisses) {
  const LadderGrid grid = fixture();
  ViewState view = view_at(0, 0, false);
  SearchOutcome bad = plan_device_search(grid, view, {}, "  ");
  EXPECT_EQ(bad.message, MSG_BAD_NUMBER);
  bad = plan_device_search(grid, view, {SEARCH_OUTPUTS, true, false}, "X5");
  EXPECT_EQ(bad.message, MSG_BAD_NUMBER);
  const SearchOutcome miss = plan_device_search(grid, view, {}, "M77");
  EXPECT_EQ(miss.result, SEARCH_NOT_FOUND);
  EXPECT_EQ(miss.message, MSG_NOT_FOUND);
  const SearchOutcome set = plan_device_search(grid, view, {}, "SET M10");  // the list form's "SET M10"
  EXPECT_EQ(set.result, 0);
  EXPECT_EQ(view.entry_device, static_cast<int32_t>(dev("M10")));
  ViewState at_six = view_at(6, 0);
  const SearchOutcome up = plan_device_search(grid, at_six, {SEARCH_UP, true, false}, "Y5 extra words");
  EXPECT_EQ(std::make_pair(up.hit.row, up.hit.column), std::make_pair(5, 11));
}

// ---- Replace ----------------------------------------------------------------------------------

struct ScriptedPort : ReplacePort {
  std::deque<ReplaceAnswer> answers;
  std::deque<bool> restarts;
  std::vector<std::string> log;
  void show_hit(ViewState& view, const SearchHit& hit) override {
    move_to_hit(view, hit, view.visible_rows);
    log.push_back("hit " + std::to_string(hit.row) + "," + std::to_string(hit.column + hit.operand));
  }
  ReplaceAnswer ask_replace() override {
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected replace question";
      return ReplaceAnswer::CANCEL;
    }
    const ReplaceAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool ask_restart() override {
    log.push_back("restart?");
    if (restarts.empty()) return false;
    const bool a = restarts.front();
    restarts.pop_front();
    return a;
  }
  void show_message(const char* text, const char* caption) override {
    log.push_back(std::string("message ") + text + "/" + caption);
  }
  void assign_comment(int row, int column, uint32_t device) override {
    char text[64];
    std::snprintf(text, sizeof text, "comment %d,%d %08X", row, column, device);
    log.push_back(text);
  }
  void cell_changed(int row, int column) override { log.push_back("changed " + std::to_string(row) + "," + std::to_string(column)); }
  void cell_passed(int row, int column) override { log.push_back("passed " + std::to_string(row) + "," + std::to_string(column)); }
  void repaint_all() override {}
};

using A = ReplaceAnswer;

TEST_F(DeviceSearch, ReplaceKeepsTheFlagBitsOfEveryOperandItReplaces) {
  LadderGrid grid = fixture();
  grid[5].cell[0].word[1] |= OperandBits::LOWER_XY;  // a flag on a contact too
  ViewState view = view_at(0, 0, false);
  ScriptedPort port;
  port.answers = {A::YES, A::NO, A::YES};
  EXPECT_EQ(replace_devices(grid, view, "M10", "M20", true, port), 1);
  EXPECT_EQ(grid[1].cell[0].word[1], dev("M20"));
  EXPECT_EQ(grid[1].cell[OUTPUT_COLUMN].word[1], dev("M10") | OperandBits::SUFFIX_T);  // answered No
  EXPECT_EQ(grid[5].cell[0].word[1], dev("M20") | OperandBits::LOWER_XY);
  EXPECT_EQ(port.log, (std::vector<std::string>{"hit 1,0", "changed 1,0", "hit 1,11", "passed 1,11", "hit 5,0",
                                                "changed 5,0", "restart?"}));

  port = {};
  port.answers = {A::YES};
  view = view_at(0, 0, false);
  EXPECT_EQ(replace_devices(grid, view, "M10", "M30", true, port), 1);
  EXPECT_EQ(grid[1].cell[OUTPUT_COLUMN].word[1], dev("M30") | OperandBits::SUFFIX_T);  // the coil keeps its T
}

TEST_F(DeviceSearch, ReplaceAnsweredNoEverywhereChangesNothingAndOffersTheRestartOnce) {
  LadderGrid grid = fixture();
  const LadderGrid before = grid;
  ViewState view = view_at(0, 0, false);
  ScriptedPort port;
  port.answers = {A::NO, A::NO, A::NO, A::NO, A::NO, A::NO};
  port.restarts = {true};
  EXPECT_EQ(replace_devices(grid, view, "M10", "M20", true, port), 0);
  EXPECT_EQ(ladder_to_text(grid), ladder_to_text(before));
  EXPECT_EQ(std::memcmp(grid.data(), before.data(), grid.size() * sizeof(LadderRow)), 0);
  EXPECT_EQ(port.log.back(), std::string("message ") + MSG_NOTHING_TO_REPLACE + "/" + SEARCH_CAPTION_WARN);
  EXPECT_EQ(std::count(port.log.begin(), port.log.end(), "restart?"), 1);
  EXPECT_EQ(std::count(port.log.begin(), port.log.end(), "hit 1,0"), 2);  // row 0 is searched whole again
  EXPECT_EQ(g_replace_restarted, 0);
}

TEST_F(DeviceSearch, ReplaceRefusesABadTextAndChangesNothing) {
  for (auto texts : {std::pair{"M10", "Z9"}, std::pair{"Q?", "M20"}, std::pair{"M10", "M1A"}}) {
    LadderGrid grid = fixture();
    const LadderGrid before = grid;
    ViewState view = view_at(0, 0, false);
    ScriptedPort port;
    EXPECT_EQ(replace_devices(grid, view, texts.first, texts.second, false, port), 0);
    EXPECT_EQ(port.log, (std::vector<std::string>{std::string("message ") + MSG_BAD_OPERAND + "/" + SEARCH_CAPTION_WARN}));
    EXPECT_EQ(std::memcmp(grid.data(), before.data(), grid.size() * sizeof(LadderRow)), 0);
  }
  LadderGrid grid = fixture();
  ViewState view = view_at(0, 0, false);
  ScriptedPort port;
  EXPECT_EQ(replace_devices(grid, view, "", "M20", false, port), 0);  // an empty box does nothing
  EXPECT_TRUE(port.log.empty());
}

TEST_F(DeviceSearch, ReplaceCancelKeepsTheChangesSoFarAndPassesCellsAlreadyNew) {
  LadderGrid grid = fixture();
  ViewState view = view_at(0, 0, false);
  ScriptedPort port;
  port.answers = {A::YES, A::CANCEL};
  EXPECT_EQ(replace_devices(grid, view, "D0", "D9", false, port), 1);
  EXPECT_EQ(grid[1].cell[1].word[1], dev("D9"));
  EXPECT_EQ(grid[4].cell[OUTPUT_COLUMN].word[1], dev("D0"));
  // The comparison operand's comment sits in the cell after it.
  EXPECT_EQ(port.log[1], "comment 1,2 " + [] {
    char t[16];
    std::snprintf(t, sizeof t, "%08X", dev("D9"));
    return std::string(t);
  }());

  // M10 by M10T is the same device: the uses are passed over without a change.
  grid = fixture();
  view = view_at(0, 0, false);
  port = {};
  port.answers = {A::YES, A::YES, A::YES};
  EXPECT_EQ(replace_devices(grid, view, "M10", "M10T", true, port), 0);
  EXPECT_EQ(std::count_if(port.log.begin(), port.log.end(), [](const std::string& s) { return s.rfind("changed", 0) == 0; }), 0);
}

TEST_F(DeviceSearch, ReplaceReachesEveryOperandOfOneOutput) {
  LadderGrid grid = fixture();
  ViewState view = view_at(7, 0);
  ScriptedPort port;
  port.answers = {A::YES, A::YES};
  EXPECT_EQ(replace_devices(grid, view, "D0", "D4", true, port), 1);
  EXPECT_EQ(grid[7].cell[OUTPUT_COLUMN].word[1], dev("D4"));
  EXPECT_EQ(grid[7].cell[OUTPUT_COLUMN + 1].word[1], dev("D4"));
  // Comments of box operands sit at column + 1 - operand count.
  EXPECT_EQ(comment_cell_column(grid[7], OUTPUT_COLUMN), 10);
  EXPECT_EQ(comment_cell_column(grid[7], OUTPUT_COLUMN + 1), 11);
  EXPECT_EQ(comment_cell_column(grid[0], OUTPUT_COLUMN), 11);
  EXPECT_EQ(comment_cell_column(grid[3], OUTPUT_COLUMN), 10);  // a timer's comment is in its coil cell
  EXPECT_EQ(comment_cell_column(grid[0], 0), 0);
}

// ---- Cross-reference -------------------------------------------------------------------------

int32_t hit_word(int row, int column, int kind) {
  return static_cast<int32_t>(static_cast<uint32_t>(row) | static_cast<uint32_t>(column) << 20 |
                              static_cast<uint32_t>(kind) << 28);
}

TEST_F(DeviceSearch, CrossReferenceListsEveryUseWithItsLine) {
  const LadderGrid grid = fixture();
  const int timer_n = static_cast<int>(g_operand_line_counts[Instr::TIM] & 0xF);
  const int mov_n = static_cast<int>(g_operand_line_counts[Instr::MOV] & 0xF);
  struct Case {
    const char* text;
    std::vector<std::string> lines;
    std::vector<int32_t> hits;
  } cases[] = {
      {"M10", {"M10-2-A ", "M10-2-O ", "M10-5-A "}, {hit_word(1, 0, 0), hit_word(1, 11, 0), hit_word(5, 0, 0)}},
      {"T5 K100", {"T5-3-O ", "T5-4-A "}, {hit_word(3, 11, timer_n - 1), hit_word(4, 0, 0)}},
      {"X1", {"X1-1-B "}, {hit_word(0, 1, 0)}},
      {"SET Y0", {"Y0-1-O "}, {hit_word(0, 11, 0)}},
      {"D0",
       {"D0-2-C ", "D0-4-O ", "D0-6-C ", "D0-7-O ", "D0-7-O "},
       {hit_word(1, 1, 9), hit_word(4, 11, mov_n - 1), hit_word(6, 0, 10), hit_word(7, 11, mov_n - 1),
        hit_word(7, 11, mov_n - 2)}},
      {"M77", {}, {}},
  };
  for (const Case& c : cases) {
    std::array<int32_t, DEVICE_HIT_SLOTS> hits;
    hits.fill(7);
    CrossReference xref;
    ASSERT_TRUE(cross_reference(grid, c.text, hits, xref)) << c.text;
    EXPECT_EQ(xref.lines, c.lines) << c.text;
    std::vector<int32_t> got;
    for (int32_t h : hits) {
      if (h == HIT_LIST_END) break;
      got.push_back(h);
    }
    EXPECT_EQ(got, c.hits) << c.text;
    EXPECT_EQ(hits[c.hits.size()], HIT_LIST_END) << c.text;
  }
  // Texts that name no device leave the hits as they were.
  for (const char* text : {"", "M10 M11 M12", "MOV D0", "Z1"}) {
    std::array<int32_t, DEVICE_HIT_SLOTS> hits;
    hits.fill(7);
    CrossReference xref;
    EXPECT_FALSE(cross_reference(grid, text, hits, xref)) << text;
    EXPECT_EQ(hits[0], 7) << text;
  }
}

TEST_F(DeviceSearch, CrossReferenceStopsAtItsTableAndCountsTheRest) {
  std::vector<std::string> rows(150, "X0 ~ (Y0)");
  const LadderGrid grid = ladder_from_text(rows);
  std::array<int32_t, DEVICE_HIT_SLOTS + 1> guarded;
  guarded.fill(7);
  CrossReference xref;
  ASSERT_TRUE(cross_reference(grid, "X0", std::span<int32_t>(guarded.data(), DEVICE_HIT_SLOTS), xref));
  EXPECT_EQ(xref.lines.size(), 99u);
  EXPECT_EQ(xref.more, 51);
  EXPECT_EQ(guarded[99], HIT_LIST_END);
  EXPECT_EQ(guarded[100], 7);  // nothing written past the table
}

TEST_F(DeviceSearch, UsedDeviceListsComeFourALineOrOneALineWithComments) {
  LadderGrid grid = ladder_from_text({
      "X1F X10 X12 ~ (Y0)",
      "X11 X1A X13 ~ (M9000)",
      "X10 J102 ~ (M5)",
      "M8001 ~ [MOV D0 D1]",
  });
  grid[2].cell[OUTPUT_COLUMN].word[0] |= CellFlags::HAS_COMMENT;
  std::snprintf(grid[2].text[OUTPUT_COLUMN], CELL_TEXT_SIZE, "%s", "motor\nrun");
  UsedDeviceList x = build_used_device_list(grid, false, Device::X);
  EXPECT_EQ(x.lines, (std::vector<std::string>{"X10 X11 X12 X13", "X1A X1F "}));
  EXPECT_EQ(x.entries, (std::vector<std::string>{"X1", "X1"}));
  UsedDeviceList m = build_used_device_list(grid, true, Device::M);  // M above 8000 is left out
  EXPECT_EQ(m.lines, (std::vector<std::string>{"M5 motor run"}));
  EXPECT_EQ(m.entries, (std::vector<std::string>{"M5"}));
  UsedDeviceList j = build_used_device_list(grid, false, Device::J);
  EXPECT_EQ(j.lines, (std::vector<std::string>{"J102 "}));
  EXPECT_EQ(j.entries, (std::vector<std::string>{"J102"}));
  UsedDeviceList d = build_used_device_list(grid, true, Device::D);
  EXPECT_EQ(d.entries, (std::vector<std::string>{"D0", "D1"}));
}

}  // namespace

namespace {

TEST_F(DeviceSearch, UsesForTheHighlightFollowAMarkedOutputIntoItsDataBits) {
  LadderGrid grid = ladder_from_text({
      "X0 ~ (M5)",      // 0: M5 marked with the D marker
      "D3 /D4 ~ (Y0)",  // 1: bit contacts of D: counted
      "M5 ~ (M6)",      // 2: M6 marked: the run ends here
      "D7 ~ (Y1)",      // 3: not counted
  });
  grid[0].cell[OUTPUT_COLUMN].word[1] |= 0x800000;
  grid[2].cell[OUTPUT_COLUMN].word[1] |= 0x800000;
  std::array<int32_t, DEVICE_HIT_SLOTS> hits;
  hits.fill(7);
  list_device_uses(grid, "M5", hits);
  EXPECT_EQ(std::vector<int32_t>(hits.begin(), hits.begin() + 5),
            (std::vector<int32_t>{hit_word(0, 11, 0), hit_word(1, 0, 0), hit_word(1, 1, 0), hit_word(2, 0, 0),
                                  HIT_LIST_END}));
  // The list form lists only the device's own uses.
  CrossReference xref;
  ASSERT_TRUE(cross_reference(grid, "M5", hits, xref));
  EXPECT_EQ(xref.lines, (std::vector<std::string>{"M5-1-O ", "M5-3-A "}));
}

}  // namespace
