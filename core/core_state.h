// The program-wide tables of the core as a whole, for tests: the model's tables
// (core/ladder_model.h) and the display lists of the cell texts (core/cell_text.h).
#pragma once

// Returns every program-wide table of the core to its start-up state.
void reset_core_state();
