// The current project: one base name in one folder, whose design (.MBS), operation (.SEQ)
// and mnemonic (.NIC) files the screens switch between. Its name is the core's
// g_project_name, which the file writers put into the files they write.
#pragma once

#include "core/design_file.h"
#include "shell/path_parts.h"

extern char g_project_drive[PATH_DRIVE_BYTES];
extern char g_project_dir[PATH_DIR_BYTES];
extern char g_project_ext[PATH_EXT_BYTES];
// g_project_name: core/design_file.h

// The four pieces; a name that does not fit PathParts leaves every piece empty.
PathParts current_project();
// Makes `project` the current project.
void set_current_project(const PathParts& project);
