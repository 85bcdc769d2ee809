// A fixture for the run-time tables and what the monitor derives from them: each test starts
// and ends with empty device images and tables, and compiles small ladders written as text.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "core/ladder_compiler.h"
#include "core/core_state.h"
#include "support/ladder_text.h"
#include "target/device_images.h"
#include "target/runtime_tables.h"

class CompiledProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_compiler_state();
    reset_device_images();
    reset_runtime_tables();
  }
  void TearDown() override {
    g_instruction_list = {};
    reset_device_images();
    reset_runtime_tables();
  }

  // Compiles the ladder into grid_ and list_, which becomes g_instruction_list.
  void compile(std::initializer_list<const char*> rows) {
    grid_ = ladder_from_text(rows);
    list_ = make_instruction_list(400);
    ASSERT_EQ(compile_ladder(nullptr, grid_, list_, nullptr, 0), CompileResult::OK) << ladder_picture(grid_);
    g_instruction_list = list_;
  }

  LadderGrid grid_;
  InstructionList list_;
};
