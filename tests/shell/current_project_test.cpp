#include "shell/current_project.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CurrentProject, PiecesGoIntoTheGlobalsTheFileWritersRead) {
  PathParts project{};
  ASSERT_EQ(split_path("C:\\PROJ\\LAMP.MBS", project), 0);
  set_current_project(project);
  EXPECT_STREQ(g_project_drive, "C:");
  EXPECT_STREQ(g_project_dir, "\\PROJ\\");
  EXPECT_STREQ(g_project_name, "LAMP");  // the name the design and operation writers use
  EXPECT_STREQ(g_project_ext, ".MBS");
  const PathParts back = current_project();
  EXPECT_STREQ(back.dir, "\\PROJ\\");
  EXPECT_STREQ(back.name, "LAMP");
  set_current_project(PathParts{});
  EXPECT_STREQ(g_project_name, "");
}

TEST(CurrentProject, ANameLongerThanAPieceGivesNoProjectRatherThanACutOne) {
  std::memset(g_project_name, 'n', PROJECT_NAME_SIZE - 1);
  g_project_name[PROJECT_NAME_SIZE - 1] = '\0';
  const PathParts project = current_project();
  EXPECT_STREQ(project.name, "");
  EXPECT_STREQ(project.dir, "");
  g_project_name[0] = '\0';
}

}  // namespace
