#include "target/device_images.h"

#include <cstring>

namespace {

DeviceBitImage device_bit_image_store{};
std::array<TimerCounterRecord, TIMER_COUNTER_RECORDS> timer_store{};
std::array<TimerCounterRecord, TIMER_COUNTER_RECORDS> counter_store{};
std::array<std::array<WordDeviceRecord, WORD_DEVICE_RECORDS>, WORD_DEVICE_TYPES> word_store{};
std::array<StepRecord, STEP_RECORDS> step_store{};
std::array<int32_t, J_GROUPS> active_step_store{};
std::array<InterlockGroup, INTERLOCK_GROUPS> interlock_store{};

constexpr uint32_t PART_TEST_MASK = 0x9;  // a part present and no line through the cell
constexpr uint32_t PART_PRESENT = 0x8;
constexpr int SPECIAL_ROW_LIST_CELLS = 11;  // cells 0-10 list devices

bool holds_part(const LadderCell& cell) { return (cell.word[0] & PART_TEST_MASK) == PART_PRESENT; }
bool is_end_mark(const LadderRow& row) { return row.cell[0].word[0] == END_MARK_CELL; }
uint32_t image_type(uint32_t operand) { return operand >> 28; }
uint32_t device_number(uint32_t operand) { return operand & 0xFFFF; }

void set_image_bit(DeviceImageEntry* entry, uint32_t number, bool on) {
  if (!entry) return;
  const int32_t bit = static_cast<int32_t>(1u << (number & 15));
  if (on) entry->word[0] |= bit;
  else entry->word[0] &= ~bit;
}

size_t grid_limit(GridSpan grid) {
  return grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? grid.size() : static_cast<size_t>(MAX_GRID_ROWS);
}

// The rows [first, last) of the first block of consecutive rows with `code` at or after
// `from`, before the end-mark row.
void find_special_block(GridSpan grid, size_t from, uint32_t code, size_t& first, size_t& last) {
  const size_t limit = grid_limit(grid);
  first = last = limit;
  size_t r = from;
  while (r < limit && !is_end_mark(grid[r]) && special_row_kind(grid[r]) != code) ++r;
  if (r >= limit || is_end_mark(grid[r])) return;
  first = r;
  while (r < limit && !is_end_mark(grid[r]) && special_row_kind(grid[r]) == code) ++r;
  last = r;
}

void mark_cells_showing(GridSpan grid, uint32_t device) {
  const size_t limit = grid_limit(grid);
  for (size_t r = 0; r < limit && !is_end_mark(grid[r]); ++r)
    for (int c = 0; c < SPECIAL_ROW_LIST_CELLS; ++c) {
      LadderCell& cell = grid[r].cell[c];
      if (holds_part(cell) && cell.word[1] == device) cell.word[2] = 1;
    }
}

}  // namespace

DeviceBitImage& g_device_bit_image = device_bit_image_store;
std::array<TimerCounterRecord, TIMER_COUNTER_RECORDS>& g_timer_records = timer_store;
std::array<TimerCounterRecord, TIMER_COUNTER_RECORDS>& g_counter_records = counter_store;
std::array<std::array<WordDeviceRecord, WORD_DEVICE_RECORDS>, WORD_DEVICE_TYPES>& g_word_records = word_store;
std::array<StepRecord, STEP_RECORDS>& g_step_records = step_store;
std::array<int32_t, J_GROUPS>& g_active_steps = active_step_store;
std::array<InterlockGroup, INTERLOCK_GROUPS>& g_interlock_groups = interlock_store;

DeviceImageEntry* device_image_entry(uint32_t operand) {
  const uint32_t type = image_type(operand);
  const uint32_t entry = (device_number(operand) >> 4) & 0xFFF;
  if (type >= IMAGE_TYPES) return nullptr;
  return &g_device_bit_image[type][entry];
}

DeviceImageEntry* polled_image_entry(uint32_t operand) {
  constexpr uint32_t Y_TYPE = 1;
  const uint32_t type = image_type(operand);
  uint32_t entry = (device_number(operand) >> 4) & 0x7FF;
  if (type == Y_TYPE) entry += 1;
  if (type >= IMAGE_TYPES || entry >= IMAGE_ENTRIES) return nullptr;
  return &g_device_bit_image[type][entry];
}

WordDeviceRecord* word_device_record(int device_index, uint32_t index) {
  const int t = device_index - FIRST_WORD_DEVICE_TYPE;
  if (t < 0 || t >= WORD_DEVICE_TYPES || index >= static_cast<uint32_t>(WORD_DEVICE_RECORDS)) return nullptr;
  return &g_word_records[static_cast<size_t>(t)][index];
}

void mark_bit_not_polled(uint32_t operand) {
  if (DeviceImageEntry* entry = polled_image_entry(operand))
    entry->word[NOT_POLLED_WORD] |= static_cast<int32_t>(1u << (device_number(operand) & 15));
}

bool is_bit_not_polled(uint32_t operand) {
  const DeviceImageEntry* entry = polled_image_entry(operand);
  return entry && ((entry->word[NOT_POLLED_WORD] >> (device_number(operand) & 15)) & 1);
}

void mark_word_not_polled(int device_index, uint32_t number) {
  if (WordDeviceRecord* record = word_device_record(device_index, number)) record->word[NOT_POLLED_WORD] = 1;
}

bool is_word_not_polled(int device_index, uint32_t number) {
  const WordDeviceRecord* record = word_device_record(device_index, number);
  return record && record->word[NOT_POLLED_WORD] != 0;
}

void clear_device_image() {
  constexpr int CLEARED_TYPES = 16;
  for (int t = 0; t < CLEARED_TYPES; ++t)
    for (int e = 0; e < CLEARED_IMAGE_ENTRIES; ++e)
      for (int w = 1; w < 6; ++w) g_device_bit_image[t][e].word[w] = 0;
}

void init_run_memory_from_design(std::span<const uint32_t> used_device_list, GridSpan grid) {
  for (uint32_t word : used_device_list) {
    if (word == USED_DEVICE_LIST_END) break;
    const uint32_t type = (word >> 24) >> 4;
    const uint32_t entry = word & 0xFFFFFF;
    if (type < IMAGE_TYPES && entry < static_cast<uint32_t>(IMAGE_ENTRIES)) g_device_bit_image[type][entry].word[0] = 0;
  }

  g_active_steps.fill(NO_ACTIVE_STEP);
  // The groups of an earlier program never survive, even when this grid has no END row.
  g_interlock_groups[0][0] = INTERLOCK_END;

  const int after_end = count_program_rows(grid);
  if (after_end > 0 && after_end < MAX_GRID_ROWS) {
    const size_t from = static_cast<size_t>(after_end);
    size_t first = 0;
    size_t last = 0;

    // Devices on at power-on.
    find_special_block(grid, from, INITIALLY_ON_ROW, first, last);
    for (size_t r = first; r < last; ++r)
      for (int c = 0; c < SPECIAL_ROW_LIST_CELLS && holds_part(grid[r].cell[c]); ++c) {
        const uint32_t device = grid[r].cell[c].word[1];
        set_image_bit(device_image_entry(device), device_number(device), true);
        mark_cells_showing(grid, device);
      }

    // Interlock groups: one row each; the last table slot stays the closing group.
    size_t group = 0;
    find_special_block(grid, from, INTERLOCK_ROW, first, last);
    for (size_t r = first; r < last && group + 1 < static_cast<size_t>(INTERLOCK_GROUPS); ++r, ++group) {
      InterlockGroup& members = g_interlock_groups[group];
      int n = 0;
      for (int c = 0; c < SPECIAL_ROW_LIST_CELLS && holds_part(grid[r].cell[c]); ++c)
        members[static_cast<size_t>(n++)] = static_cast<int32_t>(grid[r].cell[c].word[1]);
      if (n < INTERLOCK_GROUP_SIZE) members[static_cast<size_t>(n)] = INTERLOCK_END;
      g_interlock_groups[group + 1][0] = INTERLOCK_END;
    }
  }

  // Special relays: M9036 and M9038 on, M9037 and M9039 off.
  constexpr int M_TYPE = 2;
  int32_t& relays = g_device_bit_image[M_TYPE][SPECIAL_RELAY_ENTRY].word[0];
  relays |= (1 << 12) | (1 << 14);
  relays &= ~((1 << 13) | (1 << 15));
}

void clear_interlocked_bits(uint32_t operand) {
  const int32_t device = static_cast<int32_t>(operand);
  for (const InterlockGroup& group : g_interlock_groups) {
    if (group[0] == INTERLOCK_END) break;
    bool member = false;
    for (int32_t m : group) {
      if (m == INTERLOCK_END) break;
      if (m == device) member = true;
    }
    if (!member) continue;
    for (int32_t m : group) {
      if (m == INTERLOCK_END) break;
      if (m == device) continue;
      const uint32_t other = static_cast<uint32_t>(m);
      set_image_bit(device_image_entry(other), device_number(other), false);
    }
  }
}

void reset_device_images() {
  std::memset(static_cast<void*>(&device_bit_image_store), 0, sizeof device_bit_image_store);
  timer_store = {};
  counter_store = {};
  std::memset(static_cast<void*>(&word_store), 0, sizeof word_store);
  step_store = {};
  active_step_store = {};
  interlock_store = {};
}
