// The real frame for the tests of the one-click write and the compiles it runs: no guide
// shows, the serial state starts fresh, and the texts a compile leaves (the read-back
// listing, the frame's mnemonic text) are released afterwards.
#pragma once

#include "win/bars_frame.h"

#include "core/current_mnemonic_text.h"
#include "shell/compile_chain.h"
#include "shell/settings_file.h"
#include "target/serial_port.h"

namespace bars_test {

class OneClickFrame : public BarsFrame {
 protected:
  void SetUp() override {
    BarsFrame::SetUp();
    g_guide_flags = {0, 0, 0, 0};
    reset_serial_state();
  }
  void TearDown() override {
    reset_serial_state();
    release_read_back();
    release_frame_mnemonic_text();
    g_mnemonic_text = {};
    BarsFrame::TearDown();
  }
};

}  // namespace bars_test
