// The function picker's name lists and its OK decision.
#include "design/function_picker.h"

#include <gtest/gtest.h>

#include "shell/view_state.h"

namespace {

TEST(FunctionPicker, OffersTheNamesInEitherOrder) {
  EXPECT_EQ(function_combo_names(false),
            (std::vector<std::string>{"SET", "RST", "PLS", "PLF", "SETS", "RSTS", "INC", "DEC", "MOV", "CMP", "END"}));
  EXPECT_EQ(function_combo_names(true),
            (std::vector<std::string>{"CMP", "DEC", "END", "INC", "MOV", "PLF", "PLS", "RST", "RSTS", "SET", "SETS"}));
}

TEST(FunctionPicker, OkNeedsATextAndASelectedCell) {
  EXPECT_EQ(function_ok_action("", 9), FunctionOk::NOTHING);
  EXPECT_EQ(function_ok_action("MOV D0 D1", NO_SELECTION), FunctionOk::NOTHING);
  EXPECT_EQ(function_ok_action("MOV D0 D1", 9), FunctionOk::STORE);
}

}  // namespace
