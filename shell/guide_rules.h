// The rules of the four guide dialogs, window-free: which guide flag governs each, what
// the "今後これらを表示しない" check box does to it, when closing writes file.ini, and the
// sample designs the first-use guide opens.
#pragma once

#include <string>

enum class GuideKind {
  FirstUse,       // InitFrDialog: how to start
  DesignTips,     // SetuOekDialog: the design screen
  MonitorTips,    // SetuJikDialog: the operation screen
  PinViewTips,    // SetuPicDialog: the CPU pin view
};

// Guide flag 0 governs the design-screen guides, flag 1 the operation-screen guides.
constexpr int guide_flag_index(GuideKind kind) {
  return (kind == GuideKind::FirstUse || kind == GuideKind::DesignTips) ? 0 : 1;
}

// The flag after the check box was toggled into `checked`: a ticked box means "do not
// show" (0), an unticked one "show" (1).
constexpr int guide_flag_after_toggle(bool checked) { return checked ? 0 : 1; }

// Closing a guide writes file.ini only while its flag is off.
constexpr bool guide_close_saves_settings(int flag) { return flag == 0; }

// Whether a guide opens, by its flag (1 = show).
constexpr bool guide_is_shown(int flag) { return flag != 0; }

// The file name of the sample that button 591 or 592 of the first-use guide opens
// (nullptr for another button).
const char* guide_sample_name(int button);

// start folder + "\SAMPLE\" + the sample's name; "" for another button.
std::string guide_sample_path(const std::string& start_folder, int button);
