// The shared names of the current mnemonic document (g_mnemonic_text and
// g_mnemonic_saved_text, target/monitor_protocol.h) as the mnemonic windows set and
// clear them. The window that handles a message names its document; a window that frees
// a text first takes every name of it away, so nothing is left naming a freed text.
#pragma once

#include "core/ladder_model.h"

void name_current_mnemonic_text(TextSpan text, SavedSpan saved);
// Empties g_mnemonic_text and g_mnemonic_saved_text where they name the text or saved
// copy at `freed`.
void forget_mnemonic_text(const void* freed);
// The text g_mnemonic_text names (nullptr for none).
const MnemonicLine* current_mnemonic_text_data();
