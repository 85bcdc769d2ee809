// The files a compile writes are the project's: under Wine, a document that is not the
// project's own file is refused before anything is closed or written. Such a document is
// easy to have: a recent file opened beside the main window becomes the project, and a
// design opened while a mnemonic window holds the project does not become it. A compile of
// that document would write its program over the project's design, and the project's
// window would be closed first without a question when it held no change. A Save As of the
// design makes its new file the project, beside a mnemonic window of the old one.
#include "win/window_safety_fixture.h"

#include <ostream>
#include <string>
#include <vector>

#include "shell/command_ids.h"
#include "shell/message_box_win.h"

namespace {

using namespace window_safety;

constexpr char NOT_PROJECT_FILE[] =
    "今のプロジェクトのファイルではありません！\nコンパイルすると、次の回路図が置き換えられます：\n";

enum class Setup {
  RECENT_DESIGN_BESIDE_DESIGN,    // A.MBS main, Q.MBS from the recent list (the project is Q)
  DESIGN_OPENED_BESIDE_MNEMONIC,  // A.NIC first, Q.MBS opened (the main design; the project stays A)
  RECENT_DESIGN_BESIDE_MNEMONIC,  // A.NIC first, Q.MBS from the recent list (the project is Q)
  DESIGN_OPENED_BESIDE_DESIGN,    // A.MBS main, Q.MBS opened (a further window; the project stays A)
  SAVED_AS_BESIDE_MNEMONIC,       // A.NIC first, A.MBS opened and saved as Q.MBS (the project is Q)
};
enum class Command { DESIGN_COMPILE, ONE_CLICK, MNEMONIC_COMPILE };

struct Case {
  const char* name;
  Setup setup;
  Command command;
  bool refused;              // the command refuses: no file changes
  const char* project_mbs;   // the project's design file, named by the refusal
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const Case CASES[] = {
    {"design compile of A, Q from the recent list", Setup::RECENT_DESIGN_BESIDE_DESIGN, Command::DESIGN_COMPILE, true,
     "Q.MBS"},
    {"one-click write of A, Q from the recent list", Setup::RECENT_DESIGN_BESIDE_DESIGN, Command::ONE_CLICK, true,
     "Q.MBS"},
    {"design compile of Q opened beside A.NIC", Setup::DESIGN_OPENED_BESIDE_MNEMONIC, Command::DESIGN_COMPILE, true,
     "A.MBS"},
    {"one-click write of Q opened beside A.NIC", Setup::DESIGN_OPENED_BESIDE_MNEMONIC, Command::ONE_CLICK, true,
     "A.MBS"},
    {"mnemonic compile of A.NIC, Q from the recent list", Setup::RECENT_DESIGN_BESIDE_MNEMONIC,
     Command::MNEMONIC_COMPILE, true, "Q.MBS"},
    {"mnemonic compile of A.NIC, its design saved as Q", Setup::SAVED_AS_BESIDE_MNEMONIC, Command::MNEMONIC_COMPILE,
     true, "Q.MBS"},
    // The project's own document compiles as before: the row shows the command writes.
    {"design compile of A, Q opened beside it", Setup::DESIGN_OPENED_BESIDE_DESIGN, Command::DESIGN_COMPILE, false,
     "A.MBS"},
};

// Every question is answered OK and every box recorded.
class CompileFiles : public AnsweredFrame, public ::testing::WithParamInterface<Case> {
 protected:
  void run(const Case& c);
};

void CompileFiles::run(const Case& c) {
  const std::string a_mbs = design_file(L"A.MBS", {"X0 ~ (Y0)"});
  const std::string q_mbs = design_file(L"Q.MBS", {"X5 ~ (Y5)"});
  const std::string a_nic = nic_file(L"A.NIC", {"LD      X01", "OUT     Y01", "END"});
  const std::vector<std::string> watched = {a_mbs, q_mbs, a_nic, path_of(L"A.SEQ"), path_of(L"Q.SEQ"),
                                            path_of(L"Q.NIC")};

  HWND document = nullptr;
  HWND beside = nullptr;
  switch (c.setup) {
    case Setup::RECENT_DESIGN_BESIDE_DESIGN:
    case Setup::DESIGN_OPENED_BESIDE_DESIGN:
      document = open_design(a_mbs);
      ASSERT_TRUE(document != nullptr && as_hwnd(g_design_windows[0]) == document);
      if (c.setup == Setup::RECENT_DESIGN_BESIDE_DESIGN) {
        push_recent_file(g_recent_files, q_mbs);
        command(CMD_RECENT_FILE);
        pump_messages();
      } else {
        open_design(q_mbs);
      }
      beside = g_active_child;
      ASSERT_TRUE(beside != nullptr && beside != document);
      break;
    case Setup::DESIGN_OPENED_BESIDE_MNEMONIC:
      beside = open_mnemonic(a_nic);
      ASSERT_TRUE(beside != nullptr && as_hwnd(g_mnemonic_windows[0]) == beside);
      document = open_design(q_mbs);
      ASSERT_TRUE(document != nullptr && as_hwnd(g_design_windows[0]) == document);
      break;
    case Setup::RECENT_DESIGN_BESIDE_MNEMONIC:
      document = open_mnemonic(a_nic);
      ASSERT_TRUE(document != nullptr && as_hwnd(g_mnemonic_windows[0]) == document);
      push_recent_file(g_recent_files, q_mbs);
      command(CMD_RECENT_FILE);
      pump_messages();
      beside = g_active_child;
      ASSERT_TRUE(beside != nullptr && beside != document);
      break;
    case Setup::SAVED_AS_BESIDE_MNEMONIC:
      document = open_mnemonic(a_nic);
      ASSERT_TRUE(document != nullptr && as_hwnd(g_mnemonic_windows[0]) == document);
      beside = open_design(a_mbs);
      ASSERT_TRUE(beside != nullptr && as_hwnd(g_design_windows[0]) == beside);
      dialogs_->choose(q_mbs);
      SendMessageW(beside, WM_COMMAND, CMD_SAVE_AS, 0);
      pump_messages();
      break;
  }
  // What every file holds once the documents are open (a Save As above wrote its file).
  std::vector<std::string> before;
  for (const std::string& path : watched) before.push_back(file_bytes(path));
  const bool recent = c.setup == Setup::RECENT_DESIGN_BESIDE_DESIGN || c.setup == Setup::RECENT_DESIGN_BESIDE_MNEMONIC ||
                      c.setup == Setup::SAVED_AS_BESIDE_MNEMONIC;
  ASSERT_STREQ(g_project_name, recent ? "Q" : "A");
  activate(document);
  said.clear();
  captions.clear();

  switch (c.command) {
    case Command::DESIGN_COMPILE:
      SendMessageW(document, WM_COMMAND, CMD_COMPILE_LADDER, 0);
      break;
    case Command::ONE_CLICK:
      command(CMD_WRITE_LADDER);
      break;
    case Command::MNEMONIC_COMPILE:
      SendMessageW(document, WM_COMMAND, CMD_COMPILE_MNEMONIC, 0);
      break;
  }
  pump_messages();
  SCOPED_TRACE("boxes:" + said_text());

  if (!c.refused) {
    EXPECT_FALSE(file_bytes(path_of(L"A.SEQ")).empty()) << "the compile wrote no operation file";
    EXPECT_EQ(file_bytes(q_mbs), before[1]) << "the compile of A changed Q.MBS";
    return;
  }
  for (size_t i = 0; i < watched.size(); ++i)
    EXPECT_EQ(file_bytes(watched[i]), before[i]) << watched[i] << " was written";
  // The project's design file as the program names it (its folder in the short form).
  const std::string project_mbs = project_files(g_project_drive, g_project_dir, g_project_name).design;
  ASSERT_TRUE(same_file_path(project_mbs, path_of(std::wstring(c.project_mbs, c.project_mbs + 5)))) << project_mbs;
  const std::string refusal = std::string(NOT_PROJECT_FILE) + project_mbs +
                              "\n全ての画面を閉じてから、このファイルを開き直して下さい";
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said.back(), refusal);
  EXPECT_TRUE(IsWindow(document));
  EXPECT_TRUE(IsWindow(beside)) << "the window of the project's file was closed";
}

TEST_P(CompileFiles, ADocumentThatIsNotTheProjectsFileIsNotCompiledOverTheProjectsDesign) {
  SCOPED_TRACE(GetParam().name);
  run(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, CompileFiles, ::testing::ValuesIn(CASES));

}  // namespace
