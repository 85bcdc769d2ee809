#include "mnemonic/mnemonic_screen.h"

#include <gtest/gtest.h>

#include <string>

#include "core/sjis.h"
#include "core/current_mnemonic_text.h"
#include "target/monitor_protocol.h"

namespace {

CpuSettings settings_of(const char* name, int option_b) {
  CpuSettings s{};
  copy_text_bounded(s.cpu_name, name);
  s.option_b = option_b;
  return s;
}

TEST(MnemonicScreen, SaveAsAlwaysWritesANicFile) {
  struct Case {
    const char* chosen;
    std::string path;
  } cases[] = {
      {"C:\\work\\prog.txt", "C:\\work\\prog.NIC"},
      {"C:\\work\\prog", "C:\\work\\prog.NIC"},
      {"C:\\work\\prog.nic", "C:\\work\\prog.NIC"},
      {"C:\\work\\a.b.c", "C:\\work\\a.b.NIC"},
      {"C:\\\x95\x5C\\x.MBS", "C:\\\x95\x5C\\x.NIC"},  // a folder whose name ends in a 0x5C trail byte
      {"C:\\work\\", ""},                              // no name
  };
  for (const Case& c : cases) EXPECT_EQ(mnemonic_save_path(c.chosen), c.path) << c.chosen;
}

TEST(MnemonicScreen, HeaderSettingsAreTakenFieldByField) {
  CpuSettings loaded = settings_of("pic16F84", 1);
  loaded.option_a = 1;
  loaded.option_c = 1;
  loaded.option_d = 3;
  loaded.clock_high = 1;
  loaded.clock_low = 2;
  loaded.port_value = 0x40;
  loaded.print_mode = 9;
  CpuSettings active = settings_of("old", 0);
  active.print_mode = 4;
  take_header_settings(active, loaded);
  EXPECT_EQ(std::string(fixed_text(active.cpu_name)), "pic16F84");
  EXPECT_EQ(active.option_a + active.option_b + active.option_c, 3);
  EXPECT_EQ(active.option_d, 3);
  EXPECT_EQ(active.clock_high, 1);
  EXPECT_EQ(active.clock_low, 2);
  EXPECT_EQ(active.port_value, 0x40);
  EXPECT_EQ(active.print_mode, 4);  // not a header field
}

TEST(MnemonicScreen, AFreedTextIsNoLongerNamed) {
  MnemonicText a = make_mnemonic_text(4);
  MnemonicText b = make_mnemonic_text(4);
  SavedText saved = make_saved_text(4);
  name_current_mnemonic_text(a, saved);
  forget_mnemonic_text(b.data());  // another window's text: the names stay
  EXPECT_EQ(g_mnemonic_text.data(), a.data());
  forget_mnemonic_text(saved.data());
  EXPECT_EQ(g_mnemonic_saved_text.data(), nullptr);
  EXPECT_EQ(g_mnemonic_text.data(), a.data());
  forget_mnemonic_text(a.data());
  EXPECT_EQ(current_mnemonic_text_data(), nullptr);
}

}  // namespace

namespace {

// File number 0 is the first window's alone (its undo ring, Save, the compile): however
// many further documents were opened, none of them gets it.
TEST(MnemonicScreen, NoFurtherDocumentGetsTheFirstWindowsFileNumber) {
  EXPECT_EQ(mnemonic_file_number(0, 0), 0);
  EXPECT_EQ(mnemonic_file_number(0, 7), 0);  // a first window made after a refused one
  for (int counter = 0; counter < 100; ++counter) {
    const int number = mnemonic_file_number(1 + counter % 3, counter);
    EXPECT_GE(number, 1) << counter;
    EXPECT_LE(number, 15) << counter;
  }
  EXPECT_EQ(mnemonic_file_number(1, 15), 15);
  EXPECT_EQ(mnemonic_file_number(1, 16), 1);  // the 16th further document (the old wrap to 0)
}

}  // namespace
