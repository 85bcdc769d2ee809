// The design screen's dialogs in the real design window, driven by messages: consecutive
// numbers entered into a column of contacts through the number entry dialog and its keypad,
// a device comment and a row comment written and seen in the painted design and the saved
// file, and an instruction picked into an output box and compiled.
#include "bars_frame.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/design_file.h"
#include "core/instruction_tables.h"
#include "core/ladder_compiler.h"
#include "design/comment_dialog_win.h"
#include "design/comment_entry.h"
#include "design/design_dialogs_win.h"
#include "design/design_commands_win.h"
#include "design/design_dialog_hooks_win.h"
#include "design/design_paint.h"
#include "design/design_paint_win.h"
#include "design/design_window_win.h"
#include "design/function_dialog_win.h"
#include "design/function_picker.h"
#include "design/number_dialog_win.h"
#include "design/number_entry.h"
#include "design/undo_ring.h"
#include "design/view_geometry_win.h"
#include "shell/mode_flags.h"
#include "shell/toolbar_win.h"
#include "shell/window_lists_win.h"
#include "shell/text_win.h"
#include "support/instruction_records.h"
#include "support/ladder_text.h"

namespace {

using bars_test::BarsFrame;
using bars_test::narrow;

class DesignDialogs : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    GetClientRect(frame, &g_client_rect);
    window = open_new_design();
    ASSERT_NE(window, nullptr);
    view = view_state_of(window);
    grid = design_grid_of(window);
    ASSERT_NE(view, nullptr);
    g_comments_changed = 0;
    set_design_dialog_opener(open_design_dialog_for_command);
  }
  void TearDown() override {
    if (HWND slot = as_hwnd(dialog_slot_row(g_screen_kind)[0])) SendMessageW(slot, WM_CLOSE, 0, 0);
    reset_design_modes();
    if (window != nullptr && IsWindow(window)) {
      if (SendMessageW(window, WM_COMMAND, CMD_QUERY_MODIFIED, 0) == 1) boxes_->answer(IDNO);
      SendMessageW(window, WM_CLOSE, 0, 0);
      pump_messages();
    }
    BarsFrame::TearDown();
  }

  // Puts a ladder into the design (rows, END row, end mark).
  void load(std::initializer_list<const char*> rows) {
    const LadderGrid ladder = ladder_from_text(rows);
    for (size_t r = 0; r < ladder.size(); ++r) (*grid)[r] = ladder[r];
    InvalidateRect(window, nullptr, TRUE);
    push_design_undo(*grid);
  }
  LPARAM cell_position(int row, int col) const {
    const int x = view->left_rail_x + col * view->cell_width + view->cell_width / 2;
    const int y = view->top_margin + (row - view->top_row) * view->row_height + view->row_height / 4;
    return MAKELPARAM(x, y);
  }
  void click(int row, int col) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, cell_position(row, col));
    SendMessageW(window, WM_LBUTTONUP, 0, cell_position(row, col));
  }
  static void press(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  static std::string text(HWND dialog, int id) { return dialog_item_text(dialog, id, 4000); }
  static void set_text(HWND dialog, int id, const char* text) { set_dialog_item_text(dialog, id, text); }
  uint32_t operand(int row, int col) const { return (*grid)[static_cast<size_t>(row)].cell[col].word[1]; }
  HWND slot0() const { return as_hwnd(dialog_slot_row(g_screen_kind)[0]); }
  std::vector<std::string> shown_texts() const { return boxes_->texts(); }
  // The texts the design window paints now.
  std::vector<std::string> painted_texts() const {
    RECT client{};
    GetClientRect(window, &client);
    const DisplayList list = build_design_display_list(design_paint_inputs(window, *view, *grid, client));
    std::vector<std::string> texts;
    for (const PaintItem& item : list.items)
      if (item.kind == PaintKind::TEXT) texts.push_back(item.text);
    return texts;
  }
  static bool contains(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& t : texts)
      if (t.find(part) != std::string::npos) return true;
    return false;
  }

  HWND window = nullptr;
  ViewState* view = nullptr;
  LadderGrid* grid = nullptr;
};

TEST_F(DesignDialogs, ConsecutiveNumbersGoDownAColumnOfContacts) {
  load({"? ~ (Y0)", "? ~ (Y1)", "? ~ (Y2)", "? ~ (Y3)"});
  use_tool(CMD_SET_NUMBER);
  click(0, 0);
  HWND dialog = number_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(slot0(), dialog);
  EXPECT_EQ(IsDlgButtonChecked(dialog, NumberDialogId::MODE_NUMBER), BST_CHECKED);

  press(dialog, NumberDialogId::MODE_CONSECUTIVE);
  EXPECT_EQ(IsDlgButtonChecked(dialog, NumberDialogId::MODE_CONSECUTIVE), BST_CHECKED);
  EXPECT_EQ(g_number_entry.mode, NumberEntryMode::CONSECUTIVE);
  // The keypad types at the caret: X, 1, E.
  press(dialog, NumberDialogId::KEY_CLEAR);
  for (char c : std::string("X1E")) press(dialog, keypad_id_of_char(c));
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "X1E");
  const int undo_before = g_design_undo.count;
  press(dialog, IDOK);
  EXPECT_EQ(operand(0, 0), il::X(0x1E));
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "X1F");
  EXPECT_EQ(g_number_entry.count, 1);
  EXPECT_EQ(g_design_undo.count, undo_before + 1);

  // Each further click on a part stores the prepared number.
  click(1, 0);
  click(2, 0);
  click(3, 0);
  EXPECT_EQ(operand(1, 0), il::X(0x1F));
  EXPECT_EQ(operand(2, 0), il::X(0x20));
  EXPECT_EQ(operand(3, 0), il::X(0x21));
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "X22");
  EXPECT_EQ(g_number_entry.count, 4);
  EXPECT_EQ(g_design_undo.count, undo_before + 4);
  EXPECT_TRUE(boxes_->shown().empty());
  EXPECT_FALSE(save_screenshot("number_dialog_consecutive").empty());

  // 連続-END ends the run: a click selects again and feeds the cell's text.
  press(dialog, NumberDialogId::END_RUN);
  EXPECT_EQ(g_number_entry.count, 0);
  click(1, 0);
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "X1F");
  EXPECT_EQ(operand(1, 0), il::X(0x1F));

  // The empty mode clears the numbers of the parts clicked.
  press(dialog, NumberDialogId::MODE_EMPTY);
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "");
  set_text(dialog, NumberDialogId::EDIT, "X5");
  press(dialog, IDOK);  // whatever the box holds, an empty text is stored
  EXPECT_EQ((*grid)[1].cell[0].word[0] & CellFlags::OPERAND_SET, 0u);
  EXPECT_EQ(g_number_entry.count, 1);
  press(dialog, NumberDialogId::END_RUN);
  EXPECT_EQ(IsDlgButtonChecked(dialog, NumberDialogId::MODE_NUMBER), BST_CHECKED);
  EXPECT_EQ(g_number_entry.mode, NumberEntryMode::NUMBER);

  // The copy mode feeds the cursor cell's text.
  click(2, 0);
  press(dialog, NumberDialogId::MODE_COPY);
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "X20");

  // 閉じる: the dialog is destroyed and its slot emptied; the option boxes survive.
  press(dialog, NumberDialogId::CHANGE_SAME);
  EXPECT_TRUE(g_number_entry.change_same_numbers);
  press(dialog, IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(slot0(), nullptr);
  EXPECT_EQ(g_number_entry.mode, NumberEntryMode::NUMBER);
  dialog = open_number_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(dialog, NumberDialogId::CHANGE_SAME), BST_CHECKED);
  press(dialog, NumberDialogId::CHANGE_SAME);
  EXPECT_FALSE(g_number_entry.change_same_numbers);
}

TEST_F(DesignDialogs, ConsecutiveRunRefusedOnABoxAndKeypadEditsAtTheCaret) {
  load({"X0 ~ [MOV D0 D1]"});
  HWND dialog = open_number_dialog();
  ASSERT_NE(dialog, nullptr);
  // The keypad: M, 1, 0, then caret left and BS removes the 1.
  press(dialog, NumberDialogId::KEY_CLEAR);
  for (char c : std::string("M10")) press(dialog, keypad_id_of_char(c));
  press(dialog, NumberDialogId::KEY_LEFT);
  press(dialog, NumberDialogId::KEY_BACKSPACE);
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "M0");
  press(dialog, NumberDialogId::KEY_DELETE);
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "M");
  press(dialog, NumberDialogId::KEY_SPACE);
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "M ");

  // A MOV box numbered consecutively: stored, then the run is refused with its message.
  click(0, 11);
  press(dialog, NumberDialogId::MODE_CONSECUTIVE);
  set_text(dialog, NumberDialogId::EDIT, "MOV D2 D3");
  boxes_->answer(IDOK);
  press(dialog, IDOK);
  EXPECT_EQ(operand(0, 11), il::D(2));
  EXPECT_EQ(shown_texts(), (std::vector<std::string>{NO_CONSECUTIVE_MESSAGE}));
  EXPECT_EQ(g_number_entry.count, 0);
}

TEST_F(DesignDialogs, DeviceAndRowCommentsArePaintedAndSaved) {
  load({"X1 X2 ~ (Y0)", "X1 ~ (Y1)", ". ~ (Y2)"});
  (*grid)[2] = LadderRow{};  // a blank row for the row comment
  use_tool(CMD_COMMENT);
  click(0, 0);
  HWND dialog = slot0();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC)), comment_dialog_proc);
  // The list holds every device once; X1's entry is selected and in the device box.
  const LRESULT count = SendDlgItemMessageW(dialog, CommentDialogId::LIST, LB_GETCOUNT, 0, 0);
  EXPECT_EQ(count, 4);  // X1 X2 Y0 Y1
  EXPECT_EQ(SendDlgItemMessageW(dialog, CommentDialogId::LIST, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(text(dialog, CommentDialogId::DEVICE_EDIT), "X01");

  set_text(dialog, CommentDialogId::COMMENT_EDIT, "START PB");
  const int undo_before = g_design_undo.count;
  press(dialog, IDOK);
  EXPECT_STREQ((*grid)[0].text[0], "START\nPB\n");
  EXPECT_STREQ((*grid)[1].text[0], "START\nPB\n");
  EXPECT_EQ(g_comments_changed, 1);
  EXPECT_EQ(g_design_undo.count, undo_before + 1);
  wchar_t line[128] = L"";
  SendDlgItemMessageW(dialog, CommentDialogId::LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
  EXPECT_EQ(narrow(line).substr(0, 16), "X01    START PB ");
  EXPECT_TRUE(contains(painted_texts(), "START"));
  EXPECT_FALSE(save_screenshot("comment_dialog").empty());

  // Picking another device in the list and OK comments that device.
  SendDlgItemMessageW(dialog, CommentDialogId::LIST, LB_SETCURSEL, 1, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(CommentDialogId::LIST, LBN_SELCHANGE), 0);
  EXPECT_EQ(text(dialog, CommentDialogId::DEVICE_EDIT), "X02");
  set_text(dialog, CommentDialogId::COMMENT_EDIT, "STOP");
  press(dialog, IDOK);
  EXPECT_STREQ((*grid)[0].text[1], "STOP\n");
  EXPECT_STREQ((*grid)[0].text[0], "START\nPB\n");

  // An empty device box asks for a device from the list.
  set_text(dialog, CommentDialogId::DEVICE_EDIT, "");
  boxes_->answer(IDOK);
  press(dialog, IDOK);
  EXPECT_EQ(shown_texts(), (std::vector<std::string>{PICK_DEVICE_MESSAGE}));
  press(dialog, IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(slot0(), nullptr);

  // A row comment on the blank row.
  click(2, 3);
  dialog = slot0();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC)), row_comment_dialog_proc);
  set_text(dialog, CommentDialogId::COMMENT_EDIT, "Pump station\r\nline two");
  press(dialog, IDOK);
  EXPECT_TRUE(is_comment_row((*grid)[2]));
  EXPECT_STREQ((*grid)[2].row_text(), "Pump station \nline two");
  EXPECT_TRUE(contains(painted_texts(), "Pump station"));
  EXPECT_FALSE(save_screenshot("row_comment_dialog").empty());

  // A text that does not fit the row is refused with its message.
  boxes_->answer(IDOK);
  set_text(dialog, CommentDialogId::COMMENT_EDIT, std::string(1700, 'a').c_str());
  press(dialog, IDOK);
  EXPECT_EQ(shown_texts().back(), ROW_COMMENT_TOO_LONG_MESSAGE);
  EXPECT_STREQ((*grid)[2].row_text(), "Pump station \nline two");
  press(dialog, IDCANCEL);

  // Both comments are in the saved file.
  char path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, path);
  std::string file = std::string(path) + "dialogs_comments.MBS";
  ASSERT_EQ(save_design_file(window, *grid, view, file.c_str()), DesignSaveResult::SAVED);
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find("START"), std::string::npos);
  EXPECT_NE(bytes.find("Pump station"), std::string::npos);
  in.close();
  DeleteFileA(file.c_str());
}

TEST_F(DesignDialogs, FunctionPickedIntoABoxCompiles) {
  load({"X0 - - - - - - - - - -"});
  use_tool(CMD_TOOL_FUNCTION);
  click(0, 11);
  HWND dialog = slot0();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC)), function_dialog_proc);
  HWND combo = GetDlgItem(dialog, FunctionDialogId::COMBO);
  EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), TRUE);
  EXPECT_FALSE(save_screenshot("function_dialog").empty());
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 11);

  // OK with an empty text does nothing.
  const int undo_before = g_design_undo.count;
  press(dialog, IDOK);
  EXPECT_EQ(g_design_undo.count, undo_before);

  // Rejected operands: the message, and the grid as it was.
  const LadderRow row_before = (*grid)[0];
  set_text(dialog, FunctionDialogId::COMBO, "MOV D0 Q");
  boxes_->answer(IDOK);
  press(dialog, IDOK);
  ASSERT_FALSE(shown_texts().empty());
  EXPECT_EQ(shown_texts().back(), FUNCTION_OPERAND_MESSAGE);
  EXPECT_EQ(std::memcmp(&(*grid)[0], &row_before, sizeof row_before), 0);
  EXPECT_EQ(g_design_undo.count, undo_before);

  set_text(dialog, FunctionDialogId::COMBO, "MOV D0 D1");
  press(dialog, IDOK);
  EXPECT_EQ(g_design_undo.count, undo_before + 1);
  EXPECT_EQ(row_output_code((*grid)[0]), static_cast<uint32_t>(Instr::MOV));
  EXPECT_TRUE(IsWindow(dialog)) << "the picker stays open for the next box";
  InstructionList list = make_instruction_list(200);
  ASSERT_EQ(compile_ladder(window, *grid, list, nullptr, 0), 0) << ladder_picture(*grid);
  bool compiled_mov = false;
  for (const InstructionRecord& r : list_records(list))
    compiled_mov = compiled_mov || (r.word[0] & RecordFlags::CODE_MASK) == static_cast<uint32_t>(Instr::MOV);
  EXPECT_TRUE(compiled_mov) << records_text(list_records(list));

  // SORT lists CMP first and survives closing.
  press(dialog, FunctionDialogId::SORT);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  wchar_t first[16] = L"";
  SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_EQ(narrow(first), "CMP");
  press(dialog, IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(slot0(), nullptr);
  dialog = open_function_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(dialog, FunctionDialogId::SORT), BST_CHECKED);
  SendDlgItemMessageW(dialog, FunctionDialogId::COMBO, CB_SHOWDROPDOWN, FALSE, 0);
  press(dialog, FunctionDialogId::SORT);
  SendDlgItemMessageW(dialog, FunctionDialogId::COMBO, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(g_function_sort, 0);
}

}  // namespace

namespace {

TEST_F(DesignDialogs, DialogsParkBesideTheGridAndInTheCorner) {
  load({"X0 - - - - X5 ~ (Y0)"});
  const RECT client = mdi_client_screen_rect();
  use_tool(CMD_SET_NUMBER);
  click(0, 5);
  HWND dialog = number_dialog();
  ASSERT_NE(dialog, nullptr);
  RECT r{};
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.left, client.right / 16);
  EXPECT_EQ(r.top, client.bottom * 2 / 7);
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "X5");
  press(dialog, NumberDialogId::MOVE_DIALOG);
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.right, client.right - 25);
  EXPECT_EQ(r.bottom, client.bottom - 17);

  // The comment dialog reopens where it was closed, 25 left of and 17 above.
  use_tool(CMD_COMMENT);
  click(0, 0);
  dialog = slot0();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindow(number_dialog()));
  press(dialog, CommentDialogId::MOVE_DIALOG);
  press(dialog, IDCANCEL);
  click(0, 0);
  dialog = slot0();
  ASSERT_NE(dialog, nullptr);
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.right, client.right - 50);
  EXPECT_EQ(r.bottom, client.bottom - 34);
}

}  // namespace

namespace {

TEST_F(DesignDialogs, TheNumberCommandOpensTheDialogWithTheCellsText) {
  load({"X0 /X7 ~ (Y0)"});
  view->cursor_row = 0;
  view->cursor_col = 1;
  command(CMD_SET_NUMBER);
  HWND dialog = number_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(slot0(), dialog);
  EXPECT_EQ(text(dialog, NumberDialogId::EDIT), "X7");
  // Focused with its text selected, as a click fills it: typing replaces the old number.
  HWND edit = GetDlgItem(dialog, NumberDialogId::EDIT);
  DWORD start = 1, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u);
  EXPECT_EQ(GetFocus(), edit);
  set_text(dialog, NumberDialogId::EDIT, "X8");
  press(dialog, IDOK);
  EXPECT_EQ(operand(0, 1), il::X(8));
}

}  // namespace
