#include "core/compiler_checks.h"

#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/notice.h"

// The texts of the error kinds in kind order (the compile-error list shows the kind-th one).
const char g_compile_error_texts[] =
    "ＥＮＤ命令が無いか、ファイルが壊れています！\0"
    "出力の重複が有ります      警告\0"
    " ファイルが出来ました\0"
    "複雑すぎる論理を取っています！\0"
    "論理を分岐点以外から取っています！\0"
    "直線性が保たれていません！\0"
    "番号の未設定があります！\0"
    "継続性が無いか、論理接点がありません！\0"
    "ファイルの保存ができません！\0"
    "直線だけのブロックがあります！\0"
    "ジャンプ先のポイントが有りません！\0"
    "１行目は接点から始めます。他行も直線だけでは動作しません！\0"
    "出力が２つの自関数はここには置けません！\0"
    "入出力の引き数が接続されていません！\0"
    "自関数内には桁指定命令を含むことは出来ません！ \0"
    "自関数は左端、右端には置けません！\0"
    "２行以上の自関数の上下には論理回路を展開出来ません！\0"
    "２行以上の自関数は１ブロック中に１つだけです！\0"
    "自関数には入力接点が必要です！\0"
    "２行以上の自関数の右側どうしを縦線で結合する事は出来ません！\0"
    "２行以上の自関数の右側に出力命令が有りません！\0"
    "２行以上の自関数の右側では出力分岐は取れません！\0"
    "２行以上の自関数の右側に部品が大過ぎます！\0"
    "自関数の引き数以外の場所には部品は接続出来ません！\0"
    "自関数のすぐ手前からの下への分岐は取れません！\0"
    "自関数はＯＲﾌﾞﾛｯｸ中には置けません！\0"
    "自関数に必要なＸかＹの入出力が有りません！\0"
    "存在しないｼﾞｬﾝﾌﾟﾎﾟｲﾝﾄ（Ｕ）を差し示すｼﾞｬﾝﾌﾟ命令があります！\0"
    "UﾎﾟｲﾝﾄとBTONJ命令は分岐の最上段と最下段には置けません！\0"
    "プログラムが大き過ぎて命令リストに入りません！\0"
    "コメント行とASM・TABLの文は合わせて500までです！\0";

const char* compile_error_text(uint32_t kind) {
  if (kind >= static_cast<uint32_t>(CompileError::KIND_COUNT)) return "";
  const char* text = g_compile_error_texts;
  for (uint32_t k = 0; k < kind; ++k) text += std::strlen(text) + 1;
  return text;
}

void record_compile_error(uint32_t kind, int column, int row) {
  add_conversion_error(compiler_error(kind, static_cast<uint32_t>(column < 0 ? 0 : column),
                                      static_cast<uint32_t>(row < 0 ? 0 : row)));
}

namespace {



// Outputs that need no input contact: the rows of these instructions may be lines only.
bool is_inputless(int code) {
  switch (code) {
    case Instr::MCR: case Instr::END: case Instr::FEND: case Instr::IEND: case Instr::SEND:
    case Instr::RET: case Instr::COM: case Instr::EI: case Instr::DI: case Instr::COMMENT:
      return true;
    default:
      return false;
  }
}

// Walks the non-comment rows of the program in order, with their display row numbers.
template <typename F>
void for_each_program_row(const ProgramRows& g, F&& visit) {
  int comments = 0;
  for (int r = 0; r < g.rows(); ++r) {
    if (g.is_comment_row(r)) {
      ++comments;
      continue;
    }
    if (!visit(r, r - comments)) return;
  }
}

}  // namespace

int check_vertical_links(GridSpan grid) {
  const ProgramRows g(grid, g_program_row_count);
  int result = 0;
  for (int c = 1; c <= 10; ++c) {
    if (g.linked(0, c)) {
      record_compile_error(CompileError::NOT_STRAIGHT, c, 0);
      result = 1;
    }
  }
  for_each_program_row(g, [&](int r, int display) {
    if (r == 0) return true;
    for (int c = 1; c <= 10; ++c) {
      if (!g.linked(r, c)) continue;
      if ((!g.has_part(r - 1, c - 1) || !g.has_part(r - 1, c)) && !g.linked(r - 1, c)) {
        // The upper end of the link touches no part and does not go on upward.
        record_compile_error(CompileError::NOT_STRAIGHT, c, display);
        result = 1;
      } else if (!g.has_part(r, c - 1) && !g.has_part(r, c) && !g.linked(r + 1, c)) {
        // The lower end touches nothing.
        record_compile_error(CompileError::OPEN_WIRING, c, display);
        result = 1;
      }
    }
    return true;
  });
  return result;
}

int check_open_wiring(GridSpan grid) {
  const ProgramRows g(grid, g_program_row_count);
  int result = 0;
  // Every part must be wired on to its right, and to its left unless a link feeds it.
  for_each_program_row(g, [&](int r, int display) {
    for (int c = 0; c <= 10; ++c) {
      if (!g.has_part(r, c)) continue;
      const uint32_t right = g.word0(r, c + 1);
      if (!(right & (CellFlags::LINE | CellFlags::LINK_UP | CellFlags::PRESENT))) {
        record_compile_error(CompileError::OPEN_WIRING, c + 1, display);
        result = 1;
        break;
      }
      if (c > 0 && !(g.word0(r, c - 1) & (CellFlags::LINE | CellFlags::PRESENT)) && !g.linked(r, c)) {
        record_compile_error(CompileError::OPEN_WIRING, c - 1, display);
        result = 1;
        break;
      }
    }
    return true;
  });
  // An output reached through lines alone is only allowed for the input-less instructions.
  for_each_program_row(g, [&](int r, int display) {
    for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
      const uint32_t w = g.word0(r, c);
      if ((w & (CellFlags::LINE | CellFlags::PRESENT)) == (CellFlags::LINE | CellFlags::PRESENT)) continue;
      if ((w & (CellFlags::OUTPUT | CellFlags::TIMER_COIL | CellFlags::BOX)) &&
          !is_inputless(static_cast<int>(g.word0(r, 12) & 0x3FF))) {
        record_compile_error(CompileError::OPEN_WIRING, c - 1, display);
        result = 1;
        return false;
      }
      break;
    }
    return true;
  });
  return result;
}

namespace {

// Pass 1 of the operand check: records kind 6 for every part without its operand.
int check_operands(const ProgramRows& g) {
  int result = 0;
  auto unset = [&](int c, int display) {
    record_compile_error(CompileError::UNSET_OPERAND, c, display);
    result = 1;
  };
  for_each_program_row(g, [&](int r, int display) {
    for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
      const uint32_t w = g.word0(r, c);
      if (!g.has_element(r, c)) continue;
      if (w & CellFlags::COMPARISON) {
        if (!(w & CellFlags::OPERAND_SET)) unset(c, display);
        c += 2;  // the comparison's operand cells
        continue;
      }
      if (w & (CellFlags::TIMER_COIL | CellFlags::BOX_POSITION)) {
        // A box (or a timer coil): its operands are set when its output cell says so.
        if (c < OUTPUT_COLUMN && !(g.word0(r, OUTPUT_COLUMN) & CellFlags::OPERAND_SET)) unset(c, display);
        break;
      }
      if (!(w & (CellFlags::OPERAND_SET | CellFlags::CONTINUATION))) unset(c, display);
    }
    // A U mark (a JMS point) needs its number, whatever the cell holds.
    for (int c = 0; c <= OUTPUT_COLUMN; ++c)
      if (g.has_u_mark(r, c) && !(g.word1(r, c) & U_NUMBER_SET)) unset(c, display);
    if (g.has_label(r) && !(g.word0(r, LABEL_COLUMN) & CellFlags::OPERAND_SET)) unset(LABEL_COLUMN, display);
    return true;
  });
  return result;
}

// Pass 2: the first output that repeats a Y (without 0x400000), T or C output of an
// earlier row; returns its display row, or -1.
int find_duplicate_output(const ProgramRows& g) {
  std::unordered_set<uint32_t> seen;
  int duplicate = -1;
  for_each_program_row(g, [&](int r, int display) {
    if (!(g.word0(r, OUTPUT_COLUMN) & CellFlags::OUTPUT)) return true;
    switch (static_cast<int>(g.box_code(r))) {
      case Instr::OUT: case Instr::SET: case Instr::PLS: case Instr::PLF: case Instr::TIM: case Instr::CNT:
        break;
      default:
        return true;
    }
    const uint32_t operand = g.word1(r, OUTPUT_COLUMN);
    const int device = operand_device_index(operand);
    const bool unique = (device == Device::Y && !(operand & 0x400000)) || device == Device::T ||
                        device == Device::C;
    if (!unique) return true;
    if (!seen.insert(operand).second) {
      duplicate = display;
      return false;
    }
    return true;
  });
  return duplicate;
}

}  // namespace

int check_operands_and_duplicates(GridSpan grid) {
  const ProgramRows g(grid, g_program_row_count);
  const int unset = check_operands(g);
  const int duplicate = find_duplicate_output(g);
  if (duplicate >= 0) return -duplicate;
  return unset;
}

int check_first_contact_and_continuations(GridSpan grid) {
  const ProgramRows g(grid, g_program_row_count);
  int result = 0;
  // The first element of the program must be a contact (an in-cell comparison is one),
  // not an output or a box. Comment rows hold no program element and are passed over.
  bool found = false;
  for_each_program_row(g, [&](int r, int display) {
    for (int c = 0; c <= OUTPUT_COLUMN; ++c) {
      if (!g.has_element(r, c)) continue;
      if ((g.word0(r, c) & CellFlags::BOX_POSITION) && !g.is_comparison(r, c)) {
        record_compile_error(CompileError::FIRST_NOT_CONTACT, c, display);
        result = 1;
      }
      found = true;
      break;
    }
    return !found;
  });
  // A rung that ends in a continuation output goes on in the continuation input on cell 0
  // of the row after it, with the same number.
  int comments = 0;
  for (int r = 0; r < g.rows(); ++r) {
    if (g.is_comment_row(r)) {
      ++comments;
      continue;
    }
    if (g.is_end_row(r)) break;
    if (!(g.word0(r, OUTPUT_COLUMN) & CellFlags::CONTINUATION)) continue;
    int last = r;
    while (last + 1 < g.rows() && g.continues_rung(last + 1)) ++last;
    const int next = last + 1;
    if (!(g.word0(next, 0) & CellFlags::CONTINUATION) ||
        (g.word1(next, 0) & 0xFFF) != (g.word1(r, OUTPUT_COLUMN) & 0xFFF)) {
      record_compile_error(CompileError::OPEN_WIRING, OUTPUT_COLUMN, r - comments);
      result = 1;
    }
    for (int k = r + 1; k <= last; ++k)
      if (g.is_comment_row(k)) ++comments;
    r = last;
  }
  return result;
}

// ---- List checks ----------------------------------------------------------------------------------

namespace {

constexpr int record_code(const InstructionRecord& rec) { return static_cast<int>(rec.word[0] & RecordFlags::CODE_MASK); }

// The records the list checks look at: up to and including the END record, never past the
// end record, the span or MAX_INSTRUCTIONS.
int checked_length(ConstListSpan list) {
  const size_t limit = list.size() < static_cast<size_t>(MAX_INSTRUCTIONS) ? list.size() : MAX_INSTRUCTIONS;
  for (size_t i = 0; i < limit; ++i) {
    if (is_end_record(list[i])) return static_cast<int>(i);
    if (record_code(list[i]) == Instr::END && (list[i].word[0] & RecordFlags::VALID)) return static_cast<int>(i) + 1;
  }
  return static_cast<int>(limit);
}

void warn(const char* format, int number) {
  char text[256];
  std::snprintf(text, sizeof text, format, number);
  show_notice(text, "警告", NoticeStyle::OK, nullptr);
}

void warn_missing_point(char letter, int number) {
  char text[256];
  std::snprintf(text, sizeof text, "ｼﾞｬﾝﾌﾟ先、又はｺｰﾙ先･ﾎﾟｲﾝﾄ%c%dが不足しています！", letter, number);
  show_notice(text, "警告", NoticeStyle::OK, nullptr);
}

// A label number outside its table is refused with a message that names the label.
bool label_in_range(char letter, int number, int table_size) {
  if (number < table_size) return true;
  char text[256];
  std::snprintf(text, sizeof text, "ﾎﾟｲﾝﾄ%c%dは使えません！\n%cの番号は0～%dにして下さい", letter, number, letter,
                table_size - 1);
  show_notice(text, "警告", NoticeStyle::OK, nullptr);
  return false;
}

constexpr int32_t MARK_SCALL = 0xFCFC;
constexpr int32_t MARK_CJ = 0xFEFE;
constexpr int32_t MARK_BTONJ = 0xFDFD;
constexpr int32_t MARK_INT = 0xFBFB;
constexpr int NO_INDEX = 0xFFFF;

}  // namespace

int check_jump_points(ConstListSpan list) {
  std::array<int32_t, P_POINTS> p_points{};
  std::array<int32_t, U_POINTS> u_points{};
  std::array<int32_t, I_POINTS> i_points{};
  const int n = checked_length(list);
  int last_fend = NO_INDEX;
  int last_send = NO_INDEX;
  for (int i = 0; i < n; ++i) {
    if (record_code(list[static_cast<size_t>(i)]) == Instr::FEND) last_fend = i;
    if (record_code(list[static_cast<size_t>(i)]) == Instr::SEND) last_send = i;
  }
  for (int i = 0; i < n; ++i) {
    const InstructionRecord& rec = list[static_cast<size_t>(i)];
    const int code = record_code(rec);
    const int label = static_cast<int>(rec.word[1] & 0xFF);
    if ((code == Instr::CJ && label != 255) || code == Instr::SCALL) {
      if (code == Instr::CJ && last_fend != NO_INDEX && last_fend < i) {
        warn("CJ命令はFENDの後には置けません！\nP%dが問題です", label);
        return -1;
      }
      if (!label_in_range('P', label, P_POINTS)) return -1;
      p_points[static_cast<size_t>(label)] = code == Instr::SCALL ? MARK_SCALL : MARK_CJ;
    } else if (code == Instr::INT) {
      if (!label_in_range('I', label, I_POINTS)) return -1;
      i_points[static_cast<size_t>(label)] = MARK_INT;
    } else if (code == Instr::BTONJ) {
      if (!label_in_range('U', label, U_POINTS)) return -1;
      u_points[static_cast<size_t>(label)] = MARK_BTONJ;
    }
  }
  for (int i = 0; i < n; ++i) {
    const InstructionRecord& rec = list[static_cast<size_t>(i)];
    const int code = record_code(rec);
    const int label = static_cast<int>(rec.word[1] & 0xFF);
    if (code == Instr::JME) {
      if (!label_in_range('P', label, P_POINTS)) return -1;
      int32_t& point = p_points[static_cast<size_t>(label)];
      if ((point == MARK_SCALL && (last_fend == NO_INDEX || i <= last_fend)) ||
          (point == MARK_CJ && last_fend != NO_INDEX && last_fend <= i)) {
        warn("SCALL命令先のﾎﾟｲﾝﾄはFEND命令の後に、又は、\nCJ命令の先のｼﾞｬﾝﾌﾟﾎﾟｲﾝﾄはFEND命令の前に\n各々置いてください！ P%dが問題です",
             label);
        return -1;
      }
      if (point != MARK_SCALL && point != MARK_CJ) {
        warn("ﾎﾟｲﾝﾄP%dは利用されていないか、ダブっています！", label);
        return -1;
      }
      point = i;
    } else if (code == Instr::JMS) {
      if (!label_in_range('U', label, U_POINTS)) return -1;
      u_points[static_cast<size_t>(label)] = i;
    } else if (code == Instr::JMI) {
      if (!label_in_range('I', label, I_POINTS)) return -1;
      int32_t& point = i_points[static_cast<size_t>(label)];
      if (point == MARK_INT && (last_send == NO_INDEX || i <= last_send)) {
        warn("INT命令のﾎﾟｲﾝﾄはIEND命令の後に\n置いてください！ I%dが問題です", label);
        return -1;
      }
      if (point != MARK_INT) warn("ﾎﾟｲﾝﾄI%dは利用されていないか\nダブっています！", label);
      point = i;
    }
  }
  for (int k = 0; k < P_POINTS; ++k) {
    if (p_points[static_cast<size_t>(k)] == MARK_SCALL || p_points[static_cast<size_t>(k)] == MARK_CJ) {
      warn_missing_point('P', k);
      return -1;
    }
  }
  for (int k = 0; k < I_POINTS; ++k) {
    if (i_points[static_cast<size_t>(k)] == MARK_INT) {
      warn_missing_point('I', k);
      return -1;
    }
    if (u_points[static_cast<size_t>(k)] == MARK_BTONJ) {
      warn_missing_point('U', k);
      return -1;
    }
  }
  return 0;
}

namespace {

// The records of the section check, with every index at or past `end` reading as END.
struct SectionScan {
  ConstListSpan list;
  int end;
  int code(int i) const { return i < end ? record_code(list[static_cast<size_t>(i)]) : Instr::END; }
  // An LD or LDI that opens a rung on an M device in [low, high]; the M number or -1.
  int trigger(int i, int low, int high) const {
    if (i >= end) return -1;
    const InstructionRecord& rec = list[static_cast<size_t>(i)];
    if (!(rec.word[0] & RecordFlags::BLOCK_START) || record_code(rec) > Instr::LDI) return -1;
    if (operand_code_byte(rec.word[1]) != static_cast<uint32_t>(device_code_from_index(Device::M))) return -1;
    const int number = static_cast<int>(rec.word[1] & 0xFFFF);
    return number >= low && number <= high ? number : -1;
  }
  int next_rung(int i) const {
    for (++i; i < end; ++i)
      if (list[static_cast<size_t>(i)].word[0] & RecordFlags::BLOCK_START) return i;
    return end;
  }
};

constexpr int INTERRUPT_FIRST = 9050;
constexpr int INTERRUPT_LAST = 9069;
constexpr int SOFT_INTERRUPT_FIRST = 9070;
constexpr int SOFT_INTERRUPT_LAST = 9089;

// Scans one interrupt section from its IEND (or SEND) at `start`: every trigger rung in
// [first, last] opens a routine that `closing` ends, while `wrong_close` and END, SEND or
// another trigger inside it are faults. 0, or the section fault.
int scan_interrupt_section(const SectionScan& s, int start, int first, int last, int stop_code,
                           int closing, int wrong_close, uint32_t& mask, bool& routine_found,
                           int (*bit_of)(int)) {
  bool found = false;
  for (int j = start + 1;; ++j) {
    const int code = s.code(j);
    if (code == Instr::END || code == stop_code) return found ? 0 : -2;
    const int number = s.trigger(j, first, last);
    if (number < 0) continue;
    mask |= 1u << bit_of(number);
    found = true;
    routine_found = true;
    for (j = s.next_rung(j);; ++j) {
      const int inner = s.code(j);
      if (inner == Instr::END || inner == Instr::SEND) return -4;
      if (s.trigger(j, INTERRUPT_FIRST, SOFT_INTERRUPT_LAST) >= 0) return -4;
      if (inner == wrong_close) return -3;
      if (inner == closing) break;
    }
  }
}

}  // namespace

int check_program_sections(ConstListSpan list, TableFlags& tbl_no, int32_t& tb_as_f) {
  tbl_no.fill(0);
  tb_as_f = 0;
  const SectionScan s{list, checked_length(list)};
  uint32_t mask = 0;
  bool has_iend = false;
  bool has_send = false;
  bool interrupt_routine = false;
  bool soft_routine = false;
  for (int i = 0; i < s.end; ++i) {
    const int code = s.code(i);
    if (code == Instr::FEND) {
      // FEND, the P subroutines, RETRN.
      for (int j = i + 1;; ++j) {
        const int next = s.code(j);
        if (next == Instr::RETRN) break;
        if (next == Instr::END || next == Instr::IEND) return -4;
        if (next == Instr::IRET) return -3;
      }
    } else if (code == Instr::IEND) {
      // IEND, the interrupt routines (each opened by a rung on M9050-M9069), IRET.
      has_iend = true;
      const int r = scan_interrupt_section(s, i, INTERRUPT_FIRST, INTERRUPT_LAST, Instr::SEND, Instr::IRET, Instr::RETRN,
                                           mask, interrupt_routine, [](int n) { return n - INTERRUPT_FIRST; });
      if (r) return r;
    } else if (code == Instr::SEND) {
      // SEND, the software-interrupt routines (rungs on M9070-M9089), RETRN.
      has_send = true;
      const int r = scan_interrupt_section(s, i, SOFT_INTERRUPT_FIRST, SOFT_INTERRUPT_LAST, Instr::END, Instr::RETRN,
                                           Instr::IRET, mask, soft_routine, [](int n) { return (n + 154) % 32; });
      if (r) return r;
    }
  }
  int result = 0;
  for (int i = 0; i < s.end; ++i) {
    const int code = s.code(i);
    if (s.trigger(i, INTERRUPT_FIRST, 9057) >= 0 && !has_iend) result = 1;
    if (code == Instr::IRET && (!has_iend || !interrupt_routine)) result = 1;
    if (s.trigger(i, SOFT_INTERRUPT_FIRST, SOFT_INTERRUPT_LAST) >= 0 && !has_send) result = 1;
    if (code == Instr::RDTBL) {
      // The table number is a constant: K (packed decimal) or H. Tables are numbered 1-15;
      // any other number sets the flag of table 0, which no TABLE row can clear.
      const InstructionRecord& rec = list[static_cast<size_t>(i)];
      int table = -1;
      if (rec.word[0] & RecordFlags::CONSTANT_0)
        table = (rec.word[0] & RecordFlags::HEX_0) ? static_cast<int>(rec.word[1] & 0x7FFFFFFF)
                                                   : (rec.word[1] <= 0xFFFFFF ? bcd_to_int(rec.word[1]) : -1);
      tbl_no[static_cast<size_t>(table >= 1 && table < TABLE_NUMBERS ? table : 0)] = 1;
      tb_as_f = 1;
    }
    if (code == Instr::ASM) tb_as_f = 1;
  }
  // The interrupt bits (0-19 for M9050-M9069, 8-27 for M9070-M9089) are this check's own:
  // all of them are cleared before the program's are set, so that a routine deleted
  // since the last compile is no longer enabled. Bits 28-31 are kept.
  constexpr uint32_t INTERRUPT_MASK_BITS = 0x0FFFFFFFu;
  g_cpu_settings.base_value =
      static_cast<int32_t>((static_cast<uint32_t>(g_cpu_settings.base_value) & ~INTERRUPT_MASK_BITS) | mask);
  return result;
}

int check_table_rows(GridSpan grid, TableFlags& tbl_no) {
  int end = find_end_mark_row(grid);
  const int size = static_cast<int>(grid.size() < static_cast<size_t>(MAX_GRID_ROWS) ? grid.size() : MAX_GRID_ROWS);
  if (end < 0 || end > size) end = size;
  int result = 0;
  for (int r = 0; r < end; ++r) {
    const char* text = grid[static_cast<size_t>(r)].text[1];
    if (std::strncmp(text, "0F0F0F0F0", CELL_TEXT_SIZE) == 0) break;
    if (std::strncmp(text, "TABLE", 5) != 0) continue;
    int number = 0;
    int digits = 0;
    for (int k = 5; k < CELL_TEXT_SIZE && digits < 4 && text[k] >= '0' && text[k] <= '9'; ++k, ++digits)
      number = number * 10 + (text[k] - '0');
    if (digits == 0 || number < 1 || number >= TABLE_NUMBERS || !tbl_no[static_cast<size_t>(number)]) {
      result = -1;
      continue;
    }
    tbl_no[static_cast<size_t>(number)] = 0;
  }
  for (int32_t flag : tbl_no)
    if (flag) result = -1;
  return result;
}
