#include "mnemonic/current_text.h"

#include "target/monitor_protocol.h"

void name_current_mnemonic_text(TextSpan text, SavedSpan saved) {
  g_mnemonic_text = text;
  g_mnemonic_saved_text = saved;
}

void forget_mnemonic_text(const void* freed) {
  if (!freed) return;
  if (g_mnemonic_text.data() == freed) g_mnemonic_text = TextSpan();
  if (g_mnemonic_saved_text.data() == freed) g_mnemonic_saved_text = SavedSpan();
}

const MnemonicLine* current_mnemonic_text_data() { return g_mnemonic_text.data(); }
