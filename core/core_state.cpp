#include "core/core_state.h"

#include "core/cell_text.h"
#include "core/ladder_model.h"

void reset_core_state() {
  reset_ladder_model_state();
  reset_cell_text_state();
}
