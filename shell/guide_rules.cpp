#include "shell/guide_rules.h"

#include "resources/resource_ids.h"

const char* guide_sample_name(int button) {
  if (button == IDC_GUIDE_BUTTON_1) return "SAMPLE1.MBS";
  if (button == IDC_GUIDE_BUTTON_2) return "SINGOU1.MBS";
  return nullptr;
}

std::string guide_sample_path(const std::string& start_folder, int button) {
  const char* name = guide_sample_name(button);
  if (name == nullptr) return {};
  return start_folder + "\\SAMPLE\\" + name;
}
