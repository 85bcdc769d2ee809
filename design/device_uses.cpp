#include "design/device_uses.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "shell/view_state.h"

namespace {

constexpr uint32_t SUFFIX_BITS = 0xC00000;      // the T suffix / D bit and the lower-case mark
constexpr uint32_t OPERAND_MASK = 0xF03FFFFF;   // what a comparison or output operand compares
constexpr int KIND_FIRST_COMPARED = 9;
constexpr int KIND_SECOND_COMPARED = 10;

std::vector<std::string> words_of(const char* text, size_t limit) {
  std::vector<std::string> words;
  std::string word;
  for (size_t i = 0; i < limit && text[i] != '\0'; ++i) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if (std::isspace(ch)) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
      if (words.size() > 2) return words;
    } else {
      word += static_cast<char>(ch);
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool hex_digit(char c, uint32_t& value) {
  if (c >= '0' && c <= '9') value = static_cast<uint32_t>(c - '0');
  else if (c >= 'A' && c <= 'F') value = static_cast<uint32_t>(c - 'A' + 10);
  else if (c >= 'a' && c <= 'f') value = static_cast<uint32_t>(c - 'a' + 10);
  else return false;
  return true;
}

uint32_t bcd_pair(uint32_t byte) { return (byte >> 4) * 10 + (byte & 0xF); }

// Operands of comparisons and outputs: the flag bits between the number and the code are
// not compared for the devices below J.
bool operand_matches(uint32_t word, uint32_t device) {
  if (operand_device_index(device) < 16) return (word & OPERAND_MASK) == (device & OPERAND_MASK);
  return word == device;
}

struct HitWriter {
  std::span<int32_t> hits;
  size_t count = 0;
  void add(int row, int column, int kind) {
    if (hits.size() < 2 || count + 1 >= hits.size()) return;
    hits[count++] = static_cast<int32_t>(static_cast<uint32_t>(row) | static_cast<uint32_t>(column & 0xF) << 20 |
                                         static_cast<uint32_t>(kind) << 28);
    hits[count] = HIT_LIST_END;
  }
};

}  // namespace

bool parse_use_device(const char* text, uint32_t& device) {
  std::string word = text != nullptr ? text : "";
  if (word.size() > 1 && (word.back() == 'T' || word.back() == 't')) word.pop_back();
  if (word.size() < 2 || word.size() > 12) return false;
  const DeviceIndex index = device_letter_to_index(word[0]);
  if (index < 0 || index >= DEVICE_COUNT) return false;
  const bool hex = index == Device::X || index == Device::Y || index == Device::B || index == Device::R;
  uint32_t number = 0;
  for (size_t i = 1; i < word.size(); ++i) {
    uint32_t digit = 0;
    if (!hex_digit(word[i], digit) || (!hex && digit > 9)) return false;
    number = number * (hex || index == Device::J ? 16 : 10) + digit;
    if (number > 0xFFFF) return false;
  }
  if (index == Device::J) number = bcd_pair(number >> 8 & 0xFF) << 8 | bcd_pair(number & 0xFF);
  device = static_cast<uint32_t>(device_code_from_index(index)) << 24 | number;
  return true;
}

void list_device_uses(ConstGridSpan grid, const char* text, std::span<int32_t> hits) {
  if (text == nullptr) return;
  const std::vector<std::string> words = words_of(text, 256);
  if (words.empty() || words.size() > 2) return;
  std::string name = words[0];
  if (words.size() == 2) {
    const std::string& first = words[0];
    if (first == "SET" || first == "RST" || first == "PLS" || first == "PLF") {
      name = words[1];
    } else if (std::toupper(static_cast<unsigned char>(first[0])) != 'T' &&
               std::toupper(static_cast<unsigned char>(first[0])) != 'C') {
      return;
    }
  }
  uint32_t device = 0;
  if (!parse_use_device(name.c_str(), device)) return;

  HitWriter writer{hits};
  if (!hits.empty()) hits[0] = HIT_LIST_END;
  const uint32_t plain_device = device & ~SUFFIX_BITS;
  const bool m_device = operand_device_index(device) == Device::M;
  bool following_d_bits = false;  // after an M output with the D marker: its D contacts follow
  const size_t limit = std::min<size_t>(grid.size(), MAX_GRID_ROWS);
  for (size_t r = 0; r < limit; ++r) {
    const LadderRow& row = grid[r];
    if (is_end_mark_row(row) || row.cell[0].word[0] == END_MARK_CELL) break;
    const int row_index = static_cast<int>(r);
    if (is_comment_row(row)) continue;
    for (int c = 0; c <= 10; ++c) {
      const LadderCell& cell = row.cell[c];
      const uint32_t w = cell.word[0];
      if ((w & CellFlags::COMPARISON) != 0 && (w & CellFlags::PRESENT) != 0) {
        if ((w & CellFlags::CONSTANT_0) == 0 && operand_matches(cell.word[1], device))
          writer.add(row_index, c, KIND_FIRST_COMPARED);
        if (c + 1 <= 10 && (w & CellFlags::CONSTANT_0 << 1) == 0 && operand_matches(row.cell[c + 1].word[1], device))
          writer.add(row_index, c, KIND_SECOND_COMPARED);
        c += 2;
        continue;
      }
      if ((w & CellFlags::OPERAND_SET) != 0 && (cell.word[1] & ~SUFFIX_BITS) == plain_device)
        writer.add(row_index, c, 0);
      else if (following_d_bits && (w & CellFlags::OPERAND_SET) != 0 && (cell.word[1] >> 28) == 0xD &&
               (w & 0x800) == 0)
        writer.add(row_index, c, 0);
    }
    const uint32_t w11 = row.cell[OUTPUT_COLUMN].word[0];
    const bool d_marked = (row.cell[OUTPUT_COLUMN].word[1] & 0x800000) != 0;
    if (following_d_bits && (d_marked || (w11 & CellFlags::END) != 0)) following_d_bits = false;
    if ((w11 & CellFlags::OPERAND_SET) != 0 && (w11 & CellFlags::CONTINUATION) == 0) {
      const uint32_t code = row_output_code(row);
      const int n = std::min(4, static_cast<int>(g_operand_line_counts[code] & 0xF));
      for (int k = 0; k < n; ++k) {
        if ((w11 & CellFlags::CONSTANT_0 << k) != 0) continue;
        const uint32_t operand = row.cell[OUTPUT_COLUMN + k].word[1];
        if (!operand_matches(operand, device)) continue;
        writer.add(row_index, OUTPUT_COLUMN, n - 1 - k);
        if (m_device && k == 0 && (operand & 0x800000) != 0) following_d_bits = true;
      }
    }
    if (is_end_row(row)) break;
  }
}
