#include "core/ladder_compiler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "core/compiler_checks.h"
#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/notice.h"

int g_emit_index = 0;
int g_block_start_pending = 0;
int g_branch_group = -1;
int g_branch_level = 0;
int g_duplicate_warning_shown = 0;

void reset_compiler_state() {
  g_emit_index = 0;
  g_block_start_pending = 0;
  g_branch_group = -1;
  g_branch_level = 0;
  g_duplicate_warning_shown = 0;
}

namespace {

// Record words the compiler writes.
namespace Word0 {
inline constexpr uint32_t LD = 0x8001;
inline constexpr uint32_t LDI = 0x8002;
inline constexpr uint32_t AND = 0x8003;
inline constexpr uint32_t ANI = 0x8004;
inline constexpr uint32_t ANB = 0x8007;
inline constexpr uint32_t ORB = 0x8008;
inline constexpr uint32_t MPS = 0x800C;
inline constexpr uint32_t MRD = 0x800D;
inline constexpr uint32_t MPP = 0x800E;
inline constexpr uint32_t JME = 0x801B;
inline constexpr uint32_t JMS = 0x802B;
inline constexpr uint32_t JMI = 0x802C;
inline constexpr uint32_t COMPARE_LD = 0xC001;
inline constexpr uint32_t COMPARE_AND = 0xC003;
inline constexpr uint32_t D_CONTACT = 0x200;  // added for the D-form contacts (part codes 19, 20)
inline constexpr uint32_t SECTION = 0x9000;   // END, FEND and IEND carry the block-start bit always
}  // namespace Word0

constexpr uint32_t U_LABEL_BASE = 0xF5000000;
constexpr uint32_t LABEL_POSITION = 15u << 20;

// The cell bits of a cell that is a contact for the row emitter: present, no line, not a
// timer coil or a box cell.
constexpr uint32_t CONTACT_TEST_MASK = 0x60009;

// Calls of compile_block and compile_output_branches nest with the drawing; a drawing
// that nests deeper than any real rung is refused as too complex instead of exhausting
// the stack.
constexpr int MAX_NESTING = 40;
int g_nesting = 0;
struct NestingGuard {
  NestingGuard() { ++g_nesting; }
  ~NestingGuard() { --g_nesting; }
  bool too_deep() const { return g_nesting > MAX_NESTING; }
};

// Set when a record did not fit the list; the compile then fails with LIST_FULL.
bool g_list_full = false;

ProgramRows program_rows(GridSpan grid) { return ProgramRows(grid, g_program_row_count); }

// Error words carry display rows (comment rows above not counted), which is how the
// compile-error list finds the row again.
int display_row(const ProgramRows& g, int row) {
  int comments = 0;
  for (int r = 0; r < row && r < g.rows(); ++r)
    if (g.is_comment_row(r)) ++comments;
  return row - comments;
}
void record_rung_error(const ProgramRows& g, uint32_t kind, int column, int row) {
  record_compile_error(kind, column, display_row(g, row));
}

int record_code_at(int index) {
  if (index < 0 || static_cast<size_t>(index) >= g_instruction_list.size()) return -1;
  return static_cast<int>(g_instruction_list[static_cast<size_t>(index)].word[0] & RecordFlags::CODE_MASK);
}

// One contact record for the cell at `col`; `position_col` is the column its position
// word names (the left boundary for the first contact of a row).
void emit_contact(const ProgramRows& g, int row, int col, int position_col, bool first) {
  const uint32_t w0 = g.word0(row, col);
  const uint32_t position = source_position(row, position_col);
  if (g.is_comparison(row, col)) {
    const uint32_t code = part_code_of(w0);
    const uint32_t head = (w0 & 0xFF00000) | (code & 0xFF) | ((code & 0xF) > 7 ? RecordFlags::D_FORM : 0);
    emit_instruction(first ? Word0::COMPARE_LD : Word0::COMPARE_AND, head, g.word1(row, col), g.word1(row, col + 1), 0,
                     position);
    return;
  }
  const uint32_t part = (w0 >> 4) & 0x3F;
  uint32_t word0 = first ? (part & 1 ? Word0::LD : Word0::LDI) : (part & 1 ? Word0::AND : Word0::ANI);
  if (part == PartCode::D_CONTACT_A || part == PartCode::D_CONTACT_B) word0 += Word0::D_CONTACT;
  emit_instruction(word0, g.word1(row, col), 0, part, 0, position);
}

bool is_row_contact(const ProgramRows& g, int row, int col) {
  return g.is_comparison(row, col) || (g.word0(row, col) & CONTACT_TEST_MASK) == CellFlags::PRESENT;
}

// Copies a text into entry `index` of g_line_comments, cut to the entry (NUL-terminated).
void store_line_comment(int index, const char* text, size_t capacity) {
  auto& entry = g_line_comments[static_cast<size_t>(index)];
  const size_t length = strnlen(text, std::min(capacity, entry.size() - 1));
  entry.fill(0);
  std::memcpy(entry.data(), text, length);
}

}  // namespace

bool emit_instruction(uint32_t word0, uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4, uint32_t word5) {
  ListSpan list = g_instruction_list;
  if (g_emit_index < 0 || static_cast<size_t>(g_emit_index) + 1 >= list.size()) {
    g_list_full = true;
    return false;
  }
  if (g_block_start_pending) {
    word0 |= RecordFlags::BLOCK_START;
    g_block_start_pending = 0;
  }
  const size_t i = static_cast<size_t>(g_emit_index);
  list[i] = InstructionRecord{{word0, word1, word2, word3, word4, word5}};
  list[i + 1] = end_record();
  ++g_emit_index;
  return true;
}

int find_rung_end(GridSpan grid, int row) {
  const ProgramRows g = program_rows(grid);
  int r = row;
  while (r < g.rows() && g.continues_rung(r + 1)) ++r;
  return r + 1;
}

int measure_block_depth(GridSpan grid, int top, int limit, int right, int left, std::array<int, ROW_CELLS>& depth) {
  const ProgramRows g = program_rows(grid);
  const int row_limit = limit == -1 ? 0x7FFF : limit;
  int r = top;
  for (int col = right; col > left; --col) {
    // Follow a link down at this boundary, then come back up to the lowest row that has
    // a part left of it.
    if (g.linked(r + 1, col)) {
      while (g.linked(r + 1, col) && r < row_limit) ++r;
      if (r >= row_limit) --r;
    }
    while (r > top && !g.has_part(r, col - 1)) --r;
    depth[static_cast<size_t>(col - 1)] = r + 1;
  }
  if (left == 0 || r == top || g.linked(r, left)) return 0;
  // The block reaches below its top row at its left boundary without a link that joins
  // it to the rows above.
  record_rung_error(g, CompileError::NOT_FROM_BRANCH, left, r);
  return 1;
}

int compile_row_contacts(GridSpan grid, int groups, int row, int left, int right) {
  const ProgramRows g = program_rows(grid);
  int count = 0;
  for (int col = left; col < right; ++col) {
    if (g.is_comparison(row, col)) {
      count += 3;
      col += 2;
    } else if (is_row_contact(g, row, col)) {
      ++count;
    }
  }
  if (count == 0) {
    if (right == OUTPUT_COLUMN || g.linked(row + 1, OUTPUT_COLUMN) || groups == 1) return 0;
    record_rung_error(g, CompileError::LINES_ONLY, left, row);
    return -1;
  }
  int col = left;
  while (col < right && !is_row_contact(g, row, col)) ++col;
  emit_contact(g, row, col, left, true);
  col += g.is_comparison(row, col) ? 3 : 1;
  for (; col < right; ++col) {
    const uint32_t w = g.word0(row, col);
    if (!g.has_element(row, col) || (w & CellFlags::TIMER_COIL)) continue;
    const uint32_t box_position = w & 0x1C00;
    if (box_position == 0xC00 || box_position == 0x800) continue;
    emit_contact(g, row, col, col, false);
    if (g.is_comparison(row, col)) col += 2;
  }
  return count;
}

int compile_block(GridSpan grid, int top, int limit, int left_boundary, int right_boundary, BranchList& branches,
                  int collect, int branch) {
  const ProgramRows g = program_rows(grid);
  const NestingGuard guard;
  const int b = std::clamp(left_boundary, 0, OUTPUT_COLUMN);
  const int c = std::clamp(right_boundary, b, OUTPUT_COLUMN);
  if (guard.too_deep()) {
    record_rung_error(g, CompileError::TOO_COMPLEX, 0, top);
    return 1;
  }
  std::array<int, ROW_CELLS> depth{};
  if (measure_block_depth(grid, top, limit, c, b, depth)) return 1;

  bool internal_links = false;
  for (int col = c - 1; col > b && !internal_links; --col)
    for (int r = top; r < depth[static_cast<size_t>(col)]; ++r)
      if (g.linked(r + 1, col)) internal_links = true;

  // Series cut points: boundaries where a link spans the whole height of the block.
  std::array<int, ROW_CELLS + 1> cuts{};
  int cut_count = 0;
  cuts[static_cast<size_t>(cut_count++)] = b;
  for (int col = b + 1; col < c; ++col) {
    if (!g.linked(top + 1, col)) continue;
    int r = top + 1;
    while (g.linked(r, col)) ++r;
    if (r >= depth[static_cast<size_t>(col - 1)]) cuts[static_cast<size_t>(cut_count++)] = col;
  }
  cuts[static_cast<size_t>(cut_count++)] = c;

  bool logic_before = false;  // a sub-block before this one gave records
  for (int i = 1; i < cut_count; ++i) {
    const int left = cuts[static_cast<size_t>(i - 1)];
    const int right = cuts[static_cast<size_t>(i)];
    const int saved = g_branch_level;

    // Output branches leaving at this sub-block's right boundary. An empty sub-block (a
    // branch compiled from boundary 11) has none: the rows linked below it at that
    // boundary are branches of the rung it belongs to, collected there already.
    if (collect && left < right) {
      int r = top + 1;
      while (g.linked(r, right)) ++r;
      --r;
      while (r > top && !g.has_element(r, OUTPUT_COLUMN)) --r;
      // The lowest branch of this point is the lowest row that branches here: an output
      // row further down that joins a link further right is a branch of a point of its
      // own, and the branch above it still takes the MPP.
      bool lowest_taken = false;
      for (; r > top; --r) {
        if (!g.has_part(r, OUTPUT_COLUMN)) continue;
        bool joins_further_right = false;
        for (int col = OUTPUT_COLUMN; col > right; --col)
          if (g.linked(r, col)) joins_further_right = true;
        if (joins_further_right) continue;
        if (branches.count >= MAX_BRANCH_ENTRIES) {
          record_rung_error(g, CompileError::TOO_COMPLEX, 0, top);
          return 1;
        }
        g_branch_level = saved + 1;
        branches.entry[static_cast<size_t>(branches.count++)] =
            BranchEntry{static_cast<int32_t>(static_cast<uint32_t>(right) << 12 | (static_cast<uint32_t>(saved) & 0xFF) |
                                             (lowest_taken ? 0 : BRANCH_LOWEST)),
                        r};
        lowest_taken = true;
      }
    }

    int row_limit = limit;
    if (limit == -1) {
      row_limit = top;
      for (int k = left; k < right; ++k) row_limit = std::max(row_limit, depth[static_cast<size_t>(k)]);
    }

    // Parallel groups: rows joined by links inside the sub-block.
    struct Group {
      int first;
      int end;
    };
    std::array<Group, MAX_PARALLEL_GROUPS> groups;  // only the first group_count are used
    int group_count = 0;
    int open = -1;
    for (int r = top; r < row_limit; ++r) {
      if (open < 0) {
        bool part = false;
        for (int col = left; col < right; ++col)
          if (g.has_part(r, col)) part = true;
        if (!part) continue;
        open = r;
      }
      bool joined = false;
      for (int col = left + 1; col < right; ++col)
        if (g.linked(r + 1, col)) joined = true;
      if (joined && r + 1 < row_limit) continue;
      if (group_count >= MAX_PARALLEL_GROUPS) {
        record_rung_error(g, CompileError::TOO_COMPLEX, 0, top);
        return 1;
      }
      groups[static_cast<size_t>(group_count++)] = Group{open, r + 1};
      open = -1;
    }

    if (cut_count == 2 && group_count == 1 && internal_links) {
      record_rung_error(g, CompileError::TOO_COMPLEX, 0, top);
      return 1;
    }

    // The groups join so that every ORB has the widest group on one side: the groups
    // above the first widest one join from the right (their ORBs follow it), the groups
    // below it one by one. Drawn again, an ORB closes at the wider of its two blocks; with
    // the widest on one side every group closes at the right boundary, as here, and no
    // two groups that stand apart are drawn joined.
    int widest = 0;
    int widest_width = 0;
    for (int k = 0; k < group_count; ++k) {
      const Group& group = groups[static_cast<size_t>(k)];
      int width = 0;
      for (int r = group.first; r < group.end; ++r)
        for (int col = left; col < right; ++col)
          if ((g.word0(r, col) & (CellFlags::BOX | CellFlags::TIMER_COIL | CellFlags::PRESENT | CellFlags::LINE)) ==
              CellFlags::PRESENT)
            width = std::max(width, col + 1 - left);
      if (width > widest_width) {
        widest = k;
        widest_width = width;
      }
    }
    // Every group of several is one operand of an ORB: a group that gives no record (a row
    // of lines alone, which may feed an instruction without input, joined to the others at
    // the output column, or a taller group of such rows) would leave an ORB without its
    // operand, so it is listed as a block of lines among parallel rows.
    int last_emitted = 0;  // what the last group emitted (0: nothing)
    const int sub_block_start = g_emit_index;
    for (int k = 0; k < group_count; ++k) {
      const Group& group = groups[static_cast<size_t>(k)];
      const int group_start = g_emit_index;
      if (group.end - group.first == 1) {
        last_emitted = compile_row_contacts(grid, group_count, group.first, left, right);
        if (last_emitted < 0) return -1;
      } else {
        static BranchList unused;  // a block that does not collect never writes its list
        if (compile_block(grid, group.first, group.end, left, right, unused, 0, 0)) return 1;
        last_emitted = g_emit_index != group_start ? 1 : 0;
      }
      if (group_count > 1 && g_emit_index == group_start && !g_list_full) {
        record_rung_error(g, CompileError::LINES_ONLY, left, group.first);
        return -1;
      }
      if (k > widest) emit_instruction(Word0::ORB, 0, 0, 0, 0, 0);
    }
    for (int k = 0; k < widest; ++k) emit_instruction(Word0::ORB, 0, 0, 0, 0, 0);
    // An ANB joins this sub-block's logic to the logic before it: none when the sub-block
    // gave no record, nor when no sub-block before it in this block did (lines alone in
    // series leave the logic as it is). A branch joins the logic its MPS/MRD/MPP gives.
    if (g_emit_index != sub_block_start) {
      if (i + branch != 1 && last_emitted != 0 && (branch != 0 || logic_before)) emit_instruction(Word0::ANB, 0, 0, 0, 0, 0);
      logic_before = true;
    }

    if (g_branch_level == saved + 1) {
      // This sub-block opened output branches: push the logic so far.
      if (saved == 0) ++g_branch_group;
      if (g.has_u_mark(top, left)) {
        record_rung_error(g, CompileError::U_AT_BRANCH_END, OUTPUT_COLUMN, top);
        return 1;
      }
      emit_instruction(Word0::MPS, 0, static_cast<uint32_t>(g_branch_group), static_cast<uint32_t>(saved), 0, 0);
    }
  }
  return 0;
}

int compile_output_branches(GridSpan grid, const BranchList& branches, int row) {
  const ProgramRows g = program_rows(grid);
  const NestingGuard guard;
  if (guard.too_deep()) {
    record_rung_error(g, CompileError::TOO_COMPLEX, 0, row);
    return 1;
  }
  int skipped_at = -1;  // g_emit_index where the previous entry left out its MRD
  for (int e = std::min(branches.count, MAX_BRANCH_ENTRIES) - 1; e >= 0; --e) {
    const BranchEntry& entry = branches.entry[static_cast<size_t>(e)];
    const int r = entry.row;
    const uint32_t code = static_cast<uint32_t>(entry.code);
    const int col = static_cast<int>((code >> 12) & 0xF);
    const uint32_t level = code & 0xFF;
    const bool lowest = code & BRANCH_LOWEST;
    const bool u_mark = g.has_u_mark(r, col);
    if (u_mark) emit_instruction(Word0::JMS, U_LABEL_BASE + u_number_of(g.word1(r, col)), 0, 0, 0, 0);
    if (lowest) {
      if (u_mark) {
        record_rung_error(g, CompileError::U_AT_BRANCH_END, OUTPUT_COLUMN, r);
        return 1;
      }
      emit_instruction(Word0::MPP, 0, static_cast<uint32_t>(g_branch_group), level, 0, 0);
      skipped_at = -1;
    } else {
      // Right after MPS, or after an output that followed MPS or MRD directly, the logic
      // is still the pushed one and MRD is left out.
      const int before = record_code_at(g_emit_index - 2);
      if (before == Instr::MRD || before == Instr::MPS || (skipped_at >= 0 && g_emit_index == skipped_at + 1)) {
        skipped_at = g_emit_index;
      } else {
        emit_instruction(Word0::MRD, 0, static_cast<uint32_t>(g_branch_group), level, 0, 0);
        skipped_at = -1;
      }
    }
    BranchList nested;
    if (compile_block(grid, r, -1, col, OUTPUT_COLUMN, nested, 1, 1)) return 1;
    emit_row_output(grid, r);
    if (static_cast<int>(g.box_code(r)) == Instr::BTONJ) {
      if (lowest) {
        record_rung_error(g, CompileError::U_AT_BRANCH_END, OUTPUT_COLUMN, r);
        return 1;
      }
      // BTONJ jumps to a U point of a branch of the same branch point.
      const uint32_t target = g.word1(r, OUTPUT_COLUMN) & 0xF;
      bool found = false;
      for (int k = std::min(branches.count, MAX_BRANCH_ENTRIES) - 1; k >= 1 && !found; --k) {
        const BranchEntry& other = branches.entry[static_cast<size_t>(k)];
        const int other_col = static_cast<int>((static_cast<uint32_t>(other.code) >> 12) & 0xF);
        found = other_col == col && g.has_u_mark(other.row, other_col) &&
                u_number_of(g.word1(other.row, other_col)) == target;
      }
      if (!found) {
        record_rung_error(g, CompileError::NO_JUMP_POINT, OUTPUT_COLUMN, r);
        return 1;
      }
    }
    if (nested.count > 0 && compile_output_branches(grid, nested, r)) return 1;
  }
  return 0;
}

void emit_row_output(GridSpan grid, int row) {
  if (program_rows(grid).word0(row, OUTPUT_COLUMN) & CellFlags::OUTPUT) emit_output_record(grid, row);
}

void emit_output_record(GridSpan grid, int row) {
  const ProgramRows g = program_rows(grid);
  const uint32_t cell12 = g.word0(row, 12);
  // The END row is the END instruction whatever its cell 12 holds (a repaired END row
  // has nothing there).
  const bool end_row = g.is_end_row(row);
  const int box = end_row ? Instr::END : static_cast<int>(cell12 & 0x1FF);
  const int n = box == Instr::OUT ? 0 : box_operand_cells(box);
  const uint32_t w1 = g.word1(row, 11);
  const uint32_t w2 = g.word1(row, 12);
  const uint32_t w3 = g.word1(row, 13);
  const uint32_t w4 = g.word1(row, 14);
  uint32_t words[4] = {w1, 0, 0, 0};
  if (box == Instr::OUT) {
    words[2] = (g.word0(row, OUTPUT_COLUMN) >> 4) & 0x3F;
  } else if (n == 1) {
    if (box == Instr::TIM || box == Instr::CNT) {
      words[1] = w2;
      words[2] = box == Instr::TIM ? PartCode::TIM : PartCode::CNT;
    }
  } else if (n == 2) {
    words[1] = w2;
  } else if (n == 3) {
    words[1] = w2;
    words[2] = w3;
  } else if (n >= 4) {
    words[1] = w2;
    words[2] = w3;
    words[3] = w4;
  }
  if (box == Instr::MC) words[3] = static_cast<uint32_t>(find_rung_end(grid, row));
  // The constant and hex bits of every operand the output has travel with the record
  // (operands 3 and 4 included); cell 11 of an ASM or TABL box also carries its text-row
  // bits, which are no operand flags.
  const int operands = box == Instr::TIM || box == Instr::CNT ? 2 : (n == InstrAttr::TEXT_BOX ? 1 : std::min(n, 4));
  uint32_t flag_mask = 0;
  for (int k = 0; k < operands; ++k) flag_mask |= (RecordFlags::CONSTANT_0 | RecordFlags::HEX_0) << k;
  uint32_t word0 = (g.word0(row, OUTPUT_COLUMN) & flag_mask) |
                   (cell12 & (RecordFlags::P_FORM | RecordFlags::D_FORM | RecordFlags::CODE_MASK));
  if (end_row) word0 = (word0 & ~RecordFlags::CODE_MASK) | static_cast<uint32_t>(Instr::END);
  word0 |= (box == Instr::END || box == Instr::FEND || box == Instr::IEND) ? Word0::SECTION : RecordFlags::VALID;
  emit_instruction(word0, words[0], words[1], words[2], words[3], source_position(row, std::max(0, OUTPUT_COLUMN - n)));
}

int emit_row_label(GridSpan grid, int row) {
  const ProgramRows g = program_rows(grid);
  if (!g.has_label(row)) return 0;
  const uint32_t label = g.word1(row, LABEL_COLUMN);
  const uint32_t word0 = operand_device_index(label) == Device::P ? Word0::JME : Word0::JMI;
  emit_instruction(word0, label, 0, 0, 0, static_cast<uint32_t>(row) | LABEL_POSITION);
  return 1;
}

void fold_single_contact_blocks() {
  ListSpan list = g_instruction_list;
  const int end = std::min<int>(g_end_record_index, static_cast<int>(list.size()) - 1);
  int depth = 0;
  bool inner_or = false;
  int remembered = -1;
  uint32_t remembered_word0 = 0;
  for (int i = 0; i < end; ++i) {
    InstructionRecord& rec = list[static_cast<size_t>(i)];
    const uint32_t code = rec.word[0] & 0x1FF;
    if (code == Instr::LD || code == Instr::LDI) {
      InstructionRecord& next = list[static_cast<size_t>(i) + 1];
      const uint32_t next_low = next.word[0] & 0xFF;
      if (next_low == Instr::ANB) {
        // A one-contact block in series: LD becomes AND (LDI ANI).
        rec.word[0] += 2;
        next.word[0] = EMPTY_RECORD_WORD0;
        ++i;
        continue;
      }
      if (next_low == Instr::ORB && !(rec.word[0] & RecordFlags::COMPARISON)) {
        // A one-contact block in parallel: LD becomes OR (LDI ORI).
        rec.word[0] += 4;
        next.word[0] = EMPTY_RECORD_WORD0;
        ++i;
        if (depth == 2) inner_or = true;
        continue;
      }
      ++depth;
      if (depth == 2) {
        remembered = i;
        remembered_word0 = rec.word[0] & 0x0FF8F60F;
      }
      continue;
    }
    if (code == Instr::ANB || code == Instr::ORB) {
      --depth;
      if (depth == 2 && code == Instr::ORB) inner_or = true;
      if (depth == 1) {
        // A block of contacts in series only, joined by ANB to what stands before it:
        // its LD becomes AND and the ANB goes.
        if (code == Instr::ANB && !inner_or && remembered >= 0) {
          list[static_cast<size_t>(remembered)].word[0] = remembered_word0 + 2;
          rec.word[0] = EMPTY_RECORD_WORD0;
        }
        inner_or = false;
      }
    }
    if (depth == 2 && (code == Instr::OR || code == Instr::ORI)) inner_or = true;
    if (code > 14 && code != 250 && code != 251) depth = 0;
  }
}

void compact_instruction_list() {
  ListSpan list = g_instruction_list;
  if (list.empty()) return;
  // The end record follows the last record written, at g_end_record_index + 1.
  const size_t last = std::min(static_cast<size_t>(std::max(g_end_record_index + 1, 0)), list.size() - 1);
  size_t out = 0;
  for (size_t i = 0; i < last; ++i)
    if ((list[i].word[0] & 0x1FF) != 0) list[out++] = list[i];
  list[out] = end_record();
  g_end_record_index = static_cast<int>(out) - 1;
}

namespace {

// After the rung pass: a warning (never shown, the compile still succeeds) for the first
// OUT, SET, PLS or PLF on a Y, M or S device that was already an output.
void warn_repeated_outputs(const ProgramRows& g) {
  std::unordered_set<uint32_t> seen;
  for (int i = 0; i <= g_end_record_index; ++i) {
    const InstructionRecord& rec = g_instruction_list[static_cast<size_t>(i)];
    const int code = static_cast<int>(rec.word[0] & RecordFlags::CODE_MASK);
    if (code != Instr::OUT && code != Instr::SET && code != Instr::PLS && code != Instr::PLF) continue;
    const uint32_t device = operand_code_byte(rec.word[1]);
    if (device != 0x10 && device != 0x20 && device != 0x30) continue;
    if (!seen.insert(rec.word[1]).second) {
      record_rung_error(g, CompileError::DUPLICATE_WARNING, OUTPUT_COLUMN, static_cast<int>(rec.word[5] & 0xFFFFF));
      return;
    }
  }
}

bool is_special_row(const ProgramRows& g, int row) {
  if (g.is_end_row(row) || g.is_comment_row(row)) return true;
  const int box = static_cast<int>(g.box_code(row));
  return box == Instr::FEND || box == Instr::IEND;
}

constexpr const char* DUPLICATE_QUESTION =
    "%d行目に同一出力が有りますが\nコンパイルを継続しますか？\n\nこの警告は'ＯＫ'を押すと再度は表示されません";
constexpr const char* SECTION_MESSAGE =
    "FEND、Ptｻﾌﾞﾙｰﾁﾝ、RETRN\nIEND、割り込みﾙｰﾁﾝ、IRET\nSEND、ｿﾌﾄｳｴｱ割り込み、RETRN\nがこの順で正しく構成されていません！"
    "\n\nあるいはFEND、IEND、SENDが無意味に残っています！";
constexpr const char* TABLE_MESSAGE =
    "命令に従って、TABLE?:か\nｲﾝﾗｲﾝ･ASMを書いてください！\nTABL命令、ASM命令を2列目に起き、内容設定は\n"
    "番号設定ﾀﾞｲｱﾛｸﾞBOX中の[ASM]によります";

// Runs the four grid checks; CompileResult::OK, ERRORS or CANCELLED.
int run_grid_checks(void* owner, GridSpan grid) {
  const int links = check_vertical_links(grid);
  const int wiring = check_open_wiring(grid);
  const int before = g_conversion_error_count;
  int operands = check_operands_and_duplicates(grid);
  const bool operand_errors = g_conversion_error_count > before;
  const int first = check_first_contact_and_continuations(grid);
  if (operands < 0) {
    // A duplicate output only: the user may accept it. Any other fault fails the compile
    // whatever the answer would be, so the question waits until the rest is clean.
    if (links || wiring || operand_errors || first) return CompileResult::ERRORS;
    if (!g_duplicate_warning_shown) {
      char text[256];
      std::snprintf(text, sizeof text, DUPLICATE_QUESTION, -operands + 1);
      if (show_notice(text, "確認", NoticeStyle::OK_CANCEL, owner) != NoticeAnswer::OK) return CompileResult::CANCELLED;
    }
    g_duplicate_warning_shown = 1;
    operands = 0;
  }
  return links || wiring || operands || first ? CompileResult::ERRORS : CompileResult::OK;
}

// The rung pass; false after an error was recorded.
bool compile_rungs(GridSpan grid) {
  const ProgramRows g = program_rows(grid);
  g_emit_index = 0;
  g_branch_group = -1;
  g_branch_level = 0;
  g_list_full = false;
  int comment_number = 0;
  auto take_comment_number = [&](int row) {
    if (comment_number < MAX_LINE_COMMENTS) return true;
    record_rung_error(g, CompileError::TEXTS_FULL, 0, row);
    return false;
  };
  int k = 0;
  while (k < g.rows()) {
    while (k < g.rows() && !g.has_part(k, 0) && !g.is_end_row(k)) ++k;
    if (k >= g.rows()) break;
    g_block_start_pending = 1;
    if (is_special_row(g, k)) {
      if (g.word0(k, OUTPUT_COLUMN) & CellFlags::COMMENT_ROW) {
        if (!take_comment_number(k)) return false;
        LadderRow& row = g.row(k);
        row.cell[OUTPUT_COLUMN].word[1] = static_cast<uint32_t>(comment_number);
        store_line_comment(comment_number++, row.row_text(), ROW_TEXT_SIZE);
      }
      emit_row_output(grid, k);
      if (g_list_full) {
        record_rung_error(g, CompileError::LIST_FULL, 0, k);
        return false;
      }
      ++k;
      continue;
    }
    const int end = find_rung_end(grid, k);
    for (int l = k; l < end; ++l) {
      constexpr uint32_t TEXT_ROW_BITS = CellFlags::COMMENT_ROW | CellFlags::TEXT_ROW;
      if ((g.word0(l, 1) & TEXT_ROW_BITS) != TEXT_ROW_BITS) continue;
      if (!take_comment_number(l)) return false;
      // The text of an ASM or TABL box runs from cell text 1 to the end of the text area.
      LadderRow& row = g.row(l);
      row.cell[14].word[1] = static_cast<uint32_t>(comment_number);
      store_line_comment(comment_number++, row.text[1], ROW_TEXT_SIZE - CELL_TEXT_SIZE);
    }
    emit_row_label(grid, k);
    g_block_start_pending = 1;
    g_branch_level = 0;
    BranchList branches;
    if (compile_block(grid, k, -1, 0, OUTPUT_COLUMN, branches, 1, 0)) return false;
    emit_row_output(grid, k);
    if (branches.count > 0 && compile_output_branches(grid, branches, k)) return false;
    if (g_list_full) {
      record_rung_error(g, CompileError::LIST_FULL, 0, k);
      return false;
    }
    k = end;
  }
  return true;
}

}  // namespace

int compile_ladder(void* owner, GridSpan grid, ListSpan list, const void* view_state, int reserved) {
  (void)view_state;
  (void)reserved;
  g_instruction_list = list;
  clear_conversion_errors();
  g_emit_index = 0;
  g_end_record_index = -1;
  if (!list.empty()) list[0] = end_record();

  g_program_row_count = count_program_rows(grid);
  const int end_mark = find_end_mark_row(grid);
  if (g_program_row_count < 0 || g_program_row_count >= MAX_GRID_ROWS || end_mark < 0 || end_mark >= MAX_GRID_ROWS) {
    record_compile_error(CompileError::NO_END, 0, 0);
    return CompileResult::ERRORS;
  }

  const int checks = run_grid_checks(owner, grid);
  if (checks != CompileResult::OK) return checks;

  if (!compile_rungs(grid)) return CompileResult::ERRORS;
  g_end_record_index = g_emit_index - 1;
  warn_repeated_outputs(program_rows(grid));
  fold_single_contact_blocks();
  compact_instruction_list();

  if (check_jump_points(g_instruction_list) != 0) return CompileResult::STRUCTURE;
  TableFlags tbl_no{};
  int32_t tb_as_f = 0;
  if (check_program_sections(g_instruction_list, tbl_no, tb_as_f) != 0) {
    show_notice(SECTION_MESSAGE, "警告", NoticeStyle::OK, owner);
    return CompileResult::STRUCTURE;
  }
  if (tb_as_f && check_table_rows(grid, tbl_no) != 0) {
    show_notice(TABLE_MESSAGE, "警告", NoticeStyle::OK, owner);
    return CompileResult::STRUCTURE;
  }
  return CompileResult::OK;
}
