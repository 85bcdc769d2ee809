#include "core/ladder_builder.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "core/compiler_checks.h"
#include "core/instruction_tables.h"

namespace {

std::array<BlockLevel, BLOCK_STACK_LEVELS> block_stack_store{};
std::array<BranchPoint, BRANCH_POINT_SLOTS> branch_point_store = [] {
  std::array<BranchPoint, BRANCH_POINT_SLOTS> points{};
  for (auto& p : points) p = {NO_BRANCH_POINT, 0};
  return points;
}();

// Word 1 of a U-marked cell: the U number in bits 16-19, and bit 20 telling that it is set.
constexpr uint32_t U_NUMBER_SHIFT = 16;
constexpr uint32_t U_NUMBER_MASK = 0xF;
constexpr uint32_t U_WORD1_KEPT = 0x1F0000;  // the bits of word 1 a contact placed on a U mark keeps
constexpr uint32_t CELL_KEPT = CellFlags::U_MARK | CellFlags::LINK_UP;

constexpr uint32_t LINE_OR_PART = CellFlags::LINE | CellFlags::PRESENT;
constexpr uint32_t OUTPUT_OR_BOX = CellFlags::BOX | CellFlags::TIMER_COIL | CellFlags::OUTPUT;  // 0x64000
constexpr uint32_t RECORD_OPERAND_FLAGS = 0xFF80000;  // record word 0 bits a cell takes over
constexpr uint32_t POSITION_ROW_MASK = 0xFFFFF;
constexpr uint32_t ROW_WORD_MASK = 0x1FFFF;

// A text row's text runs from text slot 1 (byte 360) to the row word at byte 1860: 1499
// bytes and its NUL.
constexpr int TEXT_ROW_TEXT_SIZE = ROW_TEXT_SIZE - CELL_TEXT_SIZE;

constexpr uint32_t FEND_ROW_OUTPUT = 0x40004C08;
constexpr uint32_t LABEL_CELL = 0x80008000;
constexpr uint32_t TEXT_ROW_FIRST = 0x14040C08;
constexpr uint32_t TEXT_ROW_OUTPUT = 0x1404C408;
constexpr uint32_t TEXT_ROW_OUTPUT_FLAGS = 0xE1F00000;
constexpr uint32_t P_LABEL_BASE = 0xF1000000;
constexpr uint32_t I_LABEL_BASE = 0xF2000000;

int grid_rows(ConstGridSpan grid) { return static_cast<int>(std::min<size_t>(grid.size(), MAX_GRID_ROWS)); }
int list_limit(ConstListSpan list) { return static_cast<int>(std::min<size_t>(list.size(), MAX_INSTRUCTIONS)); }

uint32_t& word0(GridSpan grid, int row, int column) { return grid[static_cast<size_t>(row)].cell[column].word[0]; }
uint32_t cell_word0(ConstGridSpan grid, int row, int column) { return grid[static_cast<size_t>(row)].cell[column].word[0]; }

InstructionCode record_code(const InstructionRecord& r) { return static_cast<InstructionCode>(r.word[0] & RecordFlags::CODE_MASK); }
uint32_t low_byte(const InstructionRecord& r) { return r.word[0] & 0xFF; }

bool is_ld_form(InstructionCode c) { return c == Instr::LD || c == Instr::LDI || c == Instr::LDD || c == Instr::LDID; }
bool is_and_form(InstructionCode c) { return c == Instr::AND || c == Instr::ANI || c == Instr::ANDD || c == Instr::ANID; }
bool is_or_form(InstructionCode c) { return c == Instr::OR || c == Instr::ORI || c == Instr::ORD || c == Instr::ORID; }
bool is_d_contact(InstructionCode c) { return c >= Instr::LDD && c <= Instr::ORID; }
bool is_comparison_record(const InstructionRecord& r) { return (r.word[0] & RecordFlags::COMPARISON) != 0; }
// Records that only begin a rung of their own and cannot stand inside one.
bool is_rung_record(const InstructionRecord& r) {
  if (is_end_record(r)) return true;
  const InstructionCode c = record_code(r);
  return c == Instr::END || c == Instr::FEND || c == Instr::IEND || c == Instr::SEND || c == Instr::COMMENT;
}
// Outputs that need no contacts: drawn on a line from the left rail. MCR, and the
// instructions the wiring check accepts without inputs (RET, COM, EI, DI).
bool is_inputless_output(InstructionCode c) {
  return c == Instr::MCR || c == Instr::RET || c == Instr::COM || c == Instr::EI || c == Instr::DI;
}

void link_cells(GridSpan grid, int from_row, int to_row, int column) {
  for (int row = std::max(from_row, 0); row <= to_row; ++row) word0(grid, row, column) |= CellFlags::LINK_UP;
}

// A bounded copy of a NUL-terminated text into a buffer, always terminated.
void copy_text(std::span<char> to, const char* from, size_t from_size) {
  if (to.empty()) return;
  const size_t n = strnlen(from, std::min(from_size, to.size() - 1));
  std::memcpy(to.data(), from, n);
  std::memset(to.data() + n, 0, to.size() - n);
}

void copy_line_comment(std::span<char> to, uint32_t index) {
  if (index >= static_cast<uint32_t>(MAX_LINE_COMMENTS)) {
    std::memset(to.data(), 0, to.size());
    return;
  }
  copy_text(to, g_line_comments[index].data(), LINE_COMMENT_SIZE);
}

// A row drawn as a line from the left rail up to (not including) `end_column`.
void draw_rail_line(LadderRow& row, int end_column) {
  for (int c = 0; c < end_column; ++c) {
    row.cell[c].word[0] = c == 0 ? CellWord::LINE_LINKED : CellWord::LINE_ONLY;
    row.cell[c].word[1] = 0;
  }
}

void close_gaps(GridSpan grid, ListSpan list, int first_row, int end_row, int first_record, int records);

// The list walk of one conversion.
class Builder {
 public:
  Builder(GridSpan grid, ListSpan list) : grid_(grid), list_(list), rows_(grid_rows(grid)), count_(list_limit(list)) {}

  int run();

 private:
  int error(int index) const { return BUILD_ERROR_BASE + index + 1; }
  const InstructionRecord& rec(int index) const { return list_[static_cast<size_t>(index)]; }
  int next_non_empty(int index) const {
    while (index < count_ && record_code(rec(index)) == 0 && !is_end_record(rec(index))) ++index;
    return index;
  }
  void find_block_closers();
  void forget_branch_points();
  void set_branch_point(const InstructionRecord& r, int column, int row);
  const BranchPoint* branch_point(const InstructionRecord& r) const;
  void drop_branch_point(const InstructionRecord& r);
  int lowest_row() const;
  void write_label(const InstructionRecord& r, int row);
  void write_section_row(const InstructionRecord& r, int row);
  void write_comment_row(const InstructionRecord& r, int row);
  void write_text_row(const InstructionRecord& r, int row);
  int finish(int index);
  int rung_body();
  void close_rung();

  GridSpan grid_;
  ListSpan list_;
  int rows_;
  int count_;
  int d_ = 0;  // the record being read
  int i_ = 0;  // the rung's (output) row
  int b_ = 0;  // the open block level
  int w_ = 0;  // the current row inside the rung
  // The rung's logic has branched (an output in parallel, a branch point, a branch row):
  // a contact or block in parallel with the logic of the rung itself would be drawn from
  // the left rail across the branch, joining the other outputs' logic to it.
  bool branched_ = false;
  int rung_top_ = 0;           // the first row of the rung being drawn
  int rung_first_record_ = 0;  // and its first record
  std::vector<int> closer_;        // for each LD form: the ANB or ORB that closes its block, or -1
  std::vector<int> branch_slots_;  // branch-point slots set since the rung began
};

// For every LD form the record that closes its block: scanning on from it, LD forms
// nest one deeper and ANB or ORB close one level; an END (or the end of the list) first
// leaves the block unclosed. All of them are found in one pass with a stack of open LDs.
void Builder::find_block_closers() {
  closer_.assign(static_cast<size_t>(count_), -1);
  std::vector<int> open;
  for (int k = 0; k < count_; ++k) {
    const InstructionRecord& r = rec(k);
    const uint32_t lb = low_byte(r);
    if (is_end_record(r) || lb == static_cast<uint32_t>(Instr::END)) {
      open.clear();
      if (is_end_record(r)) break;
    } else if (lb == static_cast<uint32_t>(Instr::LD) || lb == static_cast<uint32_t>(Instr::LDI)) {
      open.push_back(k);
    } else if (lb == static_cast<uint32_t>(Instr::ANB) || lb == static_cast<uint32_t>(Instr::ORB)) {
      if (!open.empty()) {
        closer_[static_cast<size_t>(open.back())] = k;
        open.pop_back();
      }
    }
  }
}

// Branch points belong to one rung: a rung may use only the MPS records it holds itself.
void Builder::forget_branch_points() {
  for (int slot : branch_slots_) g_branch_points[static_cast<size_t>(slot)] = {NO_BRANCH_POINT, 0};
  branch_slots_.clear();
}

void Builder::set_branch_point(const InstructionRecord& r, int column, int row) {
  const int slot = branch_point_slot(r.word[2], r.word[3]);
  g_branch_points[static_cast<size_t>(slot)] = {column, row};
  branch_slots_.push_back(slot);
}

const BranchPoint* Builder::branch_point(const InstructionRecord& r) const {
  const BranchPoint& p = g_branch_points[static_cast<size_t>(branch_point_slot(r.word[2], r.word[3]))];
  return p.column == NO_BRANCH_POINT ? nullptr : &p;
}

// After MPP the point is popped: a later MRD or MPP of the same slot needs a new MPS.
void Builder::drop_branch_point(const InstructionRecord& r) {
  g_branch_points[static_cast<size_t>(branch_point_slot(r.word[2], r.word[3]))] = {NO_BRANCH_POINT, 0};
}

// The lowest row of the levels in use (from level 0 up to the first unused level).
int Builder::lowest_row() const {
  int lowest = g_block_stack[0].rmax;
  for (int level = 1; level < BLOCK_STACK_LEVELS && g_block_stack[level].c0 != UNUSED_LEVEL; ++level)
    lowest = std::max(lowest, g_block_stack[level].rmax);
  return lowest;
}

void Builder::write_label(const InstructionRecord& r, int row) {
  LadderRow& target = grid_[static_cast<size_t>(row)];
  const uint32_t base = record_code(r) == Instr::JME ? P_LABEL_BASE : I_LABEL_BASE;
  target.cell[LABEL_COLUMN].word[0] = LABEL_CELL;
  target.cell[LABEL_COLUMN].word[1] = (r.word[1] & 0xFFF) + base;
  target.source_position = static_cast<int32_t>(r.word[5] & ROW_WORD_MASK);
}

// END, FEND, IEND and SEND rows: a line across the row to the instruction in column 11.
void Builder::write_section_row(const InstructionRecord& r, int row) {
  LadderRow& target = grid_[static_cast<size_t>(row)];
  const InstructionCode c = record_code(r);
  if (c == Instr::END) {
    make_new_end_row(target);
  } else {
    draw_rail_line(target, OUTPUT_COLUMN);
    target.cell[OUTPUT_COLUMN].word[0] = FEND_ROW_OUTPUT;
    target.cell[12].word[0] = static_cast<uint32_t>(c);
  }
  target.source_position = static_cast<int32_t>(r.word[5] & ROW_WORD_MASK);
}

void Builder::write_comment_row(const InstructionRecord& r, int row) {
  LadderRow& target = grid_[static_cast<size_t>(row)];
  for (int c = 0; c <= 14; ++c) target.cell[c].word[1] = 0;
  target.cell[0].word[0] = CellWord::COMMENT_ROW_FIRST;
  for (int c = 1; c < OUTPUT_COLUMN; ++c) target.cell[c].word[0] = CellWord::COMMENT_ROW_LINE;
  target.cell[OUTPUT_COLUMN].word[0] = CellWord::COMMENT_ROW_OUTPUT;
  target.cell[OUTPUT_COLUMN].word[1] = r.word[1];
  target.cell[12].word[0] = static_cast<uint32_t>(Instr::COMMENT);
  copy_line_comment(std::span<char>(target.row_text(), ROW_TEXT_SIZE), r.word[1]);
  target.source_position = static_cast<int32_t>(r.word[5] & ROW_WORD_MASK);
}

// ASM and TABL: a box over columns 1-11 whose text (the assembler lines or table entries)
// is the row's text from text slot 1.
void Builder::write_text_row(const InstructionRecord& r, int row) {
  LadderRow& target = grid_[static_cast<size_t>(row)];
  // The box's first cell may be the first cell of a branch: it keeps its link and its U
  // mark with the U number, as the first cell of any output does.
  const uint32_t u_number = target.cell[1].word[0] & CellFlags::U_MARK ? target.cell[1].word[1] & U_WORD1_KEPT : 0;
  target.cell[1].word[0] = (target.cell[1].word[0] & CELL_KEPT) | TEXT_ROW_FIRST;
  for (int c = 2; c < OUTPUT_COLUMN; ++c) target.cell[c].word[0] = CellWord::BOX_MIDDLE_CELL;
  for (int c = 1; c < OUTPUT_COLUMN; ++c) target.cell[c].word[1] = 0;
  target.cell[1].word[1] = u_number;
  target.cell[OUTPUT_COLUMN].word[0] |= (r.word[0] & TEXT_ROW_OUTPUT_FLAGS) | TEXT_ROW_OUTPUT;
  target.cell[12].word[0] = r.word[0] & 0x3FFF;
  target.cell[13].word[0] = 0;
  target.cell[14].word[0] = 0;
  for (int k = 0; k < 4; ++k) target.cell[OUTPUT_COLUMN + k].word[1] = r.word[1 + k];
  copy_line_comment(std::span<char>(target.text[1], TEXT_ROW_TEXT_SIZE), r.word[4]);
  target.source_position = static_cast<int32_t>(r.word[5] & ROW_WORD_MASK);
}

// The end mark after the last row, then the tidy-up passes.
int Builder::finish(int index) {
  if (i_ + 1 >= rows_) return error(index);
  make_end_mark_row(grid_[static_cast<size_t>(i_ + 1)]);
  close_row_gaps(grid_, list_);
  compact_branch_columns(grid_);
  return BUILD_OK;
}

// A rung is complete once the next one begins: its gaps close at once, so that the rows
// it gave up are there for the rungs after it (a program is refused only when its tidied
// drawing does not fit). Only the records drawn so far carry grid positions.
void Builder::close_rung() {
  if (i_ <= rung_top_) {
    rung_first_record_ = d_;
    return;
  }
  close_gaps(grid_, list_, rung_top_, i_, rung_first_record_, d_);
  int bottom = i_ - 1;
  auto empty = [](const LadderRow& row) {
    for (const LadderCell& cell : row.cell)
      if (cell.word[0] != 0) return false;
    return true;
  };
  while (bottom >= rung_top_ && empty(grid_[static_cast<size_t>(bottom)])) --bottom;
  i_ = bottom + 1;
  rung_top_ = i_;
  rung_first_record_ = d_;
}

int Builder::run() {
  for (auto& level : g_block_stack) level = {UNUSED_LEVEL, 0, 0, 0, 0};
  for (auto& p : g_branch_points) p = {NO_BRANCH_POINT, 0};
  branch_slots_.clear();
  find_block_closers();
  d_ = 0;
  i_ = 0;
  rung_top_ = 0;
  rung_first_record_ = 0;
  for (;;) {
    // A new rung at row i; a branch row (MRD, MPP) still belongs to the rung above it.
    int first_index = d_;
    while (first_index < count_ && !is_end_record(rec(first_index))) {
      const InstructionCode c = record_code(rec(first_index));
      if (c != 0 && c != Instr::JMS && c != Instr::JME && c != Instr::JMI) break;
      ++first_index;
    }
    const bool branch_row = first_index < count_ && !is_end_record(rec(first_index)) &&
                            (record_code(rec(first_index)) == Instr::MRD || record_code(rec(first_index)) == Instr::MPP);
    if (!branch_row) close_rung();
    g_block_stack[0] = {0, i_, 0, i_, i_};
    for (int level = 1; level < BLOCK_STACK_LEVELS; ++level) g_block_stack[level].c0 = UNUSED_LEVEL;
    b_ = 0;
    w_ = i_;
    while (d_ < count_) {
      const InstructionRecord& r = rec(d_);
      const InstructionCode c = record_code(r);
      if (is_end_record(r)) break;
      if (c == 0 || c == Instr::JMS) {
        ++d_;
      } else if (c == Instr::JME || c == Instr::JMI) {
        if (i_ >= rows_) return error(d_);
        write_label(r, i_);
        set_record_position(list_, d_, i_, LABEL_COLUMN);
        ++d_;
      } else {
        break;
      }
    }
    if (d_ >= count_) return error(count_);
    const InstructionRecord& first = rec(d_);
    if (is_end_record(first)) return finish(d_);
    if (i_ >= rows_) return error(d_);
    const InstructionCode code = record_code(first);
    if (code == Instr::END) {
      write_section_row(first, i_);
      set_record_position(list_, d_, i_, OUTPUT_COLUMN);
      return finish(d_);
    }
    if (code == Instr::FEND || code == Instr::IEND || code == Instr::SEND || code == Instr::COMMENT ||
        is_inputless_output(code)) {
      forget_branch_points();
      if (code == Instr::COMMENT) {
        write_comment_row(first, i_);
      } else if (is_inputless_output(code)) {
        const int first_column = output_first_column(first);
        if (first_column < 1) return error(d_);
        draw_rail_line(grid_[static_cast<size_t>(i_)], first_column);
        place_output_box(grid_, first, i_);
      } else {
        write_section_row(first, i_);
      }
      set_record_position(list_, d_, i_, OUTPUT_COLUMN);
      ++d_;
      ++i_;
      continue;
    }
    if (is_ld_form(code)) {
      forget_branch_points();
      const int extra = place_contact(grid_, first, i_, 0);
      if (extra < 0) return error(d_);
      set_record_position(list_, d_, i_, 0);
      g_block_stack[0].c = extra + 1;
      g_block_stack[0].r = g_block_stack[0].rmax = i_;
      branched_ = false;
    } else if (code == Instr::MRD || code == Instr::MPP) {
      // A branch row of the rung above, from its branch point.
      const BranchPoint* point = branch_point(first);
      if (point == nullptr) return error(d_);
      const int bc = point->column;
      const int br = point->row;
      set_record_position(list_, d_, br, bc);
      link_cells(grid_, br + 1, i_, bc);
      int prev = d_ - 1;
      while (prev >= 0 && record_code(rec(prev)) == 0) --prev;
      if (code == Instr::MRD && prev >= 0 && record_code(rec(prev)) == Instr::JMS) {
        LadderCell& cell = grid_[static_cast<size_t>(i_)].cell[bc];
        cell.word[0] |= CellFlags::U_MARK;
        cell.word[1] = ((rec(prev).word[1] & U_NUMBER_MASK) << U_NUMBER_SHIFT) + U_NUMBER_SET;
        set_record_position(list_, prev, i_, bc);
      }
      if (code == Instr::MPP) drop_branch_point(first);
      g_block_stack[0].r0 = g_block_stack[0].r = g_block_stack[0].rmax = i_;
      g_block_stack[0].c = bc;
      branched_ = true;
    } else {
      return error(d_);
    }
    ++d_;
    const int result = rung_body();
    if (result != BUILD_OK) return result;
  }
}

// The records after a rung's first one, up to the rung's last output. On return i is
// the row of the next rung.
int Builder::rung_body() {
  for (;;) {
    if (d_ >= count_) return error(count_);
    const InstructionRecord& r = rec(d_);
    const InstructionCode code = record_code(r);
    if (!is_end_record(r) && (code == 0 || code == 9 || code == 10 || code == 11)) {
      ++d_;
      continue;
    }
    BlockLevel& level = g_block_stack[static_cast<size_t>(b_)];
    const int v = level.c;
    if (is_end_record(r) || is_rung_record(r)) {
      return error(d_);  // the rung has no output
    } else if (is_ld_form(code)) {
      // A new block: below the current one when an ORB closes it, to its right for ANB.
      const int closer = closer_[static_cast<size_t>(d_)];
      if (closer < 0 || b_ + 1 >= BLOCK_STACK_LEVELS) return error(d_);
      int row = w_;
      int column = v;
      if (low_byte(rec(closer)) == static_cast<uint32_t>(Instr::ORB)) {
        // A block in parallel with the logic of a rung that has branched cannot be drawn.
        if (b_ == 0 && branched_) return error(d_);
        row = level.rmax + 1;
        column = level.c0;
        if (row >= rows_) return error(d_);
        link_cells(grid_, level.r0 + 1, row, column);
      }
      const int extra = place_contact(grid_, r, row, column);
      if (extra < 0) return error(d_);
      set_record_position(list_, d_, row, column);
      ++b_;
      g_block_stack[static_cast<size_t>(b_)] = {column, row, column + extra + 1, row, row};
      w_ = row;
    } else if (is_and_form(code)) {
      const int extra = place_contact(grid_, r, w_, v);
      if (extra < 0) return error(d_);
      set_record_position(list_, d_, w_, v);
      level.c = v + extra + 1;
      level.r = w_;
    } else if (is_or_form(code)) {
      // A contact in parallel with the whole current block (not with the logic of a rung
      // that has branched: see branched_).
      if (b_ == 0 && branched_) return error(d_);
      const int n = level.rmax + 1;
      const int extra = is_comparison_record(r) ? 2 : 0;
      if (n >= rows_ || level.c0 + extra + 1 > level.c) return error(d_);
      link_cells(grid_, level.r0 + 1, n, level.c0);
      if (place_contact(grid_, r, n, level.c0) < 0) return error(d_);
      set_record_position(list_, d_, n, level.c0);
      for (int c = level.c0 + extra + 1; c < level.c; ++c)
        word0(grid_, n, c) = (word0(grid_, n, c) & CellFlags::LINK_UP) | CellWord::LINE_ONLY;
      link_cells(grid_, level.r0 + 1, n, level.c);
      level.rmax = n;
      level.r = n;
      w_ = level.r0;
    } else if (code == Instr::ANB) {
      if (b_ == 0) return error(d_);
      BlockLevel& left = g_block_stack[static_cast<size_t>(b_ - 1)];
      left.c = level.c;
      left.rmax = std::max(left.rmax, level.rmax);
      left.r = level.r;
      --b_;
    } else if (code == Instr::ORB) {
      if (b_ == 0) return error(d_);
      BlockLevel& upper = g_block_stack[static_cast<size_t>(b_ - 1)];
      const int k = level.c;   // right end of the lower block
      const int l = level.r0;  // its first row
      const int m = upper.c;   // right end of the upper block
      const int top = upper.r0;
      if (m < k) {
        for (int c = m; c < k; ++c) word0(grid_, top, c) |= CellWord::LINE_ONLY;
        link_cells(grid_, top + 1, l, k);
        upper.c = k;
      } else {
        for (int c = k; c < m; ++c) word0(grid_, l, c) |= CellWord::LINE_ONLY;
        link_cells(grid_, top + 1, l, m);
      }
      w_ = top;
      upper.r = level.r;
      upper.rmax = std::max(upper.rmax, level.rmax);
      --b_;
    } else if (code == Instr::MPS) {
      set_branch_point(r, v, w_);
      set_record_position(list_, d_, w_, v);
      if (b_ == 0) branched_ = true;
    } else if (code == Instr::MRD || code == Instr::MPP) {
      const BranchPoint* point = branch_point(r);
      const int row = level.rmax + 1;
      if (point == nullptr || row >= rows_ || b_ + 1 >= BLOCK_STACK_LEVELS) return error(d_);
      const int bc = point->column;
      set_record_position(list_, d_, point->row, bc);
      link_cells(grid_, point->row + 1, row, bc);
      if (code == Instr::MPP) drop_branch_point(r);
      ++b_;
      g_block_stack[static_cast<size_t>(b_)] = {bc, row, bc, row, row};
      w_ = row;
    } else {
      // The rung's output, on the rung's row; every block must be closed by now.
      if (b_ != 0) return error(d_);
      const int k = g_block_stack[0].c;
      const int first_column = output_first_column(r);
      if (first_column < 1 || k > first_column) return error(d_);
      if (code == Instr::ASM || code == Instr::TABL) {
        write_text_row(r, i_);
      } else {
        for (int c = k; c < first_column; ++c) word0(grid_, i_, c) |= CellWord::LINE_ONLY;
        place_output_box(grid_, r, i_);
      }
      set_record_position(list_, d_, i_, OUTPUT_COLUMN);
      ++d_;
      i_ = lowest_row();
      const int next = next_non_empty(d_);
      if (next >= count_) {
        ++i_;
        return BUILD_OK;
      }
      const InstructionRecord& after = rec(next);
      const InstructionCode after_code = record_code(after);
      if ((after.word[0] & RecordFlags::BLOCK_START) != 0 || after_code == Instr::MRD || after_code == Instr::MPP ||
          after_code == Instr::JMS) {
        ++i_;
        return BUILD_OK;
      }
      // Another output in parallel, on the row below, from the rung's right end. Its link
      // joins the link that closes the rung's logic at that column: after an ORB of a
      // narrower block that link ends on the block's first row, above the current row, so
      // the rows between are linked too.
      if (i_ + 1 >= rows_) return error(next);
      BlockLevel& rung = g_block_stack[0];
      int from = rung.r + 1;
      while (from - 1 > rung.r0 && (word0(grid_, from - 1, rung.c) & CellFlags::LINK_UP) == 0) --from;
      link_cells(grid_, from, i_ + 1, rung.c);
      ++i_;
      rung.r0 = rung.r = rung.rmax = i_;
      b_ = 0;
      w_ = i_;
      branched_ = true;
      continue;
    }
    ++d_;
  }
}

}  // namespace

std::array<BlockLevel, BLOCK_STACK_LEVELS>& g_block_stack = block_stack_store;
std::array<BranchPoint, BRANCH_POINT_SLOTS>& g_branch_points = branch_point_store;

int build_ladder_from_instructions(GridSpan grid, ListSpan list) {
  Builder builder(grid, list);
  return builder.run();
}

int place_contact(GridSpan grid, const InstructionRecord& record, int row, int column) {
  const bool comparison = is_comparison_record(record);
  const int extra = comparison ? 2 : 0;
  if (row < 0 || row >= grid_rows(grid) || column < 0 || column + extra >= OUTPUT_COLUMN) return -1;
  LadderRow& target = grid[static_cast<size_t>(row)];
  LadderCell& cell = target.cell[column];
  const uint32_t kept0 = cell.word[0] & CELL_KEPT;
  const uint32_t kept1 = cell.word[1] & U_WORD1_KEPT;
  if (comparison) {
    cell.word[0] = kept0 | (record.word[1] & 0xFF) << 4 | 0x1C00 | (record.word[1] & RECORD_OPERAND_FLAGS) |
                   CellWord::CONTACT_BASE;
    cell.word[1] = kept1 | record.word[2];
    LadderCell& middle = target.cell[column + 1];
    middle.word[0] = (middle.word[0] & CellFlags::LINK_UP) | CellWord::COMPARISON_MIDDLE;
    middle.word[1] = record.word[3];
    LadderCell& last = target.cell[column + 2];
    last.word[0] = (last.word[0] & CellFlags::LINK_UP) | CellWord::COMPARISON_LAST;
    last.word[1] = 0;
  } else {
    // The part code of word 3 in the a-form for LD, AND, OR and the b-form for LDI, ANI,
    // ORI. A D-form contact is always drawn as one (part codes 19 and 20), and a record
    // without a part code as a relay contact.
    const uint32_t odd = record.word[0] & 1;
    uint32_t part = (record.word[3] & 0x3E) | odd;
    if (is_d_contact(record_code(record)))
      part = odd ? PartCode::D_CONTACT_A : PartCode::D_CONTACT_B;
    else if (part == 0)
      part = PartCode::RELAY_B;
    cell.word[0] = kept0 | (record.word[0] & RECORD_OPERAND_FLAGS) | CellWord::CONTACT_BASE | part << 4;
    if (part == PartCode::CONTINUATION_IN) cell.word[0] |= CellFlags::CONTINUATION;
    cell.word[1] = kept1 | record.word[1];
  }
  target.source_position = static_cast<int32_t>(record.word[5] & ROW_WORD_MASK);
  // The left rail: column 0 links up to the first cell above that is already linked.
  if (column == 0) {
    for (int r = row; r >= 0; --r) {
      uint32_t& w = word0(grid, r, 0);
      if (r != row && (w & CellFlags::LINK_UP)) break;
      w |= CellFlags::LINK_UP;
    }
  }
  return extra;
}

int output_first_column(const InstructionRecord& record) {
  const InstructionCode code = static_cast<InstructionCode>(record.word[0] & 0x1FF);
  if (code == Instr::OUT) return OUTPUT_COLUMN;
  if (code == Instr::TIM || code == Instr::CNT) return OUTPUT_COLUMN - 1;
  const int n = box_operand_cells(code);
  return n > InstrAttr::TEXT_BOX ? -1 : OUTPUT_COLUMN - n;
}

int place_output_box(GridSpan grid, const InstructionRecord& record, int row) {
  if (row < 0 || row >= grid_rows(grid)) return -1;
  const InstructionCode code = static_cast<InstructionCode>(record.word[0] & 0x1FF);
  int n = box_operand_cells(code);
  if (n > InstrAttr::TEXT_BOX) return -1;
  LadderRow& target = grid[static_cast<size_t>(row)];
  uint32_t& out = target.cell[OUTPUT_COLUMN].word[0];
  // The output's first cell may be the first cell of a branch: it keeps its link and its
  // U mark, and cell 11 keeps the U number beside the operand, as a contact does.
  const uint32_t out_kept = out & CELL_KEPT;
  const uint32_t out_word1_kept = (out & CellFlags::U_MARK) ? target.cell[OUTPUT_COLUMN].word[1] & U_WORD1_KEPT : 0;
  const uint32_t flags = record.word[0] & RECORD_OPERAND_FLAGS;
  uint32_t word3 = record.word[3];
  if (code == Instr::OUT || code == Instr::TIM || code == Instr::CNT) {
    // A coil: its part code is the coil's own (a continuation output keeps 12).
    n = 0;
    uint32_t part = PartCode::OUT;
    if (code == Instr::TIM) part = PartCode::TIM;
    if (code == Instr::CNT) part = PartCode::CNT;
    if (code == Instr::OUT && (word3 & 0x3F) == PartCode::CONTINUATION_OUT) part = PartCode::CONTINUATION_OUT;
    out = out_kept | (flags + CellWord::COIL_BASE) | part << 4;
    if (part == PartCode::CONTINUATION_OUT) out |= CellFlags::CONTINUATION;
    if (code != Instr::OUT) {
      uint32_t& coil = target.cell[OUTPUT_COLUMN - 1].word[0];
      coil = (coil & CELL_KEPT) | CellWord::TIMER_COIL_CELL;
      out |= CellFlags::TIMER_OUTPUT;
    }
    word3 = 0;
  } else if (n == 0) {
    out = out_kept | (flags + CellWord::BOX_SINGLE_CELL);
    word3 = 0;
  } else {
    out |= flags + CellWord::BOX_LAST_CELL;
    uint32_t& start = target.cell[OUTPUT_COLUMN - n].word[0];
    start = (start & CELL_KEPT) | CellWord::BOX_FIRST_CELL;
    for (int c = OUTPUT_COLUMN - n + 1; c < OUTPUT_COLUMN; ++c) target.cell[c].word[0] = CellWord::BOX_MIDDLE_CELL;
  }
  target.cell[12].word[0] = record.word[0] & 0x3FFF;
  target.cell[13].word[0] = 0;
  target.cell[14].word[0] = 0;
  target.cell[OUTPUT_COLUMN].word[1] = out_word1_kept | record.word[1];
  target.cell[12].word[1] = record.word[2];
  target.cell[13].word[1] = word3;
  target.cell[14].word[1] = record.word[4];
  target.source_position = static_cast<int32_t>(record.word[5] & ROW_WORD_MASK);
  return n;
}

void set_record_position(ListSpan list, int index, int row, int column) {
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return;
  list[static_cast<size_t>(index)].word[5] = source_position(row, column);
}

int find_branch_last_row(ConstGridSpan grid, int row, int column) {
  const int rows = grid_rows(grid);
  const int from = std::max(column, 1);
  int last = row;
  while (last + 1 < rows) {
    bool joined = false;
    for (int c = from; c <= OUTPUT_COLUMN && !joined; ++c) joined = (cell_word0(grid, last + 1, c) & CellFlags::LINK_UP) != 0;
    if (!joined) break;
    ++last;
  }
  return last;
}

namespace {

// A row whose cells from `column` to 11 hold neither a line nor a part.
bool is_gap_row(const LadderRow& row, int column) {
  for (int c = column; c <= OUTPUT_COLUMN; ++c)
    if (row.cell[c].word[0] & LINE_OR_PART) return false;
  return true;
}

// Every record from `first_record` to before `records` (and up to the END record) whose
// position lies in rows first..last, columns column..15, follows its cell `shift` rows up.
void move_record_positions(ListSpan list, int first_record, int records, int first, int last, int column, int shift) {
  const int count = std::min(list_limit(list), records);
  for (int k = std::max(first_record, 0); k < count; ++k) {
    InstructionRecord& r = list[static_cast<size_t>(k)];
    if (is_end_record(r)) break;
    const int row = static_cast<int>(r.word[5] & POSITION_ROW_MASK);
    const int col = static_cast<int>((r.word[5] >> 20) & 0xFF);
    if (row >= first && row <= last && col >= column && col < ROW_CELLS) r.word[5] = source_position(row - shift, col);
    if (record_code(r) == Instr::END) break;
  }
}

// Closes the gaps above the output rows (and the end-mark row) of rows first_row to
// end_row - 1, moving the positions of the records first_record .. records - 1 along
// (the records drawn in those rows).
void close_gaps(GridSpan grid, ListSpan list, int first_row, int end_row, int first_record, int records) {
  const int rows = std::min(grid_rows(grid), end_row);
  int r = std::max(first_row, 0) + 1;
  while (r < rows) {
    LadderRow& row = grid[static_cast<size_t>(r)];
    const bool end_mark = is_end_mark_row(row);
    if (is_comment_row(row) || (!end_mark && !(row.cell[OUTPUT_COLUMN].word[0] & CellFlags::OUTPUT))) {
      ++r;
      continue;
    }
    // The column of the link that joins this output row to its branch point. An output
    // cell linked up itself hangs from column 11 (a branch or a second coil after logic
    // that fills every contact column), whatever links of other branches pass its row.
    int c = 0;
    for (int col = OUTPUT_COLUMN; col >= 1 && c == 0; --col)
      if (row.cell[col].word[0] & CellFlags::LINK_UP) c = col;
    int q = r;
    while (q > first_row && is_gap_row(grid[static_cast<size_t>(q - 1)], c)) --q;
    if (q == r) {
      if (end_mark) break;
      ++r;
      continue;
    }
    const int last = end_mark ? r : std::min(find_branch_last_row(grid, r, c), rows - 1);
    // The lowest row whose part or line left of the link column the link still serves:
    // below it the link would dangle once the rows move up, down to it the link stays,
    // also in the rows that move away (their cells left of the link stay where they are).
    int served = q;
    if (c > 0) {
      int b = q + 1;
      while (b < rows && (word0(grid, b, c) & CellFlags::LINK_UP)) ++b;
      --b;
      while (b > q && (word0(grid, b, c - 1) & LINE_OR_PART) == 0) --b;
      served = b;
      if (r - q > 1)
        for (int k = b + 1; k < r; ++k) word0(grid, k, c) = 0;
    }
    const int shift = r - q;
    for (int src = r; src <= last; ++src) {
      LadderRow& from = grid[static_cast<size_t>(src)];
      LadderRow& to = grid[static_cast<size_t>(src - shift)];
      for (int col = c; col < ROW_CELLS; ++col) {
        LadderCell moved = from.cell[col];
        // The moved cell in the link column keeps its own link and gains the one that
        // joins the destination to the rows above.
        if (col == c && !end_mark) moved.word[0] |= to.cell[col].word[0] & CellFlags::LINK_UP;
        to.cell[col] = moved;
        from.cell[col] = LadderCell{};
        if (col == c && c > 0 && src <= served) from.cell[col].word[0] = CellFlags::LINK_UP;
        std::memcpy(to.text[col], from.text[col], CELL_TEXT_SIZE);
        std::memset(from.text[col], 0, CELL_TEXT_SIZE);
      }
      to.source_position = from.source_position;
      from.source_position = 0;
    }
    move_record_positions(list, first_record, records, r, last, c, shift);
    if (end_mark) break;
    r = q + 1;
  }
}

}  // namespace

void close_row_gaps(GridSpan grid, ListSpan list) {
  const int rows = grid_rows(grid);
  close_gaps(grid, list, 0, rows, 0, list_limit(list));
  // A continuous left rail down to the END row.
  int end_row = -1;
  for (int k = 0; k < rows && end_row < 0; ++k) {
    if (is_end_mark_row(grid[static_cast<size_t>(k)])) break;
    if (is_end_row(grid[static_cast<size_t>(k)])) end_row = k;
  }
  for (int k = 1; k <= end_row; ++k) word0(grid, k, 0) |= CellFlags::LINK_UP;
}

void compact_branch_columns(GridSpan grid) {
  const int rows = grid_rows(grid);
  const int count = count_program_rows(grid);
  if (count < 2 || count > rows) return;
  for (int r = count - 2; r >= 1; --r) {
    if (is_comment_row(grid[static_cast<size_t>(r)])) continue;
    // The link of a branch row: a linked line with nothing on its left, the lowest of its group.
    int i = 0;
    for (int col = 10; col >= 1 && i == 0; --col) {
      if ((cell_word0(grid, r, col) & 0xFF) == CellWord::LINE_LINKED &&
          (cell_word0(grid, r, col - 1) & LINE_OR_PART) == 0 && (cell_word0(grid, r + 1, col) & CellFlags::LINK_UP) == 0)
        i = col;
    }
    if (i == 0) continue;
    bool lines_to_output = true;
    for (int col = i + 1; col <= OUTPUT_COLUMN && lines_to_output; ++col) {
      const uint32_t w = cell_word0(grid, r, col);
      lines_to_output = (w & 0xFF) == CellWord::LINE_ONLY || (w & OUTPUT_OR_BOX) != 0;
    }
    if (!lines_to_output) continue;
    // The branch point's row: the first row above whose cell left of the link holds something.
    int k = r - 1;
    while (k >= 0 && !is_comment_row(grid[static_cast<size_t>(k)])) {
      const uint32_t w = cell_word0(grid, k, i - 1);
      if (w != 0 && (w & 0xFF) != CellFlags::LINK_UP) break;
      --k;
    }
    if (k < 0 || is_comment_row(grid[static_cast<size_t>(k)])) continue;
    // Moving the point changes which row is the lowest of its group; a U point or a BTONJ
    // may stand neither there nor at the top, so groups that hold one stay as drawn.
    bool jumps = false;
    for (int row = k; row <= r && !jumps; ++row) {
      jumps = row_output_code(grid[static_cast<size_t>(row)]) == static_cast<uint32_t>(Instr::BTONJ);
      for (int col = 0; col <= OUTPUT_COLUMN && !jumps; ++col) jumps = (cell_word0(grid, row, col) & CellFlags::U_MARK) != 0;
    }
    if (jumps) continue;
    bool branch = true;
    for (int row = k + 1; row < r && branch; ++row) branch = (cell_word0(grid, row, i) & 0xFF) == CellWord::LINE_LINKED;
    const uint32_t top = cell_word0(grid, k, i);
    branch = branch && (top & CellWord::LINE_ONLY) == CellWord::LINE_ONLY &&
             (k == 0 || (top & CellFlags::LINK_UP) == 0 ||
              (cell_word0(grid, k - 1, i) & CellWord::LINE_ONLY) == CellWord::LINE_ONLY);
    if (!branch) continue;
    int l = 10;
    for (int col = i; col <= 10 && l == 10; ++col)
      for (int row = k; row <= r; ++row)
        if (cell_word0(grid, row, col) & OUTPUT_OR_BOX) {
          l = col;
          break;
        }
    if (l <= i) continue;
    // Only plain lines and links move: never a part, a U mark or a word.
    bool plain = true;
    for (int row = k; row <= r && plain; ++row)
      for (int col = i; col < l && plain; ++col) {
        const uint32_t w = cell_word0(grid, row, col) & ~CellFlags::LINK_UP;
        plain = w == 0 || w == CellWord::LINE_ONLY;
      }
    if (!plain) continue;
    for (int col = i; col < l; ++col) {
      LadderCell& cell = grid[static_cast<size_t>(k)].cell[col];
      cell.word[0] = (cell.word[0] & CellFlags::LINK_UP) | CellWord::LINE_ONLY;
      cell.word[1] = 0;
    }
    for (int row = k + 1; row <= r; ++row) {
      for (int col = i; col < l; ++col) grid[static_cast<size_t>(row)].cell[col] = LadderCell{};
      word0(grid, row, l) |= CellFlags::LINK_UP;
    }
  }
}
