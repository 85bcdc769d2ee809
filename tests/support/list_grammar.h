// Valid mnemonic programs made from bytes by the grammar of instruction lists: rungs of a
// condition and its outputs; conditions of contacts (relay a/b, D forms, comparisons) in
// series (AND, ANB blocks) and in parallel (OR, ORB blocks); outputs of every family
// (coils, timers and counters, SET/RST/PLS/PLF, word boxes of one to four operand cells,
// boxes without operands, ASM and TABL text rows, jumps), in parallel with more contacts
// or behind MPS/MRD/MPP branch points, nested, with U points and their BTONJ; comment
// lines, jump labels with their CJ, a subroutine after FEND called by SCALL and ended by
// RETRN, MC/MCR sections; END.
//
// Each byte is one decision of the grammar. A decision lists its choices as characters
// (the first one is the choice that ends or shortens, taken when the bytes run out); a
// byte that is one of those characters takes it, any other byte takes choice byte % n.
// So a readable string names a program (".", "r+X", "|"...), and every byte string gives
// a valid one.
//
// "Valid" is what the parser reads, the list-to-ladder conversion can draw and the
// compiler's own rules accept:
//   - widths: a rung's contacts fill columns 0-10, its output starts where its box does
//     (a coil in column 11, TIM/CNT in 10, a box of n operand cells in 11 - n, ASM and
//     TABL in column 1); an OR comparison is an ORB of a three-cell block;
//   - contacts after a branch point or after an output only extend it in series (AND,
//     ANB blocks): the conversion draws an OR there from the rung's left rail;
//   - comment lines and labels stand between rungs, one label per rung, before its first
//     contact (the conversion writes a label on the row where the next rung starts);
//   - every label is the target of a CJ and every CJ has its label, all before FEND; the
//     subroutine after FEND has the label its SCALL names and ends with RETRN;
//   - the program's first element is a contact (an MC/MCR section, FEND and the label
//     rungs come after a rung of contacts);
//   - a U point stands before an MRD branch of one output and its BTONJ is the output of
//     the MRD branch after it (the compiler refuses both on the first and the last branch
//     of a point, and a U point on a branch that branches again);
//   - devices stay below the interrupt triggers (M9050-M9089); no interrupt sections.
//
// Header-only, so that the fuzz targets (which link no test helpers) use it too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class ListGrammar {
 public:
  static constexpr int MAX_LINES = 240;  // rungs stop here (one rung may go a little past)
  static constexpr int MAX_BLOCK_DEPTH = 4;
  static constexpr int MAX_BRANCH_DEPTH = 3;
  static constexpr int SUBROUTINE_LABEL = 99;  // the SCALL target; CJ labels are P0-P98

  ListGrammar(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ListGrammar(std::string_view text)
      : data_(reinterpret_cast<const uint8_t*>(text.data())), size_(text.size()) {}

  std::vector<std::string> program() {
    for (;;) {
      const bool room = lines_.size() < MAX_LINES;
      const int choice = room ? pick(".r;PKkF") : 0;
      if (choice == 0) break;
      switch (choice) {
        case 1: logic_rung(); break;
        case 2: comment(); break;
        case 3: label(); break;
        case 4: open_mc(); break;
        case 5: close_mc(); break;
        case 6: subroutine(); break;
      }
    }
    finish();
    return lines_;
  }

 private:
  // ---- Decisions ---------------------------------------------------------------------------
  int take() { return at_ < size_ ? data_[at_++] : -1; }
  bool spent() const { return at_ >= size_ || lines_.size() > MAX_LINES + 60; }
  int pick(std::string_view choices) {
    if (spent()) return 0;
    const int b = take();
    const size_t named = choices.find(static_cast<char>(b));
    if (named != std::string_view::npos) return static_cast<int>(named);
    return b % static_cast<int>(choices.size());
  }
  int number(int highest) {
    const int b = take();
    return b < 0 ? 0 : b % (highest + 1);
  }
  // X and Y numbers in hexadecimal, two digits at least, as the mnemonic printer writes them.
  static std::string hex(int v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", v);
    return text;
  }
  void emit(std::string line) { lines_.push_back(std::move(line)); }

  // ---- Contacts ----------------------------------------------------------------------------
  std::string bit_device() {
    switch (pick("XYMSTCLB")) {
      case 0: return "X" + hex(number(255));
      case 1: return "Y" + hex(number(255));
      case 2: return "M" + std::to_string(number(255));
      case 3: return "S" + std::to_string(number(199));
      case 4: return "T" + std::to_string(number(255));
      case 5: return "C" + std::to_string(number(255));
      case 6: return "L" + std::to_string(number(255));
      default: return "B" + std::to_string(number(255));
    }
  }
  std::string word_operand() {
    return pick("KD") == 0 ? "K" + std::to_string(number(255)) : "D" + std::to_string(number(255));
  }
  // One contact with `head` LD, AND or OR, at most `room` cells wide; its width.
  int leaf(const std::string& head, int room) {
    static const char* const inverse[] = {"LDI", "ANI", "ORI"};
    static const char* const operators[] = {"=", "<>", ">", ">=", "<", "<="};
    const int h = head == "LD" ? 0 : head == "AND" ? 1 : 2;
    int form = pick("+-=#dD");
    if ((form == 2 || form == 3) && room < 3) form = 0;
    switch (form) {
      case 1: emit(std::string(inverse[h]) + " " + bit_device()); return 1;
      case 2:
      case 3: {
        const char* op = operators[pick("=n>g<l")];
        emit(head + (form == 3 ? "D" : "") + op + " D" + std::to_string(number(255)) + " " + word_operand());
        return 3;
      }
      case 4: emit(head + "D D" + std::to_string(number(7))); return 1;
      case 5: emit(std::string(inverse[h]) + "D D" + std::to_string(number(7))); return 1;
      default: emit(head + " " + bit_device()); return 1;
    }
  }
  // A block that pushes one value, at most `budget` cells wide; its width.
  int block(int budget, int depth) {
    int width = leaf("LD", budget);
    for (;;) {
      switch (pick(".ao&|")) {
        case 0: return width;
        case 1:
          if (budget - width >= 1) width += leaf("AND", budget - width);
          break;
        case 2: width = std::max(width, leaf("OR", budget)); break;
        case 3:
          if (depth < MAX_BLOCK_DEPTH && budget - width >= 1) {
            width += block(budget - width, depth + 1);
            emit("ANB");
          }
          break;
        case 4:
          if (depth < MAX_BLOCK_DEPTH) {
            width = std::max(width, block(budget, depth + 1));
            emit("ORB");
          }
          break;
      }
    }
  }
  // Contacts that extend the logic in series from column `at`; the column after them.
  int series(int at) {
    for (;;) {
      const int room = 11 - at;
      switch (pick(".a&")) {
        case 0: return at;
        case 1:
          if (room >= 1) at += leaf("AND", room);
          break;
        case 2:
          if (room >= 1) {
            at += block(room, 2);
            emit("ANB");
          }
          break;
      }
    }
  }

  // ---- Outputs -----------------------------------------------------------------------------
  // One output whose box starts at or right of column `at` (a coil when the chosen one
  // does not fit).
  void output(int at) {
    const int n = number(255);
    const std::string d = std::to_string(n);
    std::string line;
    int first = 11;
    switch (pick("ymltcsrpfievVqb+xhAj")) {
      case 0: line = "OUT Y" + hex(n); break;
      case 1: line = "OUT M" + d; break;
      case 2: line = "OUT L" + d; break;
      case 3: line = "OUT T" + d + " " + word_operand(), first = 10; break;
      case 4: line = "OUT C" + d + " " + word_operand(), first = 10; break;
      case 5: line = "SET " + bit_output(n), first = 10; break;
      case 6: line = pick("bD") == 0 ? "RST " + bit_output(n) : "RST D" + d, first = 10; break;
      case 7: line = "PLS M" + d, first = 10; break;
      case 8: line = "PLF Y" + hex(n), first = 10; break;
      case 9: line = "INC D" + d, first = 10; break;
      case 10: line = "DEC D" + d, first = 10; break;
      case 11: line = "MOV " + word_operand() + " D" + d, first = 9; break;
      case 12: line = std::string(pick("DP") == 0 ? "DMOV " : "MOVP ") + word_operand() + " D" + d, first = 9; break;
      case 13: line = "CMP D" + d + " " + word_operand(), first = 9; break;
      case 14: line = "BMOV D" + d + " D" + std::to_string(number(255)) + " K" + std::to_string(1 + number(15)), first = 8; break;
      case 15: line = "+ D" + d + " " + word_operand() + " D" + std::to_string(number(255)), first = 8; break;
      case 16: line = "SFTR X" + hex(n) + " M" + std::to_string(number(255)) + " K8 K1", first = 7; break;
      case 17: line = "STOP"; break;
      case 18: line = std::string(pick("AT") == 0 ? "ASM K" : "TABL K") + std::to_string(n % 10), first = 1; break;
      case 19:
        if (!after_fend_) {
          const int target = n % SUBROUTINE_LABEL;
          if (at <= 10) {
            jumps_.insert(target);
            line = "CJ P" + std::to_string(target), first = 10;
          }
        }
        break;
    }
    if (line.empty() || at > first) line = "OUT Y" + hex(n);
    emit(line);
  }
  std::string bit_output(int n) {
    switch (pick("YMS")) {
      case 0: return "Y" + hex(n);
      case 1: return "M" + std::to_string(n);
      default: return "S" + std::to_string(n % 200);
    }
  }
  // The outputs of logic that ends in column `at`.
  void outputs(int at, int depth) {
    if (pick("o<") == 1 && depth < MAX_BRANCH_DEPTH) {
      branches(at, depth);
      return;
    }
    output(at);
    for (;;) {
      switch (pick(".+<")) {
        case 0: return;
        case 1:
          at = series(at);
          output(at);
          break;
        case 2:
          if (depth < MAX_BRANCH_DEPTH) {
            branches(at, depth);
            return;
          }
          break;
      }
    }
  }
  // MPS, its branches behind MRD and the last behind MPP. A U point (JMS) marks an MRD
  // branch; the BTONJ that jumps to it is the output of a later MRD branch of the same
  // point (neither may be the first or the last branch of its point).
  void branches(int at, int depth) {
    emit("MPS");
    branch(at, depth + 1);
    for (;;) {
      const int next = pick(">|u");
      if (next == 0) {
        emit("MPP");
        branch(at, depth + 1);
        return;
      }
      if (next == 2 && at <= 10) {
        const int u = number(15);
        emit("U" + std::to_string(u));
        emit("MRD");
        output(series(at));
        emit("MRD");
        emit("BTONJ U" + std::to_string(u));
        continue;
      }
      emit("MRD");
      branch(at, depth + 1);
    }
  }
  void branch(int at, int depth) { outputs(series(at), depth); }

  // ---- Rungs -------------------------------------------------------------------------------
  void rung_label() {
    if (pending_label_ < 0) return;
    emit("P" + std::to_string(pending_label_));
    pending_label_ = -1;
  }
  void logic_rung() {
    rung_label();
    outputs(block(11, 0), 0);
    has_logic_ = true;
  }
  void comment() {
    static const char* const texts[] = {"pump", "", " leading blank", "motor start", "100% load", "ﾗﾝﾌﾟ", "表示"};
    emit(std::string(";") + texts[number(6)]);
  }
  void label() {
    const int n = number(SUBROUTINE_LABEL - 1);
    if (after_fend_ || pending_label_ >= 0 || labels_.count(n)) return;
    labels_.insert(n);
    pending_label_ = n;
  }
  void open_mc() {
    if (mc_.size() >= 8) return;
    rung_label();
    block(9, 0);
    const int nest = static_cast<int>(mc_.size());
    emit("MC 0" + std::to_string(nest) + " M" + std::to_string(number(255)));
    mc_.push_back(nest);
    has_logic_ = true;
  }
  void close_mc() {
    if (mc_.empty()) return;
    emit("MCR 0" + std::to_string(mc_.back()));
    mc_.pop_back();
  }
  void close_all_mc() {
    while (!mc_.empty()) close_mc();
  }
  // Every label gets its CJ, every CJ its label, before FEND.
  void settle_jumps() {
    for (int target : jumps_) {
      if (labels_.count(target)) continue;
      labels_.insert(target);
      emit("P" + std::to_string(target));
      emit("LD X0");
      emit("OUT M" + std::to_string(target));
    }
    if (pending_label_ >= 0) {  // a label that no rung took
      emit("P" + std::to_string(pending_label_));
      emit("LD X1");
      emit("OUT M" + std::to_string(pending_label_));
      pending_label_ = -1;
    }
    for (int label : labels_) {
      if (jumps_.count(label)) continue;
      emit("LD X2");
      emit("CJ P" + std::to_string(label));
    }
    jumps_.insert(labels_.begin(), labels_.end());
  }
  void subroutine() {
    if (after_fend_) return;
    subroutine_label_ = SUBROUTINE_LABEL;
    if (!has_logic_) logic_rung();
    close_all_mc();
    settle_jumps();
    emit("LD X3");
    emit("SCALL P" + std::to_string(subroutine_label_));
    emit("FEND");
    after_fend_ = true;
    pending_label_ = subroutine_label_;
  }
  void finish() {
    close_all_mc();
    if (!has_logic_) logic_rung();
    if (!after_fend_) {
      settle_jumps();
    } else {
      if (pending_label_ >= 0) {
        rung_label();
        emit("LD X4");
        emit("OUT M" + std::to_string(subroutine_label_));
      }
      emit("LD X5");
      emit("RETRN");
    }
    emit("END");
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  std::vector<std::string> lines_;
  std::set<int> labels_;   // labels placed (P numbers)
  std::set<int> jumps_;    // CJ targets
  int pending_label_ = -1; // the label of the next logic rung
  int subroutine_label_ = -1;
  bool after_fend_ = false;
  bool has_logic_ = false;
  std::vector<int> mc_;    // open MC nesting numbers
};
