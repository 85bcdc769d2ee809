#include "core/current_mnemonic_text.h"

#include <algorithm>
#include <new>
#include <utility>

TextSpan g_mnemonic_text{};
SavedSpan g_mnemonic_saved_text{};

namespace {

// The mnemonic text of the frame's last conversion: the frame's own block, freed only here.
std::unique_ptr<MnemonicText> g_frame_text;

}  // namespace

void name_current_mnemonic_text(TextSpan text, SavedSpan saved) {
  g_mnemonic_text = text;
  g_mnemonic_saved_text = saved;
}

void own_frame_mnemonic_text(std::unique_ptr<MnemonicText> text) {
  release_frame_mnemonic_text();
  g_frame_text = std::move(text);
  g_mnemonic_text = *g_frame_text;
  g_mnemonic_saved_text = {};
}

TextSpan grow_frame_mnemonic_text(TextSpan text, size_t lines) {
  if (!g_frame_text || text.empty() || text.data() != g_frame_text->data()) return text;
  if (lines <= text.size() || lines > static_cast<size_t>(MAX_TEXT_LINES)) return text;
  const bool current = g_mnemonic_text.data() == g_frame_text->data();
  try {
    auto grown = std::make_unique<MnemonicText>(make_mnemonic_text(static_cast<int>(lines)));
    std::copy(g_frame_text->begin(), g_frame_text->end(), grown->begin());
    g_frame_text = std::move(grown);
  } catch (const std::bad_alloc&) {
    return text;
  }
  if (current) g_mnemonic_text = *g_frame_text;
  return *g_frame_text;
}

void release_frame_mnemonic_text() {
  if (!g_frame_text) return;
  if (g_mnemonic_text.data() == g_frame_text->data()) g_mnemonic_text = {};
  g_frame_text.reset();
}

void forget_mnemonic_text(const void* freed) {
  if (!freed) return;
  if (g_mnemonic_text.data() == freed) g_mnemonic_text = TextSpan();
  if (g_mnemonic_saved_text.data() == freed) g_mnemonic_saved_text = SavedSpan();
}

void clear_current_mnemonic_text() {
  g_mnemonic_text = {};
  g_mnemonic_saved_text = {};
}

bool mnemonic_text_is_frame_owned() {
  return g_frame_text && !g_mnemonic_text.empty() && g_mnemonic_text.data() == g_frame_text->data();
}

const MnemonicLine* current_mnemonic_text_data() { return g_mnemonic_text.data(); }
