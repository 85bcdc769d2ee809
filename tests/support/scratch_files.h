// Files of a native test on the real file system: a fresh folder of the test's own, a file's
// bytes read and written, and a ceiling on the size of every file the process writes (a disk
// that fills while a file is written).
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace scratch {

inline std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void put(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A new empty folder for the running test, <temp>/<prefix><process id>_<test name>: tests run
// side by side never share one.
inline std::filesystem::path fresh_folder(const std::string& prefix) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      (prefix + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// Removes the folder and what is in it, after giving the owner back the rights a test took
// from a file or folder inside.
inline void remove_folder(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(folder);
}

// A real write failure: while it lives the process may write no file beyond `limit` bytes,
// as when the disk is full (the signal such a write raises is ignored: the write fails).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &signal_before_);
    getrlimit(RLIMIT_FSIZE, &before_);
    const rlimit small{limit, before_.rlim_max};
    in_force_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &before_);
    sigaction(SIGXFSZ, &signal_before_, nullptr);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool in_force() const { return in_force_; }

 private:
  rlimit before_{};
  struct sigaction signal_before_ {};
  bool in_force_ = false;
};

}  // namespace scratch
