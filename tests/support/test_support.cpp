// The temporary folder of the portable part where there is no Windows; the
// Win32 part makes it through the system's own calls (win32/temp_dir.cpp).
#include "tests/support/test_support.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace test_support {

void RemoveTree(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

TempDir::TempDir() {
  static int count = 0;
  path_ = (std::filesystem::temp_directory_path() /
           ("vlt" + std::to_string(::getpid()) + "_" + std::to_string(++count)))
              .string();
  RemoveTree(path_);
  std::filesystem::create_directories(path_);
}

}  // namespace test_support
