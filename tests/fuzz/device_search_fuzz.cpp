// Typed search and replace texts over a grid whose cell words come from the input: the
// reader of device texts, the searches in every mode, the replace (always Yes, then one
// restart), the cross-reference and the used-device lists must stay inside the grid and the
// hit table whatever the words and texts are.
//
// Input: byte 0 the search mode (0-4), then the search text, a NUL, the new text, a NUL,
// then the cell words (word 0 and word 1, little-endian) of the rows, filled cell by cell.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "design/device_search.h"

namespace {

struct YesPort : ReplacePort {
  int questions = 0;
  void show_hit(ViewState& view, const SearchHit& hit) override { move_to_hit(view, hit, view.visible_rows); }
  ReplaceAnswer ask_replace() override { return ++questions > 400 ? ReplaceAnswer::CANCEL : ReplaceAnswer::YES; }
  bool ask_restart() override { return true; }
  void show_message(const char*, const char*) override {}
  void assign_comment(int, int, uint32_t) override {}
  void cell_changed(int, int) override {}
  void cell_passed(int, int) override {}
  void repaint_all() override {}
};

std::string take_text(const uint8_t*& data, size_t& size) {
  std::string text;
  while (size > 0 && *data != 0 && text.size() < 120) {
    text += static_cast<char>(*data++);
    --size;
  }
  if (size > 0) {
    ++data;
    --size;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int mode = data[0] % 5;
  ++data;
  --size;
  const std::string text = take_text(data, size);
  const std::string replacement = take_text(data, size);

  constexpr int ROWS = 12;
  LadderGrid grid = make_ladder_grid(ROWS);
  for (size_t i = 0; size >= 8 && i < static_cast<size_t>(ROWS) * ROW_CELLS; ++i, data += 8, size -= 8) {
    LadderCell& cell = grid[i / ROW_CELLS].cell[i % ROW_CELLS];
    std::memcpy(&cell.word[0], data, 4);
    std::memcpy(&cell.word[1], data + 4, 4);
  }

  uint32_t device = 0;
  parse_search_device(text, mode, device);
  ViewState view{};
  init_view_state(view, 0);
  view.visible_rows = 5;
  view.cursor_row = static_cast<int>(text.size() % ROWS);
  view.cursor_col = static_cast<int>(replacement.size() % 16);
  view.sel_row = view.cursor_row;
  view.sel_col = static_cast<int>(text.size() % 3) - 1;
  SearchContext context{mode, true, false};
  SearchOutcome outcome = plan_device_search(grid, view, context, text);
  for (int i = 0; i < 30 && outcome.hit.found(); ++i) {
    move_to_hit(view, outcome.hit, view.visible_rows);
    outcome.hit = mode == SEARCH_UP ? find_device_up(grid, view) : find_device_down(grid, view, context);
  }
  InstructionCode code = 0;
  if (instruction_code_from_name(text, code) == 0) find_instruction_down(grid, view, code);

  YesPort port;
  replace_devices(grid, view, text, replacement, mode % 2 == 0, port);

  std::array<int32_t, DEVICE_HIT_SLOTS> hits{};
  CrossReference xref;
  cross_reference(grid, text, hits, xref);
  list_device_uses(grid, text.c_str(), hits);
  for (int32_t hit : hits) {
    if (hit == HIT_LIST_END) break;
    if (hit_row(hit) >= ROWS) __builtin_trap();
  }
  build_used_device_list(grid, mode % 2 == 1, static_cast<DeviceIndex>(mode * 3));
  return 0;
}
