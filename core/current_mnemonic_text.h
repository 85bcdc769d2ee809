// The current mnemonic text: the document of the mnemonic window that handled a message
// last, or the text the frame's last operation-file-to-mnemonic conversion made. The
// program write, verify and read-back of the board work on it (g_mnemonic_text), with the
// saved copy of the window's document beside it (g_mnemonic_saved_text, empty for the
// frame's own text).
//
// Its whole life is here, so that nothing is ever left naming a freed text:
//   name     a mnemonic window names its document as the current text;
//   own      the frame's conversion hands over the text it made, which this module keeps;
//   grow     the frame's own text grows to hold a longer listing pasted into it;
//   release  the frame's own text is freed (and no longer named);
//   forget   a window that frees its text first takes every name of it away;
//   clear    there is no current text (after the mnemonic windows closed, before a
//            read-back converts the operation file again).
// An empty span means there is no current text.
#pragma once

#include <cstddef>
#include <memory>

#include "core/ladder_model.h"

extern TextSpan g_mnemonic_text;
extern SavedSpan g_mnemonic_saved_text;

// A window's document (and its saved copy) becomes the current text.
void name_current_mnemonic_text(TextSpan text, SavedSpan saved);
// The frame's conversion made `text`: the frame's previous text is released, this one is
// kept here and becomes the current text, with no saved copy.
void own_frame_mnemonic_text(std::unique_ptr<MnemonicText> text);
// When `text` is the frame's own text and holds fewer than `lines` lines (at most
// MAX_TEXT_LINES), the frame's text grows to that many, keeping its lines, and
// g_mnemonic_text follows it when it named it. The text to use: the grown one, or `text`.
TextSpan grow_frame_mnemonic_text(TextSpan text, size_t lines);
// Releases the mnemonic text the frame's last conversion made; g_mnemonic_text becomes
// empty when it names that text. A text that belongs to a mnemonic window is never freed here.
void release_frame_mnemonic_text();
// Empties g_mnemonic_text and g_mnemonic_saved_text where they name the text or saved
// copy at `freed`.
void forget_mnemonic_text(const void* freed);
// Empties g_mnemonic_text and g_mnemonic_saved_text: there is no current text.
void clear_current_mnemonic_text();

// True when g_mnemonic_text is the frame's own text (not a window's).
bool mnemonic_text_is_frame_owned();
// The text g_mnemonic_text names (nullptr for none).
const MnemonicLine* current_mnemonic_text_data();
