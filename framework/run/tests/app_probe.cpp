// A second process for the tests of the hidden window and the restart.
//   app_probe post <wParam> <lParam> [<wParam> <lParam> ...]
//     broadcasts the framework control message with each pair, in order;
//   with VELTRANO_PROBE_OUT set: writes its own command line, without the
//     program name, to that file (through a temporary file and a rename, so
//     that a reader never sees half of it).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/base/framework_messages.h"
#include "tests/support/win32/win_test_support.h"

namespace {

int RecordCommandLine(const char* target) {
  const std::string temp = std::string(target) + ".part";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return 2;
  const char* arguments = test_support::ArgumentsOf(GetCommandLineA());
  const bool ok = std::fwrite(arguments, 1, std::strlen(arguments), f) == std::strlen(arguments);
  if (std::fclose(f) != 0 || !ok) return 3;
  return MoveFileExA(temp.c_str(), target, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv) {
  char out[MAX_PATH];
  const DWORD outLength = GetEnvironmentVariableA("VELTRANO_PROBE_OUT", out, sizeof out);
  if (outLength > 0 && outLength < sizeof out) return RecordCommandLine(out);
  if (argc < 2 || std::strcmp(argv[1], "post") != 0 || argc % 2 != 0) return 1;
  const UINT message = RegisterWindowMessageA(kControlMessageName);
  for (int i = 2; i + 1 < argc; i += 2) {
    const WPARAM wParam = static_cast<WPARAM>(std::strtoull(argv[i], nullptr, 0));
    const LPARAM lParam = static_cast<LPARAM>(std::strtoull(argv[i + 1], nullptr, 0));
    if (!PostMessageA(HWND_BROADCAST, message, wParam, lParam)) return 5;
  }
  return 0;
}
