#include "design/search_dialogs.h"

#include <algorithm>

#include "design/device_search.h"

int g_search_dialog_variant = 0;
int g_search_class_button = 553;
int g_search_class = 0;
int g_search_one_column = 0;
SearchListContent g_search_list_content = SearchListContent::USED_FOUR_A_LINE;
std::string g_search_entry;
std::vector<std::string> g_search_list_entries;
std::string g_search_text;
int g_replace_keep_comment = 1;

void reset_search_dialog_state() {
  g_search_dialog_variant = 0;
  g_search_class_button = 553;
  g_search_class = 0;
  g_search_one_column = 0;
  g_search_list_content = SearchListContent::USED_FOUR_A_LINE;
  g_search_entry.clear();
  g_search_list_entries.clear();
  g_search_text.clear();
  g_replace_keep_comment = 1;
}

int device_class_of_button(int id) {
  for (const DeviceClassButton& b : DEVICE_CLASS_BUTTONS)
    if (b.id == id) return b.index;
  return -1;
}

ListChoice choose_list_line(int line, const std::string& edit_text, std::span<const int32_t> hits) {
  ListChoice choice;
  if (line < 0) return choice;
  if (g_search_list_content == SearchListContent::USES) {
    for (size_t i = 0; i < hits.size() && hits[i] != HIT_LIST_END; ++i) {
      if (i == static_cast<size_t>(line)) {
        choice.action = ListChoice::JUMP;
        choice.hit = hits[i];
        return choice;
      }
    }
    return choice;
  }
  if (static_cast<size_t>(line) >= g_search_list_entries.size()) return choice;
  const std::string& entry = g_search_list_entries[static_cast<size_t>(line)];
  if (g_search_list_content == SearchListContent::USED_ONE_A_LINE) {
    choice.action = ListChoice::LIST_USES;
    choice.edit_text = entry;
    return choice;
  }
  choice.action = ListChoice::SET_TEXT;
  const std::vector<std::string> words = search_words(edit_text, 1);
  if (!words.empty() && (words[0] == "SET" || words[0] == "RST" || words[0] == "PLS" || words[0] == "PLF"))
    choice.edit_text = words[0] + " " + entry;
  else
    choice.edit_text = entry;
  return choice;
}

bool jump_to_use(ConstGridSpan grid, ViewState& view, int32_t hit) {
  if (hit == HIT_LIST_END) return false;
  const int row = hit_row(hit);
  const int column = hit_column(hit);
  const int rows = static_cast<int>(std::min<size_t>(grid.size(), MAX_GRID_ROWS));
  if (row >= rows || column > 14) return false;
  int end_row = rows;
  for (int r = 0; r < rows; ++r)
    if ((grid[static_cast<size_t>(r)].cell[OUTPUT_COLUMN].word[0] & CellFlags::END) != 0) {
      end_row = r;
      break;
    }
  view.sel_rows = 0;
  view.sel_width = 0;
  view.cursor_col = view.sel_col = column;
  if ((hit & 0x10000000) != 0 && column > 0) {
    view.sel_col = column - 1;
    view.sel_width = 1;
  }
  view.sel_row = view.cursor_row = row;
  if (row < view.top_row || row > view.top_row + view.visible_rows) {
    if (row >= end_row - view.visible_rows) view.top_row = std::max(0, end_row - view.visible_rows - 1);
    else view.top_row = std::max(0, row - 2);
  }
  return true;
}

SearchBranch search_branch(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::DESIGN_GRID:
    case DocumentKind::MONITOR_GRID:
      return SearchBranch::GRID;
    case DocumentKind::MNEMONIC_TEXT:
      return SearchBranch::TEXT;
    case DocumentKind::NONE:
      break;
  }
  return SearchBranch::NOTHING;
}

SearchBranch replace_branch(DocumentKind kind) {
  return kind == DocumentKind::MONITOR_GRID ? SearchBranch::NOTHING : search_branch(kind);
}
