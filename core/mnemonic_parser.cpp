#include "core/mnemonic_parser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/device_comments.h"
#include "core/device_tables.h"
#include "core/mnemonic_text.h"
#include "core/sjis.h"

int g_parse_branch_level = -1;

const char g_parse_error_texts[] =
    "ＥＮＤ命令が無いか、ファイルが壊れています！  エラ－\0"
    "ｵﾍﾟﾗﾝﾄﾞに間違いが有ります！  エラ－\0"
    " ファイルが出来ました！\0"
    "命令に間違いが有ります！   エラ－\0"
    "    エラ－\0"
    "ジャンプ先のポイントが有りません！    エラ－\0"
    "１行目はＬＤ、ＬＤＩ命令から始めます。 エラ－\0"
    "ｵﾍﾟﾗﾝﾄﾞ数が違います！ エラ－\0"
    "プログラムが大き過ぎて命令リストに入りません！  エラ－\0"
    "コメント行は500行までです！  エラ－\0";

const char* parse_error_text(uint32_t kind) {
  if (kind >= ParseError::KIND_COUNT) return "";
  const char* text = g_parse_error_texts;
  for (uint32_t k = 0; k < kind; ++k) text += std::strlen(text) + 1;
  return text;
}

ConversionError make_parse_error(uint32_t kind, uint32_t operand, uint32_t line, uint32_t merged) {
  uint32_t m = std::min({merged, line, PARSE_ERROR_MERGED_MAX});
  uint32_t s = line - m;
  if (s > PARSE_ERROR_LINE_MAX) {
    // The merged field takes what the line field cannot, then both saturate.
    uint32_t move = std::min(s - PARSE_ERROR_LINE_MAX, PARSE_ERROR_MERGED_MAX - m);
    m += move;
    s -= move;
    if (s > PARSE_ERROR_LINE_MAX) {
      s = PARSE_ERROR_LINE_MAX;
      m = PARSE_ERROR_MERGED_MAX;
    }
  }
  return (kind & 0xF) << 28 | std::min(operand, 0xFu) << 24 | m << 12 | s;
}

void format_parse_error(ConversionError w, std::span<char> out) {
  if (out.empty()) return;
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%u%s-%uｵﾍﾟﾗﾝﾄﾞ   %s", parse_error_line(w) + 1,
                parse_error_line_clamped(w) ? "行以降" : "行", parse_error_operand(w),
                parse_error_text(parse_error_kind(w)));
  copy_text_bounded(out, buffer);
}

namespace {

constexpr uint32_t D_FORM = RecordFlags::D_FORM;
constexpr uint32_t P_FORM = RecordFlags::P_FORM;
constexpr uint32_t FORM_BITS = D_FORM | P_FORM;
constexpr int WORD_REFUSED_FORM = -3;  // a name found whose D or P form is not allowed
constexpr int WORD_UNKNOWN = -2;

constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
constexpr bool is_decimal_digit(char c) { return c >= '0' && c <= '9'; }

// A non-empty run of digits of `radix` whose value is at most `limit`.
bool parse_number(std::string_view s, int radix, uint64_t limit, uint32_t& out) {
  return parse_mnemonic_number(s, radix, limit, out);
}

size_t split_words(std::string_view s, std::vector<std::string_view>& words) {
  words.clear();
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && is_blank(s[i])) ++i;
    if (i >= s.size()) break;
    size_t start = i;
    while (i < s.size() && !is_blank(s[i])) ++i;
    words.push_back(s.substr(start, i - start));
  }
  return words.size();
}

std::string_view first_word(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && is_blank(s[i])) ++i;
  size_t start = i;
  while (i < s.size() && !is_blank(s[i])) ++i;
  return s.substr(start, i - start);
}

// The statement of a line before its line feed.
std::string_view line_body(const MnemonicLine& line) {
  std::string_view s = line_statement(line);
  size_t lf = s.find('\n');
  return lf == std::string_view::npos ? s : s.substr(0, lf);
}

// ---- Instruction words --------------------------------------------------------------------
// A name matches written all in upper case or all in lower case.
bool matches_name(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  if (word == upper) return true;
  for (size_t i = 0; i < word.size(); ++i)
    if (word[i] != ascii_lower(upper[i])) return false;
  return true;
}

// The D and P variants that the operation-file-to-mnemonic printer writes although the
// mnemonic tables do not list them; reading them keeps every printed program readable.
struct WrittenForm {
  const char* word;
  InstructionCode code;
  uint32_t forms;
};
constexpr WrittenForm PRINTER_FORMS[] = {
    {"INTP", Instr::INT, P_FORM},       {"NEGP", Instr::NEG, P_FORM},
    {"RDTBLP", Instr::RDTBL, P_FORM},   {"DMOVD", Instr::MOVD, D_FORM},
    {"DMOVDP", Instr::MOVD, D_FORM | P_FORM}, {"DBCDDA", Instr::BCDDA, D_FORM},
    {"DBCDDAP", Instr::BCDDA, D_FORM | P_FORM}, {"DSFR", Instr::SFR, D_FORM},
    {"DSFRP", Instr::SFR, D_FORM | P_FORM}, {"DSFL", Instr::SFL, D_FORM},
    {"DSFLP", Instr::SFL, D_FORM | P_FORM},
};

int table_index(InstructionCode code) { return code & 0x1FF; }

bool forms_allowed(InstructionCode code, uint32_t forms) {
  uint32_t allowed = static_cast<uint32_t>(g_mnemonic_flags[static_cast<size_t>(table_index(code))]) & FORM_BITS;
  return (forms & ~allowed) == 0;
}

// The comparison contacts of the mnemonic side: OR forms 177-190, LD forms 193-206,
// AND forms 209-222 (the D forms 8 above the plain ones).
bool is_mnemonic_comparison(InstructionCode code) { return code >= 176 && code <= 223; }
bool is_or_comparison(int code) { return (code & 0x3FF) >= 176 && (code & 0x3FF) <= 191; }

// A word as a name with its decoration: the whole word first (JMP, STOP, DEC, DAND keep
// their letters), then without a final P, without a leading D, without both. The first
// name whose forms are allowed wins; a name found only with a refused form gives
// WORD_REFUSED_FORM (with that name's code in *refused_code), no name WORD_UNKNOWN.
int decode_name(std::string_view word, uint32_t& forms, int* refused_code = nullptr) {
  forms = 0;
  if (word.empty()) return WORD_UNKNOWN;
  for (const WrittenForm& f : PRINTER_FORMS) {
    if (matches_name(word, f.word)) {
      forms = f.forms;
      return f.code;
    }
  }
  const bool p = word.size() > 1 && (word.back() == 'P' || word.back() == 'p');
  const bool d = word.size() > 1 && (word.front() == 'D' || word.front() == 'd');
  struct Try {
    bool ok;
    std::string_view base;
    uint32_t forms;
  };
  const Try tries[] = {
      {true, word, 0},
      {p, word.substr(0, word.size() - 1), P_FORM},
      {d, word.substr(1), D_FORM},
      {p && d && word.size() > 2, word.size() > 2 ? word.substr(1, word.size() - 2) : std::string_view(),
       D_FORM | P_FORM},
  };
  int refused = -1;
  for (const Try& t : tries) {
    if (!t.ok || t.base.empty()) continue;
    InstructionCode code = find_mnemonic_code(t.base);
    if (code < 0) continue;
    uint32_t wanted = t.forms;
    if ((wanted & D_FORM) && is_mnemonic_comparison(code)) {
      // A D before a comparison name asks for its double-word form.
      if ((code & 0xF) < 8) code += 8;
      wanted &= ~D_FORM;
      if (!forms_allowed(code, wanted)) {
        if (refused < 0) refused = code;
        continue;
      }
      forms = 0;
      return code;
    }
    if (!forms_allowed(code, wanted)) {
      if (refused < 0) refused = code;
      continue;
    }
    forms = wanted;
    return code;
  }
  if (refused < 0) return WORD_UNKNOWN;
  if (refused_code) *refused_code = refused;
  return WORD_REFUSED_FORM;
}

// A label line: P, I or U and the decimal label number (as the printer writes JME, JMI
// and JMS records).
InstructionCode label_code(std::string_view word) {
  if (word.size() < 2) return -1;
  for (size_t i = 1; i < word.size(); ++i)
    if (!is_decimal_digit(word[i])) return -1;
  switch (ascii_upper(word[0])) {
    case 'P': return Instr::JME;
    case 'I': return Instr::JMI;
    case 'U': return Instr::JMS;
    default: return -1;
  }
}

bool is_timer_operand(std::string_view operand) {
  return operand.size() >= 2 && (ascii_upper(operand[0]) == 'T' || ascii_upper(operand[0]) == 'C') &&
         is_decimal_digit(operand[1]);
}

struct Decoded {
  int code;             // with its form bits; -1 no word, WORD_UNKNOWN, WORD_REFUSED_FORM
  int bad_operand = 0;  // OUT T.. with a bad timer number: operand 1
  int base = -1;        // the instruction named, also when its form is refused (operand lines follow it)
};

Decoded decode_statement_word(std::string_view mnemonic, std::string_view operand) {
  if (mnemonic.empty()) return {-1};
  if (ascii_iequal(mnemonic, "OUT")) {
    if (!is_timer_operand(operand)) return {Instr::OUT, 0, Instr::OUT};
    const int code = ascii_upper(operand[0]) == 'T' ? Instr::TIM : Instr::CNT;
    for (size_t i = 2; i < operand.size(); ++i)
      if (!is_decimal_digit(operand[i])) return {code, 1, code};
    return {code, 0, code};
  }
  InstructionCode label = label_code(mnemonic);
  if (label >= 0) return {label, 0, label};
  uint32_t forms = 0;
  int refused = -1;
  int code = decode_name(mnemonic, forms, &refused);
  if (code < 0) return {code, 0, refused};
  return {static_cast<int>(static_cast<uint32_t>(code) | forms), 0, code};
}

// ---- Operands ---------------------------------------------------------------------------------
bool is_contact_code(int c) { return c >= Instr::LD && c <= Instr::ORI; }
bool is_d_contact_code(int c) { return c >= Instr::LDD && c <= Instr::ORID; }
bool is_label_word(std::string_view word) { return label_code(word) >= 0; }

// Operand count of a statement: the mnemonic table's, except the labels, and MIVK, whose
// operands the mnemonic table lacks (the grid side's are taken). MC takes its two
// operands also in the printer's number form ("MC nn device"); a line without the device
// is refused, as the record would name none.
int operand_count(int code, std::string_view mnemonic, std::string_view /*first_operand*/) {
  const int c = code & 0x3FF;
  if (c == Instr::JME || c == Instr::JMI || c == Instr::JMS) return is_label_word(mnemonic) ? 0 : 1;
  if (c == Instr::MIVK) return box_operand_cells(Instr::MIVK);
  return g_mnemonic_operand_counts[static_cast<size_t>(table_index(code))] & 0xF;
}

uint32_t operand_kinds(int code) {
  if ((code & 0x3FF) == Instr::MIVK) return g_operand_kinds[Instr::MIVK];
  return g_mnemonic_operand_kinds[static_cast<size_t>(table_index(code))];
}

// The per-instruction device rules of operand j (0-based).
bool device_allowed_by_rules(int c, int j, DeviceIndex d) {
  using namespace Device;
  switch (c) {
    case Instr::TIM:
      if (j == 0 && d != T) return false;
      if (j == 1 && d != D && d != K && d != H) return false;
      break;
    case Instr::CNT:
      if (j == 0 && d != C) return false;
      if (j == 1 && d != D && d != K && d != H) return false;
      break;
    case Instr::STEP:
      if (j == 0 && d != S) return false;
      if (j == 2 && d != D && d != K) return false;
      break;
    case Instr::SET:
      if (j == 0 && d != Y && d != M && d != S && d != L && d != B && d != R) return false;
      break;
    case Instr::MC:
    case Instr::MCR:
      if (j == 0 && d != N) return false;
      break;
    case Instr::JMP:
    case Instr::CJ:
    case Instr::SCALL:
      if (j == 0 && d != P) return false;
      break;
    case Instr::BTONJ:
      if (j == 0 && d != U) return false;
      break;
    default:
      break;
  }
  if (j == 0) {
    if (d == N && c != Instr::MC && c != Instr::MCR) return false;
    if (d == P && c != Instr::JMP && c != Instr::SCJ && c != Instr::CJ && c != Instr::CALL && c != Instr::SCALL)
      return false;
    if (d == U && c != Instr::BTONJ) return false;
  } else if (d == J) {
    return false;
  }
  return true;
}

// Digit-group devices, and the most digits a group may have.
bool is_group_device(DeviceIndex d) {
  return d == Device::X || d == Device::Y || d == Device::M || d == Device::L || d == Device::B;
}
// MOVK operand 2 and MIVK operand 1 are bit ranges, which the printer writes in the form
// of a digit group: as the design's operand entry takes them, a range on Y (MOVK) or on
// X from a multiple of 16 (MIVK) of up to 15 bits that stays within one 16-bit word.
bool is_bit_range_operand(int c, int j) { return (c == Instr::MOVK && j == 1) || (c == Instr::MIVK && j == 0); }
int group_digit_limit(int c, int j) { return is_bit_range_operand(c, j) ? 15 : DIGIT_GROUP_MAX_DIGITS; }
bool bit_range_allowed(int c, DeviceIndex g, uint32_t count, uint32_t start) {
  if (c == Instr::MOVK) return g == Device::Y && (start & 0xF) + count <= 16;
  return g == Device::X && (start & 0xF) == 0;
}

struct Operand {
  uint32_t word = 0;
  bool constant = false;
  bool hex = false;
};

int radix_of(DeviceIndex d) { return mnemonic_device_radix(d); }

// Operand j (0-based) of instruction c with kind byte k.
bool encode_operand(int c, int j, uint32_t k, std::string_view t, Operand& out) {
  if (t.empty()) return false;
  const DeviceIndex d = device_letter_to_index(t[0]);
  if (d < 0 || d >= DEVICE_COUNT || d == Device::F || d == Device::ROW_LABEL) return false;
  if (!device_allowed_by_rules(c, j, d)) return false;
  const std::string_view rest = t.substr(1);

  if (d == Device::K) {
    if (rest.empty() || !is_decimal_digit(rest[0])) return false;
    size_t digits = 0;
    while (digits < rest.size() && is_decimal_digit(rest[digits])) ++digits;
    if (digits < rest.size()) {
      // A digit group: K, the digit count, a device and its first number.
      const DeviceIndex g = device_letter_to_index(rest[digits]);
      if (g < 0 || !is_group_device(g) || digits > 2) return false;
      if (g == Device::X && !(k & OperandKind::X_DEVICE)) return false;
      if (!(k & OperandKind::DIGIT_GROUP)) return false;
      uint32_t count = 0;
      if (!parse_number(rest.substr(0, digits), 10, static_cast<uint64_t>(group_digit_limit(c, j)), count) ||
          count == 0)
        return false;
      uint32_t number = 0;
      if (!parse_number(rest.substr(digits + 1), radix_of(g), static_cast<uint64_t>(device_max_number(g)), number))
        return false;
      if (is_bit_range_operand(c, j) && !bit_range_allowed(c, g, count, number)) return false;
      out.word = make_digit_group_operand(g, static_cast<int>(count), number);
      return true;
    }
    // A K constant keeps its decimal digits as hexadecimal nibbles (K100 is 0x100).
    if (!(k & OperandKind::K_CONSTANT)) return false;
    uint32_t value = 0;
    if (!parse_number(rest, 16, static_cast<uint64_t>(device_max_number(Device::K)), value)) return false;
    out.word = value;
    out.constant = true;
    return true;
  }
  if (d == Device::H) {
    if (!(k & OperandKind::H_CONSTANT)) return false;
    uint32_t value = 0;
    if (!parse_number(rest, 16, static_cast<uint64_t>(device_max_number(Device::H)), value)) return false;
    out.word = value;
    out.constant = true;
    out.hex = true;
    return true;
  }
  if (d == Device::D && is_d_contact_code(c)) {
    // A D-form contact: one bit (0-7) of a data register.
    uint32_t bit = 0;
    if (!parse_number(rest, 10, 7, bit)) return false;
    out.word = make_device_operand(Device::D, bit) | OperandBits::D_BIT;
    return true;
  }
  if (d == Device::X && !(k & OperandKind::X_DEVICE)) return false;
  switch (d) {
    case Device::X: case Device::Y: case Device::M: case Device::S:
    case Device::L: case Device::B: case Device::J:
      if (!(k & OperandKind::BIT_DEVICE)) return false;
      break;
    case Device::Q: case Device::W: case Device::D: case Device::V:
      if (!(k & OperandKind::WORD_DEVICE)) return false;
      break;
    default:
      // T, C, R, n, P, I and U: where the operand takes some device, or where the kind
      // names none at all (the label of INT, CALL, SCJ). An operand that takes only
      // constants (a count, a table number) takes no device.
      if (k != 0 && !(k & (OperandKind::BIT_DEVICE | OperandKind::DIGIT_GROUP | OperandKind::WORD_DEVICE)))
        return false;
      break;
  }
  DeviceIndex device = -1;
  uint32_t number = 0;
  if (!parse_mnemonic_device(t, device, number)) return false;
  out.word = make_device_operand(device, number);
  return true;
}

void put_record(ListSpan list, int index, const InstructionRecord& r) {
  if (index >= 0 && static_cast<size_t>(index) < list.size()) list[static_cast<size_t>(index)] = r;
}

}  // namespace

InstructionCode lookup_mnemonic_word(std::string_view word) {
  // Only the printing characters of the word count.
  size_t n = 0;
  while (n < word.size() && static_cast<unsigned char>(word[n]) > ' ' && word[n] != 0x7F) ++n;
  word = word.substr(0, n);
  if (ascii_iequal(word, "OUT")) return Instr::OUT;
  uint32_t forms = 0;
  int refused = -1;
  int code = decode_name(word, forms, &refused);
  // A name with a form it does not take is still a statement, never an operand.
  if (code == WORD_REFUSED_FORM) return refused;
  return code < 0 ? WORD_UNKNOWN : code;
}

int parse_mnemonic_word(std::string_view statement, uint32_t line, uint32_t merged) {
  std::vector<std::string_view> words;
  split_words(statement, words);
  if (words.empty()) return -1;
  Decoded decoded = decode_statement_word(words[0], words.size() > 1 ? words[1] : std::string_view());
  if (decoded.code == WORD_UNKNOWN) {
    add_conversion_error(make_parse_error(ParseError::BAD_INSTRUCTION, 0, line, merged));
    return -2;
  }
  if (decoded.code == WORD_REFUSED_FORM) {
    add_conversion_error(make_parse_error(ParseError::BAD_OPERAND, 0, line, merged));
    return -2;
  }
  if (decoded.bad_operand) {
    add_conversion_error(make_parse_error(ParseError::BAD_OPERAND, 1, line, merged));
    return -2;
  }
  return decoded.code;
}

int statement_records(int code) { return is_or_comparison(code) ? 2 : 1; }

int encode_instruction_operands(ListSpan list, std::string_view statement, int code, int& index) {
  std::vector<std::string_view> words;
  split_words(statement, words);
  if (words.empty()) return 14;
  const int c = code & 0x3FF;
  const std::span<const std::string_view> operands(words.data() + 1, words.size() - 1);
  const int count = operand_count(code, words[0], operands.empty() ? std::string_view() : operands[0]);
  if (static_cast<int>(operands.size()) != count) return 14;
  const bool room = index >= 0 && static_cast<size_t>(index) + static_cast<size_t>(statement_records(code)) < list.size();

  InstructionRecord r{};
  // Labels: the number after the letter of the label line (or of the named form's operand).
  if (c == Instr::JME || c == Instr::JMI || c == Instr::JMS) {
    const std::string_view label = count == 0 ? words[0] : operands[0];
    const char letter = c == Instr::JME ? 'P' : c == Instr::JMI ? 'I' : 'U';
    const DeviceIndex d = c == Instr::JME ? Device::P : c == Instr::JMI ? Device::I : Device::U;
    uint32_t n = 0;
    if (label.empty() || ascii_upper(label[0]) != letter ||
        !parse_number(label.substr(1), 10, static_cast<uint64_t>(device_max_number(d)), n))
      return 1;
    r.word[0] = RecordFlags::VALID | static_cast<uint32_t>(c);
    if (c != Instr::JMS) r.word[0] |= RecordFlags::BLOCK_START;  // a label begins its rung
    r.word[1] = make_device_operand(d, n);
    if (room) put_record(list, index++, r);
    return 0;
  }
  if (c == Instr::MPS || c == Instr::MRD || c == Instr::MPP) {
    if (c == Instr::MPS) ++g_parse_branch_level;
    r.word[0] = RecordFlags::VALID | static_cast<uint32_t>(c);
    r.word[3] = static_cast<uint32_t>(g_parse_branch_level);
    if (c == Instr::MPP) --g_parse_branch_level;
    if (room) put_record(list, index++, r);
    return 0;
  }

  const bool comparison = is_mnemonic_comparison(c);
  uint32_t head;  // the word that carries the constant and hex bits
  int first;      // the record word of operand 1
  if (comparison) {
    // LD and AND comparisons are the records the printer writes as LD= and AND=. An OR
    // comparison is an LD comparison that ORB joins to the block before it, as the
    // compiler writes a comparison below another contact: a comparison is three cells
    // wide, so it cannot be drawn as an OR contact under a block of one cell.
    const uint32_t group = static_cast<uint32_t>(c) & 0xF0;
    r.word[0] = group == 0xD0 ? 0xC003 : 0xC001;
    head = ((static_cast<uint32_t>(c) & ~0xF0u) | 0xC0) + 0xC000;
    first = 2;
  } else {
    r.word[0] = static_cast<uint32_t>(code) + RecordFlags::VALID;
    switch (c) {
      // The records that begin a rung of their own: the section ends, and the outputs
      // drawn from the left rail without contacts.
      case Instr::END: case Instr::FEND: case Instr::IEND: case Instr::SEND:
      case Instr::MCR: case Instr::RET: case Instr::COM: case Instr::EI: case Instr::DI:
        r.word[0] |= RecordFlags::BLOCK_START;
        break;
      default:
        break;
    }
    head = r.word[0];
    first = 1;
  }

  const uint32_t kinds = operand_kinds(code);
  for (int j = 0; j < count; ++j) {
    const std::string_view t = operands[static_cast<size_t>(j)];
    Operand o;
    if ((c == Instr::MC || c == Instr::MCR) && j == 0 && !t.empty() && is_decimal_digit(t[0])) {
      // The number form of MC and MCR: the n number alone.
      uint32_t n = 0;
      if (!parse_number(t, 10, static_cast<uint64_t>(device_max_number(Device::N)), n)) return j + 1;
      o.word = make_device_operand(Device::N, n);
    } else if (!encode_operand(c, j, (kinds >> (OperandKind::BYTE_SHIFT * j)) & 0xFF, t, o)) {
      return j + 1;
    }
    r.word[first + j] = o.word;
    if (o.constant) head |= RecordFlags::CONSTANT_0 << j;
    if (o.hex) head |= RecordFlags::HEX_0 << j;
  }
  if (comparison) r.word[1] = head;
  else r.word[0] = head;

  // Part codes of contacts and coils, as the list-to-ladder conversion draws them.
  if (is_contact_code(c)) r.word[3] = (r.word[0] & 1) ? PartCode::RELAY_A : PartCode::RELAY_B;
  else if (is_d_contact_code(c)) r.word[3] = (r.word[0] & 1) ? PartCode::D_CONTACT_A : PartCode::D_CONTACT_B;
  else if (c == Instr::OUT) r.word[3] = PartCode::OUT;
  else if (c == Instr::TIM) r.word[3] = PartCode::TIM;
  else if (c == Instr::CNT) r.word[3] = PartCode::CNT;
  if (c == Instr::ASM || c == Instr::TABL) r.word[4] = NO_LINE_COMMENT;
  if (room) {
    put_record(list, index++, r);
    if (is_or_comparison(c)) {
      InstructionRecord orb{};
      orb.word[0] = RecordFlags::VALID | static_cast<uint32_t>(Instr::ORB);
      put_record(list, index++, orb);
    }
  }
  return 0;
}

namespace {

constexpr int32_t LINE_FLAG_BITS = LineFlags::HAS_COMMENT | LineFlags::CONTACT_OR_OUTPUT | LineFlags::COPIED;

// A line that can hold operands of the statement above it: it has a word that is not a
// comment, a header, the end line or an instruction.
bool is_operand_line(const MnemonicLine& line) {
  std::string_view word = first_word(line_body(line));
  if (word.empty() || word[0] == ';' || word[0] == '\\' || word == END_LINE_WORD) return false;
  return lookup_mnemonic_word(word) == WORD_UNKNOWN;
}

// The statement text of a line before its first ';'; writes its trailing comment (the
// text after the ';' with the line feed) and the HAS_COMMENT flag.
std::string_view take_trailing_comment(MnemonicLine& line) {
  std::string_view body = line_body(line);
  const size_t semicolon = sjis_find(body, ';');
  if (semicolon == std::string_view::npos) return body;
  const std::string_view after = body.substr(semicolon + 1);
  size_t i = 0;
  while (i < after.size() && is_blank(after[i])) ++i;
  if (i < after.size()) {
    std::string comment(after);
    comment.push_back('\n');
    set_line_comment(line, comment);
    line.flags |= LineFlags::HAS_COMMENT;
  }
  return body.substr(0, semicolon);
}

// The rung starts of a parsed list: an LD form after an output, a label or a comment
// that begins a rung whose blocks all close before its output.
void mark_rung_starts(ListSpan list, int count) {
  for (int k = 1; k < count; ++k) {
    InstructionRecord& r = list[static_cast<size_t>(k)];
    const uint32_t low = r.word[0] & 0xFF;
    if (low != 1 && low != 2) continue;
    if ((list[static_cast<size_t>(k - 1)].word[0] & 0xFF) < 15) continue;
    int depth = 0;
    for (int t = k + 1; t < count; ++t) {
      const uint32_t w0 = list[static_cast<size_t>(t)].word[0];
      const uint32_t code = w0 & RecordFlags::CODE_MASK;
      if (code > 14 && !is_d_contact_code(static_cast<int>(code))) {
        if (depth == 0) r.word[0] |= RecordFlags::BLOCK_START;
        break;
      }
      const uint32_t lb = w0 & 0xFF;
      if (lb == 1 || lb == 2) --depth;
      else if (lb == 7 || lb == 8) ++depth;
    }
  }
}

}  // namespace

int parse_mnemonic_text(void* /*owner*/, CommentSpan table, TextSpan text, ListSpan list,
                        const void* /*view_state*/, int /*reserved*/) {
  count_mnemonic_text_write();
  clear_conversion_errors();
  g_parse_branch_level = -1;
  const int last = count_text_lines(text);
  // The flags and trailing comments are the parser's own: every run starts them afresh,
  // so that a line marked by an earlier spread gives its comment again.
  for (int li = 0; li < last; ++li) {
    MnemonicLine& line = text[static_cast<size_t>(li)];
    line.flags &= ~LINE_FLAG_BITS;
    line.comment[0] = '\0';
  }

  int index = 0;             // next record
  int comment_number = 0;    // next entry of g_line_comments
  uint32_t merged = 0;       // continuation lines merged so far
  bool list_full = false;
  bool comments_full = false;
  bool anything = false;
  auto fits = [&](uint32_t line, int records = 1) {
    if (index >= 0 && static_cast<size_t>(index) + static_cast<size_t>(records) < list.size()) return true;
    if (!list_full) add_conversion_error(make_parse_error(ParseError::LIST_FULL, 0, line, merged));
    list_full = true;
    return false;
  };

  std::string statement;
  std::vector<uint32_t> word_lines;  // the text line of each word of the statement
  std::vector<std::string_view> words;
  for (int li = 0; li < last; ++li) {
    MnemonicLine& line = text[static_cast<size_t>(li)];
    const uint32_t line_number = static_cast<uint32_t>(li);
    const std::string_view body = line_body(line);
    const std::string_view word = first_word(body);
    // Blank lines are passed over; a header line may stand anywhere before the end line.
    if (word.empty() || word[0] == '\\') continue;
    anything = true;

    if (word[0] == ';') {
      // A comment line: a comment record numbered into g_line_comments.
      const size_t semicolon = body.find(';');
      if (comment_number >= MAX_LINE_COMMENTS) {
        if (!comments_full) add_conversion_error(make_parse_error(ParseError::COMMENTS_FULL, 0, line_number, merged));
        comments_full = true;
        continue;
      }
      // A carriage return at the end is what is left of a CR LF line end, not text.
      std::string_view comment_text = body.substr(semicolon + 1);
      while (!comment_text.empty() && comment_text.back() == '\r') comment_text.remove_suffix(1);
      copy_text_bounded(std::span<char>(g_line_comments[static_cast<size_t>(comment_number)]), comment_text);
      if (fits(line_number)) {
        InstructionRecord r{};
        r.word[0] = RecordWord0::COMMENT;
        r.word[1] = static_cast<uint32_t>(comment_number);
        put_record(list, index++, r);
      }
      ++comment_number;
      continue;
    }

    // A statement line, with the operand lines that follow a word instruction.
    statement.assign(take_trailing_comment(line));
    split_words(statement, words);
    word_lines.assign(words.size(), line_number);
    Decoded decoded = decode_statement_word(words[0], words.size() > 1 ? words[1] : std::string_view());
    if (decoded.base >= 0) {
      for (;;) {
        const int need = operand_count(decoded.base, words[0], words.size() > 1 ? words[1] : std::string_view());
        if (static_cast<int>(words.size()) - 1 >= need || li + 1 >= last) break;
        MnemonicLine& next = text[static_cast<size_t>(li + 1)];
        if (!is_operand_line(next)) break;
        ++li;
        ++merged;
        statement.append("    ");
        statement.append(take_trailing_comment(next));
        const size_t before = words.size();
        split_words(statement, words);
        word_lines.resize(words.size(), static_cast<uint32_t>(li));
        if (words.size() == before) break;
        // OUT that received its operand on the next line may have become TIM or CNT.
        if (decoded.code == Instr::OUT)
          decoded = decode_statement_word(words[0], words.size() > 1 ? words[1] : std::string_view());
      }
    }

    const int code = parse_mnemonic_word(statement, line_number, merged);
    if (code < 0) continue;  // the error is recorded
    if (is_commented_statement_code(code & 0x3FF)) line.flags |= LineFlags::CONTACT_OR_OUTPUT;
    fits(line_number, statement_records(code));  // a statement beyond the list is still checked
    const int result = encode_instruction_operands(list, statement, code, index);
    if (result == 14) {
      add_conversion_error(make_parse_error(ParseError::OPERAND_COUNT, 1, line_number, merged));
    } else if (result != 0) {
      const size_t w = static_cast<size_t>(result);
      const uint32_t at = w < word_lines.size() ? word_lines[w] : line_number;
      add_conversion_error(make_parse_error(ParseError::BAD_OPERAND, static_cast<uint32_t>(result), at, merged));
    }
  }

  collect_and_spread_comments(table, text);

  if (g_conversion_error_count > 0) return PARSE_ERRORS;
  if (!anything) return PARSE_NOTHING;
  put_record(list, index, end_record());
  mark_rung_starts(list, index);
  return PARSE_OK;
}
