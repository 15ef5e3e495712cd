#include "framework/run/startup.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <utility>

#include "framework/app/exit_request.h"
#include "framework/app/app_services.h"
#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/app/data_path.h"
#include "framework/base/framework_messages.h"
#include "framework/app/message_box.h"
#include "framework/app/save_report.h"
#include "framework/run/startup_core.h"
#include "framework/hotkey/key_names_win32.h"
#include "framework/run/hidden_window.h"
#include "framework/store/config_backup.h"
#include "framework/store/config_archive.h"
#include "framework/store/config_archive_win32.h"
#include "framework/store/config_file.h"
#include "framework/store/record_forms.h"
#include "framework/ui/bar_core.h"
#include "framework/ui/frame_core.h"
#include "framework/ui/ui_item.h"
#include "framework/util/crc32.h"
#include "framework/util/file_collector.h"
#include "framework/util/file_replace.h"
#include "framework/util/files.h"
#include "framework/util/monitors.h"
#include "framework/util/shell_util.h"
#include "framework/util/status_codes.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"
#include "zip/win32/zip_win32.h"

namespace {

constexpr char kInstallRecordKey[] = "Software\\Brindlex";
constexpr char kAppStateRecord[] = "(Orvo)App";
constexpr char kCommandLineRecord[] = "(Orvo)Cmd";
constexpr std::uint32_t kStartupBoxFlags = 0x111;  // error icon, OK, first line bold
constexpr std::uint32_t kTextStartupError = 0xF003;
constexpr std::uint32_t kTextDataPath = 0xF008;    // 0 the error, 1 the waiter's tip, 2 its Quit item
constexpr std::uint32_t kTextConfiguration = 0xF009;
constexpr unsigned kRestoreDamagedIndex = 5;
constexpr unsigned kRestoreIncompleteIndex = 6;
constexpr WORD kTrayIconId = 1;
// How long a start waits for the running instance, its hidden window to
// answer or its mark to be given up, before it ends without having reached
// it; how long that window may take to answer; and how often, while the mark
// stays held, the start looks for the window again.
constexpr DWORD kRunningInstanceWaitMs = 10000;
constexpr DWORD kInstanceAnswerMs = 2000;
constexpr DWORD kRunningInstancePollMs = 50;

const char* TextOr(unsigned id, unsigned index, const char* fallback) noexcept {
  const char* text = GetText(id, index);
  return text != nullptr ? text : fallback;
}

void ShowStartupError(std::uint32_t code) noexcept {
  (void)ShowMessageBox(gApp, nullptr, gApp.appName, TextOr(kTextStartupError, 0, "Error 0x%08X"), kStartupBoxFlags,
                       0, code);
}

void ShowFolderMessage(unsigned id, unsigned index, const char* folder) noexcept {
  (void)ShowMessageBox(gApp, nullptr, gApp.appName, TextOr(id, index, "%s"), kStartupBoxFlags, 0, folder);
}

template <typename F>
F ProcFrom(HMODULE module, const char* name) noexcept {
  return module != nullptr ? reinterpret_cast<F>(GetProcAddress(module, name)) : nullptr;
}

// The modules are part of every process that has windows; they are asked,
// not loaded.
void MakeDpiAware() noexcept {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  using SetAwarenessFn = HRESULT(WINAPI*)(int);
  constexpr auto kPerMonitorV2 = static_cast<std::intptr_t>(-4);
  if (const auto setContext = ProcFrom<SetContextFn>(GetModuleHandleA("user32"), "SetProcessDpiAwarenessContext")) {
    (void)setContext(reinterpret_cast<HANDLE>(kPerMonitorV2));
  } else if (const auto setAwareness = ProcFrom<SetAwarenessFn>(GetModuleHandleA("shcore"), "SetProcessDpiAwareness")) {
    (void)setAwareness(2);  // per monitor
  } else {
    (void)SetProcessDPIAware();
  }
}

void TakeIdentity(HINSTANCE hInstance, std::uint16_t appTextId, TextRecord* productTextTable,
                  const char* commandLine) noexcept {
  gApp.hInstance = hInstance;
  gApp.appTextId = appTextId;
  (void)CopyText(gApp.commandLine, sizeof gApp.commandLine, commandLine != nullptr ? commandLine : "");
  InstallAppTexts(productTextTable);
  (void)CopyText(gApp.appName, sizeof gApp.appName, TextOr(appTextId, 0, ""));
  gApp.processId = GetCurrentProcessId();
  gApp.controlMsg = RegisterWindowMessageA(kControlMessageName);
  gApp.appCrc = Crc32(gApp.appName, kCrc32String);
  RefreshMonitorTable();
  gApp.doubleClickTime = GetDoubleClickTime();
}

void ReadProgramFile() noexcept {
  const DWORD length = GetModuleFileNameA(gApp.hInstance, gApp.modulePath, sizeof gApp.modulePath);
  if (length == 0 || length >= sizeof gApp.modulePath) gApp.modulePath[0] = '\0';
  (void)CopyText(gApp.programFolder, sizeof gApp.programFolder, gApp.modulePath);
  (void)CutAtLastBackslash(gApp.programFolder);
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeA(gApp.modulePath, &unused);
  if (size == 0) return;
  const std::unique_ptr<std::uint8_t[]> info(new (std::nothrow) std::uint8_t[size]);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!info || !GetFileVersionInfoA(gApp.modulePath, 0, size, info.get()) ||
      !VerQueryValueA(info.get(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
      fixedSize < sizeof *fixed) {
    return;
  }
  gApp.versionMajor = HIWORD(fixed->dwFileVersionMS);
  gApp.versionMinor = LOWORD(fixed->dwFileVersionMS);
  gApp.versionBuild = HIWORD(fixed->dwFileVersionLS);
}

// The installer's record: a value named after the application. Anything
// short of a whole record is no record.
bool ReadInstallRecord() noexcept {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
  const CRegistryKey key(raw);
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), gApp.appName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) {
    return false;
  }
  const std::unique_ptr<std::uint8_t[]> value(new (std::nothrow) std::uint8_t[size]());
  DWORD read = size;
  if (!value || RegQueryValueExA(key.Get(), gApp.appName, nullptr, nullptr, value.get(), &read) != ERROR_SUCCESS) {
    return false;
  }
  return CopyInstallRecord(value.get(), read, gApp.install);
}

void ChooseAppDataFolders() noexcept {
  char appData[MAX_PATH] = {};
  char commonAppData[MAX_PATH] = {};
  char user[MAX_PATH] = {};
  DWORD userLength = sizeof user;
  if (gApp.install.customDataPath == 0) {
    (void)GetSpecialFolderPath(CSIDL_APPDATA, appData);
    (void)GetSpecialFolderPath(CSIDL_COMMON_APPDATA, commonAppData);
  } else if (gApp.install.perUserDataPath != 0 && !GetUserNameA(user, &userLength)) {
    user[0] = '\0';
  }
  // A folder that does not fit is left empty, which the check that follows
  // reports as unusable.
  (void)ChooseDataFolders(gApp.install, DataFolderSources{appData, commonAppData, gApp.appName, user},
                          gApp.dataFolder, gApp.allUsersDataFolder);
}

// Waits for a data folder (without limit with "-WAITFORDATAPATH") and proves
// it writable.
std::uint32_t CheckDataFolder(CDataPathWaiter& waiter, const char* folder, int cycles) noexcept {
  char tip[260];
  std::snprintf(tip, sizeof tip, "%s: %s", gApp.appName, TextOr(kTextDataPath, 1, ""));
  char quitText[260];
  std::snprintf(quitText, sizeof quitText, TextOr(kTextDataPath, 2, "%s"), gApp.appName);
  switch (waiter.WaitForDataPath(folder, cycles, kTrayIconId, tip, quitText)) {
    case DataPathWait::kQuit:
      return kStatusDataFolderUnusable;
    case DataPathWait::kGaveUp:
      ShowFolderMessage(kTextDataPath, 0, folder);
      return kStatusDataFolderUnusable;
    case DataPathWait::kReady:
      break;
  }
  if (TestDataPathWritable(folder) != WriteTest::kWritable) {
    ShowFolderMessage(kTextDataPath, 0, folder);
    return kStatusDataFolderUnusable;
  }
  return kStatusOk;
}

std::uint32_t CheckDataFolders(CDataPathWaiter& waiter, int commandLineMode) noexcept {
  const int cycles = commandLineMode == kCommandLineWaitForData ? -1 : 1;
  const std::uint32_t result = CheckDataFolder(waiter, gApp.dataFolder, cycles);
  if (result != kStatusOk || EqualNoCase(gApp.allUsersDataFolder, gApp.dataFolder)) return result;
  return CheckDataFolder(waiter, gApp.allUsersDataFolder, cycles);
}

// Whether this start made the session's instance mark (it then owns it, in
// `mark`), found it made by another start (a handle to wait on in `held`,
// unless it refuses this start), or could not use the name at all. Making it
// is the test and the claim in one step: of two starts at the same moment
// exactly one makes it.
enum class InstanceClaim { kClaimed, kHeldByOther, kNoMark };

InstanceClaim ClaimInstanceMark(const char* name, CKernelHandle& mark, CKernelHandle& held) noexcept {
  CKernelHandle made(CreateMutexA(nullptr, TRUE, name));
  const DWORD error = GetLastError();
  // A mark made by an elevated instance is there but refuses this one.
  if (!made) return error == ERROR_ACCESS_DENIED ? InstanceClaim::kHeldByOther : InstanceClaim::kNoMark;
  if (error == ERROR_ALREADY_EXISTS) {
    held = std::move(made);
    return InstanceClaim::kHeldByOther;
  }
  mark = std::move(made);
  return InstanceClaim::kClaimed;
}

// "-QUIT" only looks: a handle to wait on in `held` when the mark is there.
bool FindInstanceMark(const char* name, CKernelHandle& held) noexcept {
  held.Reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name));
  return held.Valid() || GetLastError() == ERROR_ACCESS_DENIED;
}

// The running instance's hidden window, when it is there and answers. One
// that does not answer belongs to an instance that is busy starting or is
// ending: a signal posted to it may never be acted on.
bool RunningInstanceAnswers() noexcept {
  const HWND window = FindPhantomWindow(gApp.appName);
  if (window == nullptr) return false;
  DWORD_PTR answer = 0;
  // The control message with a value it does not define asks nothing of the
  // window, and it passes the message filter of an elevated instance.
  return SendMessageTimeoutA(window, gApp.controlMsg, 0, static_cast<LPARAM>(gApp.appCrc),
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kInstanceAnswerMs, &answer) != 0;
}

// Waits up to `milliseconds` for the mark (when there is a handle to wait on)
// while the thread's messages are handled: a start that waits still answers
// what is sent to it, and its launcher sees it ready for input. True when
// the mark was taken, its holder having given it up or ended.
bool WaitForMarkPumping(HANDLE mark, DWORD milliseconds) noexcept {
  const DWORD start = GetTickCount();
  const DWORD count = mark != nullptr ? 1 : 0;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return false;
    const DWORD woke = MsgWaitForMultipleObjectsEx(count, count != 0 ? &mark : nullptr, milliseconds - elapsed,
                                                   QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count != 0 && (woke == WAIT_OBJECT_0 || woke == WAIT_ABANDONED_0)) return true;
    if (woke == WAIT_FAILED) return false;
  }
}

// A running instance keeps the data folder's files in use and writes its
// state at its exit: a second start must end before it touches them, or the
// folder. The instance whose hidden window answers is told to show itself
// or, with "-QUIT", to quit. One that holds the mark without an answering
// window is still starting or is ending: the start waits, handling its
// messages, for the window to answer or for the mark, which it then takes
// (with "-QUIT": the instance is gone). At the bound it ends without having
// reached the instance. "-QUIT" never keeps the mark.
std::uint32_t SignalRunningInstance(std::uint8_t allowMultiple, int commandLineMode) noexcept {
  const bool quit = commandLineMode == kCommandLineQuit;
  if (allowMultiple != 0 && !quit) return kStatusOk;
  char name[kMaxPathText];
  InstanceObjectName(gApp.appName, gApp.appCrc, name);
  const DWORD start = GetTickCount();
  for (;;) {
    CKernelHandle held;
    bool markedByOther = false;
    if (quit) {
      markedByOther = FindInstanceMark(name, held);
    } else {
      const InstanceClaim claim = ClaimInstanceMark(name, gApp.instanceMark, held);
      if (claim == InstanceClaim::kClaimed) return kStatusOk;
      markedByOther = claim == InstanceClaim::kHeldByOther;
    }
    if (RunningInstanceAnswers()) {
      PostMessageA(HWND_BROADCAST, gApp.controlMsg, quit ? WM_FW_QUIT : WM_FW_SHOW, static_cast<LPARAM>(gApp.appCrc));
      return kStatusOtherInstance;
    }
    // Without a mark the window was the whole test: there is no instance.
    if (!markedByOther) return quit ? kStatusOtherInstance : kStatusOk;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= kRunningInstanceWaitMs) return kStatusInstanceNotAnswering;
    const DWORD slice = kRunningInstanceWaitMs - elapsed < kRunningInstancePollMs ? kRunningInstanceWaitMs - elapsed
                                                                                  : kRunningInstancePollMs;
    if (WaitForMarkPumping(held.Get(), slice)) {
      if (quit) {
        ReleaseMutex(held.Get());
        return kStatusOtherInstance;
      }
      gApp.instanceMark = std::move(held);
      return kStatusOk;
    }
  }
}

// The framework's own records, by their forms. Nothing reads the command
// line record back, but it is a text all the same.
constexpr RecordForm kFrameworkRecordForms[] = {
    {kAppStateRecord, RecordFormKind::kFixedSize, sizeof(AppSettingsRecord), false},
    {kCommandLineRecord, RecordFormKind::kText, 0, false},
    {kPlacementRecordName, RecordFormKind::kFixedSize, sizeof(WindowPlacementRecord), true},
    {kBarRecordName, RecordFormKind::kFixedSize, sizeof(BarPlacementRecord), true},
};

// Whether the temporary at tempPath holds the record recordName whole. The
// temporary of a record whose form neither the framework nor the table of
// the services gives cannot be told from one cut short (the first write of
// a record that was not there yet, cut by a power loss, leaves one too): it
// is never put in place, where its owner would take cut bytes for the
// record, but kept aside as it is, so that nothing of it is lost.
TempContents LeftoverContents(const char* tempPath, const char* recordName) noexcept {
  const RecordForm* form =
      FindRecordForm(kFrameworkRecordForms, std::size(kFrameworkRecordForms), recordName, kRecordExtension);
  if (form == nullptr) form = FindServiceRecordForm(recordName, kRecordExtension);
  return form != nullptr ? ContentsAsRecord(tempPath, *form) : TempContents::kUnknownForm;
}

// Temporaries that earlier runs left in the data folder and the archive
// folder (killed, a worker that outlived the shut-down's wait, a replace cut
// short by a power loss), which no write of theirs will put in place or
// remove any more. Before anything reads a record: a temporary may be the
// only copy of one.
void SettleLeftoversOfEarlierRuns() noexcept {
  (void)SettleLeftoverTemporaries(gApp.dataFolder, kRecordExtension, &LeftoverContents);
  char archives[MAX_PATH];
  GetServiceArchiveFolder(archives, sizeof archives);
  if (archives[0] != '\0') (void)SettleLeftoverTemporaries(archives, kRecordExtension, &LeftoverContents);
}

// The data folder's first start: the install folder's "Init" files are
// copied in, none over an existing file and into no new folder.
void CopyFirstStartFiles(CFileCollector& collector) noexcept {
  char appRecord[MAX_PATH];
  if (!JoinPath(appRecord, sizeof appRecord, gApp.dataFolder, "(Orvo)App.oqc") ||
      GetFileAttributesA(appRecord) != INVALID_FILE_ATTRIBUTES || gApp.install.installFolder[0] == '\0') {
    return;
  }
  char init[MAX_PATH];
  if (!JoinPath(init, sizeof init, gApp.install.installFolder, "Init") || CollectFiles(collector, init, "*.*") <= 0) {
    return;
  }
  const std::size_t rootLength = std::strlen(collector.root);
  for (const CollectedPath& file : collector.files) {
    if (std::strlen(file.text) <= rootLength) continue;
    char target[MAX_PATH];
    if (JoinPath(target, sizeof target, gApp.dataFolder, file.text + rootLength + 1)) {
      (void)CopyFileA(file.text, target, TRUE);
    }
  }
}

struct ZipCloser {
  void operator()(ZipHandle* handle) const noexcept { (void)CloseZip(handle); }
};
using ZipOwner = std::unique_ptr<ZipHandle, ZipCloser>;

enum class RestoreOutcome { kApplied, kDamaged, kIncomplete };

// Sends one file to the Recycle Bin without any dialog; failures are left as
// they are.
void RecycleFile(const char* path) noexcept {
  char from[MAX_PATH + 1] = {};  // a list of names, ended by an empty one
  if (!CopyText(from, MAX_PATH, path)) return;
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from;
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
  (void)SHFileOperationA(&op);
}

// Empties the data folder but for the files that the archive keeps (its first
// entry's pattern list) and the configuration archives, then extracts the
// archive's files into it.
RestoreOutcome ApplyRestoreArchive(const char* path, CFileCollector& collector) noexcept {
  // Only an archive that is whole may empty the data folder.
  if (CheckConfigurationArchive(path, gApp.appName) != ConfigArchiveCheck::kUsable) return RestoreOutcome::kDamaged;
  const ZipOwner zip(OpenZipFile(path, nullptr));
  int productIndex = -1;
  if (!zip || FindZipEntry(zip.get(), gApp.appName, 0, &productIndex, nullptr) != kZipOk) {
    return RestoreOutcome::kDamaged;
  }
  // The keep list ends at the first zero byte (the backup's version follows).
  char keepPatterns[2600] = {};
  (void)UnzipEntryToMemory(zip.get(), productIndex, keepPatterns, sizeof keepPatterns - 1);
  CFileCollector keep;
  // The list is taken as it is: a '%' in it is no format.
  if (keepPatterns[0] != '\0') (void)InitFileCollector(keep, gApp.dataFolder, "%s", keepPatterns);
  char archiveFolder[MAX_PATH];
  GetServiceArchiveFolder(archiveFolder, sizeof archiveFolder);
  (void)CollectFiles(collector, gApp.dataFolder, "*.*");
  for (const CollectedPath& file : collector.files) {
    bool kept = RestoreKeepsArchive(file.text, gApp.dataFolder, archiveFolder);
    for (int i = 0; !kept && i < keep.files.Count(); ++i) kept = std::strcmp(keep.files[i].text, file.text) == 0;
    if (!kept) RecycleFile(file.text);
  }
  (void)SetUnzipBaseDir(zip.get(), gApp.dataFolder);
  ZipEntryInfo info{};
  (void)GetZipEntry(zip.get(), -1, &info);
  const int count = info.index;
  bool complete = true;
  for (int i = 0; i < count; ++i) {
    if (i == productIndex) continue;
    if (GetZipEntry(zip.get(), i, &info) != kZipOk || UnzipEntryToFile(zip.get(), i, info.name) != kZipOk) {
      complete = false;
    }
  }
  return complete ? RestoreOutcome::kApplied : RestoreOutcome::kIncomplete;
}

// The pending restore or reset that the configuration backup placed in the
// data folder.
void ApplyPendingRestore(CFileCollector& collector) noexcept {
  char path[MAX_PATH];
  const int length =
      std::snprintf(path, sizeof path, "%s\\%s.%s", gApp.dataFolder, gApp.appName, kConfigArchiveExtension);
  if (length <= 0 || length >= static_cast<int>(sizeof path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  switch (ApplyRestoreArchive(path, collector)) {
    case RestoreOutcome::kApplied:
      (void)DeleteFileA(path);
      break;
    case RestoreOutcome::kDamaged:
      // Nothing was touched; the user's backup that was staged here is still
      // where it came from.
      ShowFolderMessage(kTextConfiguration, kRestoreDamagedIndex, path);
      (void)DeleteFileA(path);
      break;
    case RestoreOutcome::kIncomplete:
      // The data folder is already emptied: the archive is the configuration
      // now, and the next start tries again.
      ShowFolderMessage(kTextConfiguration, kRestoreIncompleteIndex, path);
      break;
  }
}

void ReadAppSettings(std::uint32_t settingsVersion) noexcept {
  std::uint32_t count = 0;
  const RecordRead read = ReadConfigFileChecked(kAppStateRecord, -1, &gApp.settings, sizeof gApp.settings, 0, &count);
  gApp.settingsVersionChanged = NormalizeAppSettings(gApp.settings, settingsVersion) ? 1 : 0;
  // A record that is there but could not be read (held by another program,
  // a read error) is the user's still: the state saved at exit must not put
  // defaults in its place.
  gApp.settingsLoaded = read != RecordRead::kUnreadable ? 1 : 0;
}

void SetUpThemeFonts() noexcept {
  ComputeAppColours();
  const CDcHandle screen;
  const int dpi = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
  ThemeSetUiFont(gApp.theme, gApp.settings.uiFontFace, static_cast<int>(gApp.settings.uiFontSize), dpi);
}

std::uint32_t InitCommonControlsAll() noexcept {
  if (!IsComCtlAbove470()) return kStatusOldCommonControls;
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = 0xFFFFFFFFu;
  (void)InitCommonControlsEx(&icc);
  return kStatusOk;
}

void AdmitShellMessages() noexcept {
  gApp.taskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
  using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
  if (const auto filter = ProcFrom<FilterFn>(GetModuleHandleA("user32"), "ChangeWindowMessageFilter")) {
    constexpr DWORD kAdd = 1;
    (void)filter(gApp.taskbarCreatedMsg, kAdd);
    (void)filter(gApp.controlMsg, kAdd);
  }
}

void ReadSystemVersion() noexcept {
  using GetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  gApp.osVersion = 0;
  if (const auto getVersion = ProcFrom<GetVersionFn>(GetModuleHandleA("ntdll"), "RtlGetVersion")) {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (getVersion(&v) == 0) gApp.osVersion = OsVersionFrom(v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber);
  }
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  BOOL wow64 = FALSE;
  const auto isWow64 = ProcFrom<IsWow64Fn>(GetModuleHandleA("kernel32"), "IsWow64Process");
  gApp.isWow64 = isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
}

void CreateHiddenWindows() noexcept {
  (void)CreateAppHiddenWindow();
  (void)RegisterUIItemClass();
  gApp.tooltipWindow = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                       nullptr, gApp.hInstance, nullptr);
  if (gApp.tooltipWindow != nullptr) {
    SetWindowPos(gApp.tooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  }
}

std::uint32_t RunStartup(HINSTANCE hInstance, std::uint16_t appTextId, TextRecord* productTextTable,
                         std::uint8_t allowMultiple, std::uint32_t settingsVersion, const char* commandLine,
                         int nCmdShow) noexcept {
  // Released on every way out, after the steps that used them.
  CFileCollector collector;
  CDataPathWaiter waiter;

  if (gApp.oleInitialized == 0 && SUCCEEDED(OleInitialize(nullptr))) gApp.oleInitialized = 1;
  MakeDpiAware();
  TakeIdentity(hInstance, appTextId, productTextTable, commandLine);
  CompleteKeyNameTable();

  gApp.theme.instance = hInstance;
  gApp.theme.windowDpi = &GetWindowDpi;
  if (const int themeError = ThemeCreateDc(gApp.theme); themeError != 0) {
    ShowStartupError(static_cast<std::uint32_t>(themeError));
    return static_cast<std::uint32_t>(themeError);
  }

  gApp.startMinimized = IsMinimizedShowCommand(nCmdShow) ? 1 : 0;
  const int commandLineMode = ParseCommandLine(gApp.commandLine);
  ReadProgramFile();

  if (!ReadInstallRecord()) {
    ShowStartupError(kStatusNoInstallRecord);
    return kStatusNoInstallRecord;
  }
  ChooseAppDataFolders();
  // Before the data folder's write test, which two starts at the same moment
  // would make fail for one of them.
  if (const std::uint32_t r = SignalRunningInstance(allowMultiple, commandLineMode); r != kStatusOk) return r;
  if (const std::uint32_t r = CheckDataFolders(waiter, commandLineMode); r != kStatusOk) return r;

  SettleLeftoversOfEarlierRuns();
  CopyFirstStartFiles(collector);
  ApplyPendingRestore(collector);
  ReadAppSettings(settingsVersion);
  ReportRecordWrite(WriteConfigFileChecked(kCommandLineRecord, -1, gApp.commandLine,
                                           static_cast<std::uint32_t>(std::strlen(gApp.commandLine) + 1), 0),
                    kCommandLineRecord, -1, 0, SaveOccasion::kBackground);

  SetUpThemeFonts();
  if (const std::uint32_t r = InitCommonControlsAll(); r != kStatusOk) {
    ShowStartupError(r);
    return r;
  }
  AdmitShellMessages();
  ReadSystemVersion();
  CreateHiddenWindows();
  if (const std::uint32_t r = RegisterStandardCommands(); r != kStatusOk) {
    CloseAppHiddenWindow();
    ShowStartupError(r);
    return r;
  }
  RunServiceDueTests();
  return kStatusOk;
}

}  // namespace

std::uint32_t InitApplication(HINSTANCE hInstance, std::uint16_t appTextId, TextRecord* productTextTable,
                              std::uint8_t allowMultiple, std::uint32_t settingsVersion, const char* commandLine,
                              int nCmdShow) noexcept {
  const std::uint32_t result =
      RunStartup(hInstance, appTextId, productTextTable, allowMultiple, settingsVersion, commandLine, nCmdShow);
  // A start-up that ended early has not run the program: its exit must not
  // replace the user's state with what start-up had filled in by then.
  if (result != kStatusOk) gApp.noStateSave = 1;
  return result;
}
