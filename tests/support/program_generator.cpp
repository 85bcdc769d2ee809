#include "support/program_generator.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "core/instruction_tables.h"
#include "core/device_tables.h"
#include "support/instruction_records.h"

namespace il {

namespace {

// A condition: one contact, or a series or parallel block of conditions.
struct Expr {
  enum Kind { CONTACT, SERIES, PARALLEL } kind = CONTACT;
  InstructionRecord contact{};  // the LD form of the contact
  std::vector<Expr> children;
};

bool is_comparison(const Expr& e) { return e.kind == Expr::CONTACT && (e.contact.word[0] & 0x4000) != 0; }

int width(const Expr& e) {
  if (e.kind == Expr::CONTACT) return is_comparison(e) ? 3 : 1;
  int w = 0;
  for (const Expr& c : e.children) w = e.kind == Expr::SERIES ? w + width(c) : std::max(w, width(c));
  return w;
}

int height(const Expr& e) {
  if (e.kind == Expr::CONTACT) return 1;
  int h = 0;
  for (const Expr& c : e.children) h = e.kind == Expr::PARALLEL ? h + height(c) : std::max(h, height(c));
  return h;
}

class Generator {
 public:
  Generator(uint32_t seed, const GeneratorOptions& options) : random_(seed), options_(options) {}
  std::vector<InstructionRecord> program();

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool chance(int percent) { return pick(0, 99) < percent; }

  Expr contact(int max_width);
  Expr condition(int depth, int max_width, int max_height, Expr::Kind not_kind);
  void emit_first(const Expr& e);
  void emit_series_part(const Expr& e);
  void emit_parallel_part(const Expr& e);
  InstructionRecord output(int& first_column);
  InstructionRecord fitting_output(int column, int& first_column);
  void branches(uint32_t group, uint32_t level, int column, int outputs, InstructionRecord first, int first_column);
  void rung(int group);
  void subroutine_tail();

  std::mt19937 random_;
  GeneratorOptions options_;
  std::vector<InstructionRecord> out_;
  uint32_t next_y_ = 0;
  uint32_t next_timer_ = 0;
  uint32_t next_counter_ = 0;
  uint32_t next_register_ = 100;
  uint32_t next_comment_ = 0;
  uint32_t next_u_ = static_cast<uint32_t>(random_() % 16);
  uint32_t u_points_ = 0;
  uint32_t next_label_ = 1;
};

// The contact forms: LD/LDI (+0, +1), AND/ANI (+2, +3), OR/ORI (+4, +5) from the LD code.
Expr Generator::contact(int max_width) {
  Expr e;
  const int kind = pick(0, 99);
  if (max_width >= 3 && kind < 12) {
    static constexpr uint32_t kOps[] = {193, 196, 203};
    const int which = pick(0, 2);
    e.contact = ld_cmp(kOps[which], D(static_cast<uint32_t>(which)), K(static_cast<uint32_t>(5 + which)));
  } else if (kind < 22) {
    const bool b_form = chance(50);
    e.contact = il::contact(b_form ? 0x202 : 0x201, Dbit(static_cast<uint32_t>(pick(0, 1))), b_form ? 20 : 19);
  } else {
    const bool b_form = chance(40);
    const uint32_t part = static_cast<uint32_t>(pick(0, 2)) * 2 + (b_form ? 2 : 1);
    e.contact = il::contact(b_form ? 2 : 1, X(static_cast<uint32_t>(pick(0, 5))), part);
  }
  return e;
}

Expr Generator::condition(int depth, int max_width, int max_height, Expr::Kind not_kind) {
  if (depth <= 0 || max_width < 1 || chance(35) || (max_width < 2 && max_height < 2)) return contact(max_width);
  Expr::Kind kind = chance(50) ? Expr::SERIES : Expr::PARALLEL;
  if (kind == not_kind || (kind == Expr::SERIES && max_width < 2)) kind = kind == Expr::SERIES ? Expr::PARALLEL : Expr::SERIES;
  if (kind == not_kind || (kind == Expr::PARALLEL && max_height < 2) || (kind == Expr::SERIES && max_width < 2))
    return contact(max_width);
  Expr e;
  e.kind = kind;
  const int n = pick(2, 3);
  int width_left = max_width;
  int height_left = max_height;
  for (int k = 0; k < n; ++k) {
    const int later = n - 1 - k;
    if (kind == Expr::SERIES) {
      if (width_left - later < 1) break;
      Expr child = condition(depth - 1, width_left - later, max_height, Expr::SERIES);
      width_left -= width(child);
      e.children.push_back(child);
    } else {
      if (height_left - later < 1) break;
      Expr child = condition(depth - 1, max_width, height_left - later, Expr::PARALLEL);
      height_left -= height(child);
      e.children.push_back(child);
    }
  }
  if (e.children.size() < 2) return e.children.empty() ? contact(max_width) : e.children[0];
  return e;
}

// The contact record with its form changed from LD to AND (+2) or OR (+4).
InstructionRecord as_form(InstructionRecord r, uint32_t shift) {
  r.word[0] += shift;
  return r;
}

void Generator::emit_first(const Expr& e) {
  if (e.kind == Expr::CONTACT) {
    out_.push_back(e.contact);
    return;
  }
  emit_first(e.children[0]);
  for (size_t k = 1; k < e.children.size(); ++k) {
    if (e.kind == Expr::SERIES)
      emit_series_part(e.children[k]);
    else
      emit_parallel_part(e.children[k]);
  }
}

void Generator::emit_series_part(const Expr& e) {
  if (e.kind == Expr::CONTACT) {
    out_.push_back(as_form(e.contact, 2));
  } else {
    emit_first(e);
    out_.push_back(anb());
  }
}

void Generator::emit_parallel_part(const Expr& e) {
  if (e.kind == Expr::CONTACT && !is_comparison(e)) {
    out_.push_back(as_form(e.contact, 4));
  } else {
    emit_first(e);
    out_.push_back(orb());
  }
}

// A random output; `first_column` receives the first column it occupies.
InstructionRecord Generator::output(int& first_column) {
  const int kind = pick(0, 99);
  InstructionRecord r;
  if (kind < 55) {
    r = out(Y(next_y_++));
  } else if (kind < 65) {
    r = tim(T(next_timer_++), static_cast<uint32_t>(pick(1, 99)));
  } else if (kind < 70) {
    r = cnt(C(next_counter_++), static_cast<uint32_t>(pick(1, 99)));
  } else if (kind < 80) {
    // MOV K.. D.., MOVP, DMOV.
    static constexpr uint32_t kFlags[] = {0, 0x2000, 0x800};
    r = box(Instr::MOV | 0x100000 | kFlags[pick(0, 2)], K(static_cast<uint32_t>(pick(0, 999))), D(next_register_++));
  } else if (kind < 88) {
    r = box(Instr::INC | (chance(50) ? 0x2000 : 0), D(next_register_++));
  } else if (kind < 94) {
    r = box(Instr::ADD, D(next_register_), D(next_register_ + 1), D(next_register_ + 2));
    next_register_ += 3;
  } else {
    r = box(Instr::SET, Y(next_y_++));
  }
  const uint32_t code = r.word[0] & 0x1FF;
  if (code == static_cast<uint32_t>(Instr::OUT))
    first_column = 11;
  else if (code == static_cast<uint32_t>(Instr::TIM) || code == static_cast<uint32_t>(Instr::CNT))
    first_column = 10;
  else
    first_column = 11 - box_operand_cells(static_cast<InstructionCode>(code));
  return r;
}

void Generator::rung(int group) {
  int first_column = 11;
  InstructionRecord first_output = output(first_column);
  const int form = options_.branches ? pick(0, 2) : pick(0, 1);
  // Leave room on the right for contacts of later outputs.
  const int reserve = form == 0 ? 0 : pick(0, 2);
  const Expr common = condition(options_.max_depth, std::max(1, first_column - reserve), options_.max_height, Expr::CONTACT);
  const int common_width = width(common);
  emit_first(common);
  if (form == 0) {
    out_.push_back(first_output);
    return;
  }
  const int outputs = pick(2, 3);
  if (form == 1) {
    // Outputs in parallel, each further one behind the contacts before it.
    out_.push_back(first_output);
    int column = common_width;
    for (int k = 1; k < outputs; ++k) {
      int next_first = 11;
      InstructionRecord next = output(next_first);
      if (column < next_first && chance(50)) {
        const int w = pick(1, next_first - column);
        const Expr more = condition(1, w, 2, Expr::CONTACT);
        emit_series_part(more);
        column += width(more);
      }
      if (column > next_first) break;
      out_.push_back(next);
    }
    return;
  }
  branches(static_cast<uint32_t>(group), 0, common_width, outputs + (chance(30) ? 1 : 0), first_output, first_column);
}

// An output whose cells start at or right of `column`.
InstructionRecord Generator::fitting_output(int column, int& first_column) {
  InstructionRecord r = output(first_column);
  if (first_column < column) {
    r = out(Y(next_y_++));
    first_column = 11;
  }
  return r;
}

// Output branches from a branch point at `column`: MPS, then MRD ... MPP, each branch
// behind its own contacts. A branch may hold a branch point of its own (one level
// deeper); with four or more branches a middle one may be a U point that a BTONJ of
// another middle branch jumps to.
void Generator::branches(uint32_t group, uint32_t level, int column, int outputs, InstructionRecord first,
                         int first_column) {
  int u_branch = -1;
  int btonj_branch = -1;
  if (level == 0 && outputs >= 4 && u_points_ < 16 && chance(60)) {
    u_branch = pick(1, outputs - 2);
    do btonj_branch = pick(1, outputs - 2); while (btonj_branch == u_branch);
  }
  const uint32_t u = (next_u_ + u_points_++) % 16;
  out_.push_back(mps(group, level));
  for (int k = 0; k < outputs; ++k) {
    int branch_first = first_column;
    InstructionRecord branch_output = k == 0 ? first : fitting_output(column, branch_first);
    if (k == btonj_branch) {
      branch_output = box(Instr::BTONJ, make_device_operand(Device::U, u));
      branch_first = 10;
    }
    if (branch_first < column) {
      branch_output = out(Y(next_y_++));
      branch_first = 11;
    }
    if (k == u_branch) out_.push_back(jms(u));
    if (k > 0) out_.push_back(k + 1 == outputs ? mpp(group, level) : mrd(group, level));
    const int room = branch_first - column;
    int used = 0;
    if (room >= 1 && chance(70)) {
      const Expr more = condition(2, room, 2, Expr::CONTACT);
      emit_series_part(more);
      used = width(more);
    }
    if (level == 0 && k != btonj_branch && k != u_branch && room - used >= 1 && chance(15)) {
      branches(group, level + 1, column + used, 2, branch_output, branch_first);
      continue;
    }
    out_.push_back(branch_output);
  }
}

// A subroutine after FEND: SCALL in a rung before it, the routine's label, a rung, RETRN.
void Generator::subroutine_tail() {
  const uint32_t label = next_label_++;
  out_.insert(out_.end(), {ld(X(0)), box(Instr::SCALL, make_device_operand(Device::P, label)), fend()});
  out_.push_back(jme(label));
  rung(99);
  out_.insert(out_.end(), {ld(X(1)), box(Instr::RETRN)});
}

std::vector<InstructionRecord> Generator::program() {
  const int rungs = pick(1, options_.max_rungs);
  for (int k = 0; k < rungs; ++k) {
    if (options_.comments && chance(25) && next_comment_ < static_cast<uint32_t>(MAX_LINE_COMMENTS)) {
      std::snprintf(g_line_comments[next_comment_].data(), LINE_COMMENT_SIZE, "comment %u", next_comment_);
      out_.push_back(comment(next_comment_++));
    }
    if (chance(10)) {
      // A labelled rung that a CJ of its own output jumps back to.
      const uint32_t label = next_label_++;
      out_.push_back(jme(label));
      out_.insert(out_.end(), {ld(X(2)), box(Instr::CJ, make_device_operand(Device::P, label))});
      continue;
    }
    rung(k);
  }
  if (options_.sections && chance(15)) subroutine_tail();
  out_.push_back(end());
  mark_rung_starts(out_);
  return out_;
}

}  // namespace

std::vector<InstructionRecord> generate_program(uint32_t seed, const GeneratorOptions& options) {
  Generator generator(seed, options);
  return generator.program();
}

}  // namespace il
