#include "design/function_picker.h"

#include <cstring>

#include "design/view_state.h"

const std::array<const char*, 12> g_function_names = {"SET", "RST", "PLS", "PLF", "SETS", "RSTS",
                                                      "INC", "DEC", "MOV", "CMP", "END", "QQ"};
const std::array<const char*, 12> g_function_names_sorted = {"CMP", "DEC", "END", "INC", "MOV", "PLF",
                                                             "PLS", "RST", "RSTS", "SET", "SETS", "QQ"};

int g_function_sort = 0;

namespace {

bool is_list_end(const char* name) { return std::strcmp(name, "QQ") == 0; }

bool offered(const char* name) {
  for (const char* n : g_function_names) {
    if (is_list_end(n)) return false;
    if (std::strcmp(n, name) == 0) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> function_combo_names(bool sorted) {
  std::vector<std::string> names;
  for (const char* name : sorted ? g_function_names_sorted : g_function_names) {
    if (is_list_end(name)) break;
    if (!sorted || offered(name)) names.emplace_back(name);
  }
  return names;
}

FunctionOk function_ok_action(std::string_view combo_text, int sel_col) {
  if (combo_text.empty() || sel_col == NO_SELECTION) return FunctionOk::NOTHING;
  return FunctionOk::STORE;
}
