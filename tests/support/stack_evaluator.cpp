#include "support/stack_evaluator.h"

#include <cstdio>
#include <vector>

#include "support/list_logic.h"

namespace il {

namespace {

uint32_t code_of(const InstructionRecord& r) { return r.word[0] & 0x3FF; }
bool is_comparison(const InstructionRecord& r) { return (r.word[0] & 0x4000) != 0; }
bool is_contact(uint32_t code) { return (code >= 1 && code <= 6) || (code >= 0x201 && code <= 0x206); }
bool ends_list(const InstructionRecord& r) { return r.word[0] == 0xFFFF || code_of(r) == 16; }

// A contact drawn on a U point carries the U number in bits 16-20 of its operand word;
// the device is the rest (a J operand keeps them: its span lives there).
uint32_t contact_device(uint32_t operand) { return (operand >> 24) == 0xF0 ? operand : operand & ~0x1F0000u; }

InputKey input_key(const InstructionRecord& r) {
  if (is_comparison(r)) {
    const bool constant_first = (r.word[1] & 0x100000) != 0;
    return {2, (r.word[1] & 0xFF) | (r.word[1] & 0xFF00000), constant_first ? r.word[2] : contact_device(r.word[2]), r.word[3]};
  }
  return {code_of(r) >= 0x200 ? 1 : 0, contact_device(r.word[1]), 0, 0};
}

OutputKey output_key(const InstructionRecord& r) {
  const uint32_t head = r.word[0] & 0x0FF02BFF;  // code, D and P forms, constant and hex bits
  const uint32_t code = r.word[0] & 0x3FF;
  const bool text_box = code == 127 || code == 128;  // ASM, TABL: word 4 is a text number
  // An OUT coil on a U point carries the U number beside its device, as a contact does.
  const uint32_t operand = code == 15 ? contact_device(r.word[1]) : r.word[1];
  return {head, operand, r.word[2], r.word[3], text_box ? 0 : r.word[4]};
}

std::string describe(const OutputKey& key) {
  char text[96];
  std::snprintf(text, sizeof text, "output %04X %08X %08X %08X %08X", std::get<0>(key), std::get<1>(key),
                std::get<2>(key), std::get<3>(key), std::get<4>(key));
  return text;
}

}  // namespace

namespace {

// A list prepared for many runs: each record as an operation on input and output indexes.
using list_logic::Step;

struct Prepared {
  std::vector<Step> steps;
};

Prepared prepare(ConstListSpan list, std::map<InputKey, int>& inputs, std::map<OutputKey, int>& outputs) {
  Prepared p;
  for (const InstructionRecord& r : list) {
    if (ends_list(r)) break;
    const uint32_t code = code_of(r);
    if (code == 0) continue;
    Step step{code, -1, false, -1};
    if (is_contact(code)) {
      step.input = inputs.emplace(input_key(r), static_cast<int>(inputs.size())).first->second;
      step.invert = !is_comparison(r) && (code & 1) == 0;
    } else if (code != 7 && code != 8 && !(code >= 9 && code <= 14) && code != 19 && code != 20 && code != 27 &&
               code != 32 && code != 43 && code != 44 && code != 129) {
      step.output = outputs.emplace(output_key(r), static_cast<int>(outputs.size())).first->second;
    }
    p.steps.push_back(step);
  }
  return p;
}

// One scan: the value of each output (-1 when the list does not write it); false on a fault.
bool run(const Prepared& p, uint32_t bits, std::vector<int>& values, std::string& fault) {
  return list_logic::scan(p.steps, [bits](int input) { return ((bits >> input) & 1) != 0; }, values, fault);
}

}  // namespace

std::string compare_list_logic(ConstListSpan expected, ConstListSpan actual) {
  std::map<InputKey, int> inputs;
  std::map<OutputKey, int> outputs;
  const Prepared want = prepare(expected, inputs, outputs);
  const Prepared got = prepare(actual, inputs, outputs);
  if (inputs.size() > 16) return "too many inputs to try every combination";
  std::vector<OutputKey> keys(outputs.size());
  for (const auto& [key, index] : outputs) keys[static_cast<size_t>(index)] = key;
  std::vector<int> want_values(outputs.size());
  std::vector<int> got_values(outputs.size());
  for (uint32_t bits = 0; bits < (1u << inputs.size()); ++bits) {
    std::fill(want_values.begin(), want_values.end(), -1);
    std::fill(got_values.begin(), got_values.end(), -1);
    std::string fault;
    if (!run(want, bits, want_values, fault)) return "expected list: " + fault;
    if (!run(got, bits, got_values, fault)) return "actual list: " + fault;
    for (size_t k = 0; k < keys.size(); ++k) {
      if (want_values[k] == got_values[k]) continue;
      if (want_values[k] < 0) return describe(keys[k]) + " is extra";
      if (got_values[k] < 0) return describe(keys[k]) + " is missing";
      char text[64];
      std::snprintf(text, sizeof text, " differs for inputs %X", bits);
      return describe(keys[k]) + text;
    }
  }
  return {};
}

}  // namespace il
