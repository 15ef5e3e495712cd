#include "framework/app/help.h"

#include <shellapi.h>

#include <cstdint>

#include "framework/object/application.h"
#include "framework/app/help_core.h"
#include "framework/app/message_box.h"
#include "framework/text/text_table.h"
#include "framework/util/text_util.h"

namespace {

constexpr std::uint16_t kHelpTextId = 0xF007;  // 0: no viewer, 1: no file
constexpr std::uint32_t kHelpMessageFlags = kMsgBoxError | kMsgBoxOk | kMsgBoxBoldFirstLine;

bool FileExists(const char* path) noexcept { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

HelpResult HelpFailure(HelpResult result, unsigned textIndex, const char* name) noexcept {
  (void)ShowMessageBox(gApp, nullptr, gApp.appName, GetText(kHelpTextId, textIndex), kHelpMessageFlags, 0,
                       name != nullptr ? name : "");
  return result;
}

// The name after the last folder separator: a help file that is not where
// it was named is looked for beside the program under its own name.
const char* FileNamePart(const char* path) noexcept {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}

}  // namespace

HelpResult ShowHelpTopic(const char* file, const char* topic) noexcept {
  if (!IsCompiledHelpName(file)) return HelpResult::kNotHelpFile;

  char path[MAX_PATH] = {};
  if (FileExists(file)) {
    CopyText(path, sizeof path, file);
  } else if (!JoinPath(path, sizeof path, gApp.programFolder, FileNamePart(file))) {
    // Not even its name fits beside the program: there is no such file.
    return HelpFailure(HelpResult::kNoFile, 1, file);
  }
  GetShortPathNameA(path, path, sizeof path);  // a file that does not exist keeps its long name

  char viewer[MAX_PATH] = {};
  const auto found = reinterpret_cast<INT_PTR>(FindExecutableA(path, nullptr, viewer));
  if (found == SE_ERR_NOASSOC) return HelpFailure(HelpResult::kNoViewer, 0, file);
  if (!FileExists(path)) return HelpFailure(HelpResult::kNoFile, 1, path);

  char parameter[2 * MAX_PATH + 8];
  if (found <= 32 || !FormatHelpParameter(parameter, sizeof parameter, path, topic)) {
    return HelpFailure(HelpResult::kNotStarted, 0, file);
  }
  const auto started =
      reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, viewer, parameter, nullptr, SW_SHOWNORMAL));
  return started > 32 ? HelpResult::kStarted : HelpFailure(HelpResult::kNotStarted, 0, file);
}
