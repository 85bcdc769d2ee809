// The logic of an instruction list, for the round trips of the converters: one scan of
// the list as the controller runs it (LD pushes the logic, ANB/ORB combine, MPS/MRD/MPP
// keep a branch point), recording the value each output sees. Two lists compute the same
// program when every output sees the same value for the same inputs.
//
// Unlike support/stack_evaluator.h this one is header-only (the fuzz targets link no test
// helpers), compares a parsed list with a compiled one (their comparison heads and the
// MC's row word differ by construction), and tries many inputs by sampling: every input
// off, every input on, and pseudo-random combinations, so that programs of any size are
// compared.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/ladder_model.h"

namespace list_logic {

// kind 0 plain contact, 1 D-form contact, 2 comparison; then the operand words.
using InputKey = std::tuple<int, uint32_t, uint32_t, uint32_t>;
// An output: its code, forms and constant marks (block start left out), operand words.
using OutputKey = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t>;

inline uint32_t code_of(const InstructionRecord& r) { return r.word[0] & 0x3FF; }
inline bool is_contact(uint32_t code) { return (code >= 1 && code <= 6) || (code >= 0x201 && code <= 0x206); }
// The U number of a U point stands beside a device in bits 16-20 (a J operand keeps them:
// its span lives there).
inline uint32_t device_of(uint32_t operand) { return (operand >> 24) == 0xF0 ? operand : operand & ~0x1F0000u; }

inline InputKey input_key(const InstructionRecord& r) {
  if (r.word[0] & 0x4000) {
    // The operator in the low byte and the constant marks; the parser's 0xC000 and the
    // compiler's double-word 0x800 say nothing more than the operator does.
    const bool constant_first = (r.word[1] & 0x100000) != 0;
    return {2, (r.word[1] & 0xFF) | (r.word[1] & 0xFF00000), constant_first ? r.word[2] : device_of(r.word[2]),
            r.word[3]};
  }
  return {code_of(r) >= 0x200 ? 1 : 0, device_of(r.word[1]), 0, 0};
}

inline OutputKey output_key(const InstructionRecord& r) {
  const uint32_t code = code_of(r);
  // ASM and TABL carry a text number in word 4, MC the row after its rung: both are
  // numbered by the conversion, not by the program.
  const bool numbered = code == 127 || code == 128 || code == 18;
  const uint32_t operand = code == 15 ? device_of(r.word[1]) : r.word[1];
  return {r.word[0] & 0x0FF02BFF, operand, r.word[2], r.word[3], numbered ? 0 : r.word[4]};
}

// Records that neither read nor write the logic value's meaning: blocks and branches are
// the stack, labels, comments and section ends say nothing the outputs see.
inline bool is_output(uint32_t code) {
  return !(code >= 7 && code <= 14) && code != 16 && code != 19 && code != 20 && code != 27 && code != 32 &&
         code != 43 && code != 44 && code != 129;
}

struct Step {
  uint32_t code;
  int input = -1;  // contacts: the input's index
  bool invert = false;
  int output = -1;  // outputs: the output's index (every use of the same output its own)
};

struct Program {
  std::vector<Step> steps;
};

inline Program prepare(ConstListSpan list, std::map<InputKey, int>& inputs,
                       std::map<std::pair<OutputKey, int>, int>& outputs) {
  Program p;
  std::map<OutputKey, int> seen;
  for (const InstructionRecord& r : list) {
    if (is_end_record(r) || code_of(r) == 16) break;
    const uint32_t code = code_of(r);
    if (code == 0) continue;
    Step step{code};
    if (is_contact(code)) {
      step.input = inputs.emplace(input_key(r), static_cast<int>(inputs.size())).first->second;
      step.invert = (r.word[0] & 0x4000) == 0 && (code & 1) == 0;
    } else if (is_output(code)) {
      const OutputKey key = output_key(r);
      const int nth = seen[key]++;  // the second OUT of the same coil is an output of its own
      step.output = outputs.emplace(std::make_pair(key, nth), static_cast<int>(outputs.size())).first->second;
    }
    p.steps.push_back(step);
  }
  return p;
}

// Input `input` in scan k: the bits of k when every combination is tried, else a mix of k
// and the input's index (scans 0 and 1: every input off, every input on).
inline bool input_on(uint64_t k, bool every_combination, int input) {
  if (every_combination) return ((k >> input) & 1) != 0;
  const uint64_t seed = k;
  if (seed < 2) return seed == 1;
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(input) * 0xBF58476D1CE4E5B9ull;
  x ^= x >> 31;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 29;
  return (x & 1) != 0;
}

// One scan of the steps, each input's value as `value_of(input)` gives it; false with a fault
// when the stack runs dry.
template <class ValueOf>
bool scan(const std::vector<Step>& steps, ValueOf value_of, std::vector<int>& values, std::string& fault) {
  bool acc = false;
  std::vector<bool> blocks, branches;
  for (const Step& s : steps) {
    if (s.input >= 0) {
      const bool value = value_of(s.input) != s.invert;
      switch (s.code & 0xFF) {
        case 1:
        case 2: blocks.push_back(acc), acc = value; break;
        case 3:
        case 4: acc = acc && value; break;
        default: acc = acc || value; break;
      }
    } else if (s.output >= 0) {
      values[static_cast<size_t>(s.output)] = acc ? 1 : 0;
    } else if (s.code == 7 || s.code == 8) {
      if (blocks.empty()) return fault = "ANB/ORB with an empty stack", false;
      acc = s.code == 7 ? (blocks.back() && acc) : (blocks.back() || acc);
      blocks.pop_back();
    } else if (s.code == 12) {
      branches.push_back(acc);
    } else if (s.code == 13 || s.code == 14) {
      if (branches.empty()) return fault = "MRD/MPP without MPS", false;
      acc = branches.back();
      if (s.code == 14) branches.pop_back();
    }
  }
  return true;
}

// One scan in scan k (see input_on).
inline bool run(const Program& p, uint64_t k, bool every_combination, std::vector<int>& values, std::string& fault) {
  return scan(p.steps, [&](int input) { return input_on(k, every_combination, input); }, values, fault);
}

inline std::string describe(const OutputKey& key, int nth) {
  char text[120];
  std::snprintf(text, sizeof text, "output %05X %08X %08X %08X %08X (use %d)", std::get<0>(key), std::get<1>(key),
                std::get<2>(key), std::get<3>(key), std::get<4>(key), nth + 1);
  return text;
}

// "" when both lists give every output the same value over `scans` sets of inputs, else
// the first difference.
inline std::string compare(ConstListSpan expected, ConstListSpan actual, int scans = 64) {
  std::map<InputKey, int> inputs;
  std::map<std::pair<OutputKey, int>, int> outputs;
  const Program want = prepare(expected, inputs, outputs);
  const Program got = prepare(actual, inputs, outputs);
  std::vector<std::pair<OutputKey, int>> keys(outputs.size());
  for (const auto& [key, index] : outputs) keys[static_cast<size_t>(index)] = key;
  // With few inputs every combination is tried.
  const uint64_t all = inputs.size() <= 6 ? (1ull << inputs.size()) : 0;
  std::vector<int> a(outputs.size()), b(outputs.size());
  for (uint64_t k = 0; k < (all ? all : static_cast<uint64_t>(scans)); ++k) {
    std::fill(a.begin(), a.end(), -1);
    std::fill(b.begin(), b.end(), -1);
    std::string fault;
    if (!run(want, k, all != 0, a, fault)) return "expected list: " + fault;
    if (!run(got, k, all != 0, b, fault)) return "actual list: " + fault;
    for (size_t i = 0; i < keys.size(); ++i) {
      if (a[i] == b[i]) continue;
      const std::string what = describe(keys[i].first, keys[i].second);
      if (a[i] < 0) return what + " is extra";
      if (b[i] < 0) return what + " is missing";
      return what + " differs for inputs " + std::to_string(k);
    }
  }
  return {};
}

}  // namespace list_logic
