#include "framework/app/file_dialogs.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <string>

#include "framework/app/file_dialogs_core.h"
#include "framework/util/win_handles.h"

namespace {

constexpr std::size_t kPathSize = 260;
constexpr DWORD kSaveFlags =
    OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr DWORD kOpenFlags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
static_assert(kSaveFlags == 0x88080E && kOpenFlags == 0x88100C, "the dialogs' flags");

char gChosenName[kPathSize];

std::wstring WidenAnsi(const char* text) {
  if (text == nullptr || text[0] == '\0') return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n) != n) return std::wstring();
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

// Frees a string that the shell allocated.
class CCoString {
 public:
  CCoString() noexcept = default;
  ~CCoString() { CoTaskMemFree(s_); }
  CCoString(const CCoString&) = delete;
  CCoString& operator=(const CCoString&) = delete;
  PWSTR* Put() noexcept { return &s_; }
  [[nodiscard]] const wchar_t* Get() const noexcept { return s_; }

 private:
  PWSTR s_ = nullptr;
};

}  // namespace

bool WidePathToAnsi(const wchar_t* wide, char* path, std::size_t size) noexcept {
  if (wide == nullptr || path == nullptr || size == 0 || size > kPathSize) return false;
  // A UTF-8 code page can represent every name and refuses the flags that
  // detect substitutes.
  const bool utf8 = GetACP() == CP_UTF8;
  char converted[kPathSize];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, converted,
                                    static_cast<int>(size), nullptr, utf8 ? nullptr : &usedDefault);
  if (n <= 0 || usedDefault) return false;
  std::memcpy(path, converted, static_cast<std::size_t>(n));
  return true;
}

const char* ShowFileDialog(bool save, const char* filter, int filterIndex, std::uint8_t* outFilterIndex, char* folder,
                           const char* initialName) noexcept {
  gChosenName[0] = '\0';
  if (initialName != nullptr) lstrcpynA(gChosenName, initialName, static_cast<int>(kPathSize));

  char defaultExtension[kPathSize];
  const bool hasExtension = DefaultExtensionOfFilter(filter, filterIndex, defaultExtension, sizeof defaultExtension);

  OPENFILENAMEA ofn{};
  static_assert(sizeof(OPENFILENAMEA) == (sizeof(void*) == 8 ? 152 : 88), "the full structure");
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex + 1);
  ofn.lpstrFile = gChosenName;
  ofn.nMaxFile = static_cast<DWORD>(kPathSize);
  ofn.lpstrInitialDir = folder;
  ofn.lpstrDefExt = hasExtension ? defaultExtension : nullptr;
  ofn.Flags = save ? kSaveFlags : kOpenFlags;

  const auto show = [&]() -> BOOL { return save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn); };
  BOOL chosen = show();
  if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
    // The proposed name was refused before the dialog opened: once more
    // without it.
    gChosenName[0] = '\0';
    chosen = show();
  }
  if (!chosen) {
    gChosenName[0] = '\0';
    return nullptr;
  }

  if (folder != nullptr) {
    std::size_t cut = ofn.nFileOffset;
    const std::size_t length = std::strlen(gChosenName);
    if (cut > length) cut = length;
    if (cut >= kPathSize) cut = kPathSize - 1;
    std::memcpy(folder, gChosenName, cut);
    folder[cut] = '\0';
  }
  if (outFilterIndex != nullptr) *outFilterIndex = static_cast<std::uint8_t>(ofn.nFilterIndex - 1);
  return gChosenName;
}

int BrowseForFolder(const char* title, char* path, bool fileSystemOnly) noexcept {
  if (path == nullptr) return kFolderNotChosen;
  CComRef<IFileDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                              dialog.PutVoid()))) {
    return kFolderNotChosen;
  }
  // The options first: folder mode may bring a title of its own.
  FILEOPENDIALOGOPTIONS options = FOS_PICKFOLDERS;
  if (fileSystemOnly) options |= FOS_FORCEFILESYSTEM;
  if (FAILED(dialog->SetOptions(options))) return kFolderNotChosen;
  if (title != nullptr && title[0] != '\0') {
    const std::wstring wideTitle = WidenAnsi(title);
    if (!wideTitle.empty()) dialog->SetTitle(wideTitle.c_str());
  }
  if (path[0] != '\0') {
    // A folder that cannot be parsed leaves the dialog at its own default.
    const std::wstring widePath = WidenAnsi(path);
    CComRef<IShellItem> start;
    if (!widePath.empty() &&
        SUCCEEDED(SHCreateItemFromParsingName(widePath.c_str(), nullptr, IID_IShellItem, start.PutVoid()))) {
      dialog->SetFolder(start.Get());
    }
  }
  if (dialog->Show(nullptr) != S_OK) return kFolderNotChosen;

  CComRef<IShellItem> result;
  if (FAILED(dialog->GetResult(result.Put())) || !result) return kFolderNotChosen;
  CCoString name;
  if (FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, name.Put())) || name.Get() == nullptr) {
    return kFolderNotChosen;
  }
  return WidePathToAnsi(name.Get(), path, kPathSize) ? kFolderChosen : kFolderNotChosen;
}
