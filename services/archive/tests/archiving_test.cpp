#include "services/archive/archiving.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/ui/window_list.h"
#include "framework/ui/frame_window.h"
#include "tests/support/win32/dialog_checks.h"
#include "tests/support/win32/win_test_support.h"
#include "framework/util/text_util.h"
#include "services/archive/archive_dialog.h"
#include "services/archive/file_finder.h"
#include "services/archive/res/archive_dialog_ids.h"
#include "zip/win32/zip_win32.h"

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

constexpr std::int64_t kDec1 = 1796083200;  // 2026-12-01 00:00:00 UTC
constexpr std::int64_t kDec15 = kDec1 + 14 * kSecondsPerDay;

enum class Writer { kGood, kFails, kDamaged, kIncomplete, kBlocking, kUntilCancelled };

std::atomic<std::int64_t> gNow{kDec1};
std::atomic<Writer> gWriter{Writer::kGood};
std::atomic<int> gWrites{0};
HANDLE gWriterEntered = nullptr;
HANDLE gWriterRelease = nullptr;

// Set: the next reading of the local clock first finishes a whole run, as a
// run on the worker can finish at any moment of the main thread's work.
std::atomic<bool> gRunOnClock{false};

std::int64_t FakeNow() noexcept { return gNow.load(); }
void FakeLocalNow(ArchiveDateTime* out) noexcept {
  if (gRunOnClock.exchange(false)) {
    EXPECT_EQ(RunArchiveNow(), kArchiveDone);
  }
  *out = ArchiveDateTime{2026, 12, 7, 9, 5, 3};
}

std::uint32_t FakeWriteArchive(const char* target, bool, const std::atomic<bool>* cancel) noexcept {
  ++gWrites;
  switch (gWriter.load()) {
    case Writer::kFails:
      return 2;
    case Writer::kDamaged:
      return WriteWholeFile(target, "PK\x03\x04 not an archive") ? 0 : 2;
    case Writer::kUntilCancelled:
      // Then writes a whole archive, as a writer that cannot stop does.
      SetEvent(gWriterEntered);
      test_support::WaitUntil([cancel] { return cancel->load(); }, 60000);
      break;
    case Writer::kBlocking:
      // Bounded only so that a second run that was wrongly let in fails the
      // test instead of hanging it: the test releases the first at once.
      SetEvent(gWriterEntered);
      WaitForSingleObject(gWriterRelease, 60000);
      break;
    case Writer::kGood:
    case Writer::kIncomplete:
      break;
  }
  ZipHandle* zip = CreateZipFile(target, nullptr);
  if (zip == nullptr) return 2;
  const bool added = ZipAddBuffer(zip, "Veltrano.cfg", "settings", 8) == kZipOk;
  if (CloseZip(zip) != kZipOk || !added) return 2;
  return gWriter.load() == Writer::kIncomplete ? 5 : 0;
}

// A file whose creation time is day days after an arbitrary start.
void MakeFileCreatedOn(const std::string& path, int day) {
  ASSERT_TRUE(WriteWholeFile(path, "old"));
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::uint64_t t = 133000000000000000ull + static_cast<std::uint64_t>(day) * 864000000000ull;
  const FILETIME created{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  EXPECT_TRUE(SetFileTime(file, &created, nullptr, nullptr));
  CloseHandle(file);
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  CFileFinder finder{};
  EXPECT_TRUE(InitFileFinder(finder, "%s\\*", folder.c_str()));
  while (FindNextMatch(finder)) {
    const std::string name = finder.findData.cFileName;
    if (name != "." && name != "..") names.insert(name);
  }
  return names;
}

class Archiving : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, (tmp_ / "data").c_str());
    gApp.install.dataPath[0] = '\0';
    SetArchiveEnvironment(ArchiveEnvironment{FakeNow, FakeLocalNow, FakeWriteArchive});
    gNow = kDec1;
    gWriter = Writer::kGood;
    gWrites = 0;
    ArchiveRecord record{};
    record.keepCount = 3;
    ApplyArchiveDefaults(record);
    SetArchiveSettings(record);
  }
  // Five archives of the product created on days 1 to 5, and files that are
  // no archives of it.
  void MakeOldArchives() {
    ASSERT_TRUE(CreateDirectoryA(gApp.dataFolder, nullptr));
    ASSERT_TRUE(CreateDirectoryA(backup_.c_str(), nullptr));
    for (int day = 1; day <= 5; ++day) MakeFileCreatedOn(backup_ + "\\veltrano-" + std::to_string(day) + ".BrindlexConfig", day);
    MakeFileCreatedOn(backup_ + "\\Other.BrindlexConfig", 0);
    MakeFileCreatedOn(backup_ + "\\Veltrano-notes.txt", 0);
  }
  static std::int64_t StoredLastArchive(const std::string& recordPath) {
    const std::string bytes = ReadWholeFile(recordPath);
    if (bytes.size() != sizeof(ArchiveRecord)) return -1;
    ArchiveRecord record;
    std::memcpy(&record, bytes.data(), sizeof record);
    return record.lastArchiveTime;
  }

  TempDir tmp_;
  const std::string backup_ = tmp_ / "data\\Backup";
  const std::string record_ = tmp_ / "data\\(Orvo)Archive.oqc";
};

TEST(ArchiveTokensWin32, ConfigDirStoredOrInUseAndEnvironmentAfterTokens) {
  CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
  CopyText(gApp.dataFolder, sizeof gApp.dataFolder, "C:\\InUse");
  SetArchiveEnvironment(ArchiveEnvironment{FakeNow, FakeLocalNow, nullptr});
  SetEnvironmentVariableA("ARCHIVE_TEST_DIR", "X:\\Env");
  SetEnvironmentVariableA("ARCHIVE_TEST_TOKEN", "%YEAR%");
  const std::string longValue(30, 'v');
  SetEnvironmentVariableA("ARCHIVE_TEST_LONG", longValue.c_str());
  const struct {
    const char* stored;
    const char* pattern;
    std::size_t capacity;
    const char* expected;  // null: refused
  } cases[] = {
      {"", "%CONFIGDIR%\\Backup", 260, "C:\\InUse\\Backup"},
      {"E:\\Stored", "%CONFIGDIR%\\Backup", 260, "E:\\Stored\\Backup"},
      {"", "%ARCHIVE_TEST_DIR%\\%PROGRAM%", 260, "X:\\Env\\Veltrano"},
      {"", "%ARCHIVE_TEST_TOKEN%", 260, "%YEAR%"},  // a variable's value holds no tokens
      {"", "%DATE%", 11, "07.12.2026"},
      {"", "%DATE%", 10, nullptr},
      {"", "%ARCHIVE_TEST_LONG%", 31, longValue.c_str()},
      {"", "%ARCHIVE_TEST_LONG%", 30, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " in " + std::to_string(c.capacity));
    CopyText(gApp.install.dataPath, sizeof gApp.install.dataPath, c.stored);
    char out[260];
    std::memset(out, 'x', sizeof out);
    const bool expanded = ExpandPathTokens(c.pattern, out, c.capacity);
    EXPECT_EQ(expanded, c.expected != nullptr);
    if (expanded) {
      EXPECT_STREQ(out, c.expected);
    }
  }
  gApp.install.dataPath[0] = '\0';
  // The folder a restore spares follows the same rule.
  char folder[260];
  GetScheduledArchiveFolder(folder, sizeof folder);
  EXPECT_STREQ(folder, "C:\\InUse\\Backup");
}

TEST_F(Archiving, RunWritesTheRecordAndKeepsExactlyTheNewestArchivesOfTheProduct) {
  MakeOldArchives();
  gNow = kDec15 + 3600;
  ASSERT_EQ(RunArchiveNow(), kArchiveDone);
  EXPECT_EQ(FilesIn(backup_),
            (std::set<std::string>{"Veltrano-2026.12.07.BrindlexConfig", "veltrano-5.BrindlexConfig",
                                   "veltrano-4.BrindlexConfig", "Other.BrindlexConfig", "Veltrano-notes.txt"}));
  EXPECT_EQ(StoredLastArchive(record_), kDec15);
  EXPECT_FALSE(IsArchiveRunning());
}

// A failed run prunes nothing and keeps the last time; what it wrote never
// replaces an archive of its name, and only an archive that lacks some
// files is left, where the name is free.
TEST_F(Archiving, FailedDamagedOrIncompleteArchiveNeverReplacesOneOfItsName) {
  MakeOldArchives();
  std::set<std::string> files = FilesIn(backup_);
  const std::string made = backup_ + "\\Veltrano-2026.12.07.BrindlexConfig";
  const struct {
    Writer writer;
    const char* before;  // at the archive's name, or null
    bool left;
  } cases[] = {{Writer::kFails, nullptr, false},     {Writer::kDamaged, nullptr, false},
               {Writer::kDamaged, "complete", false}, {Writer::kIncomplete, "complete", false},
               {Writer::kIncomplete, nullptr, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.writer));
    (void)DeleteFileA(made.c_str());
    if (c.before != nullptr) {
      ASSERT_TRUE(WriteWholeFile(made, c.before));
    }
    gWriter = c.writer;
    EXPECT_EQ(RunArchiveNow(), kArchiveFailed);
    std::set<std::string> expected = files;
    if (c.before != nullptr || c.left) expected.insert("Veltrano-2026.12.07.BrindlexConfig");
    EXPECT_EQ(FilesIn(backup_), expected);
    if (c.before != nullptr) {
      EXPECT_EQ(ReadWholeFile(made), c.before);
    }
    EXPECT_FALSE(Exists(record_));
  }
}

// The archive folder may be the data folder, where a restore stages its
// archive for the next start: no run deletes it or writes over it.
TEST_F(Archiving, TheStagedRestoreIsNeitherPrunedNorWrittenOver) {
  ASSERT_TRUE(CreateDirectoryA(gApp.dataFolder, nullptr));
  const std::string staged = tmp_ / "data\\Veltrano.BrindlexConfig";
  MakeFileCreatedOn(staged, 0);
  ArchiveRecord record = GetArchiveSettings();
  // Another spelling of the data folder.
  CopyText(record.pathPattern, sizeof record.pathPattern, "%CONFIGDIR%\\.");
  record.keepCount = 1;
  SetArchiveSettings(record);
  ASSERT_EQ(RunArchiveNow(), kArchiveDone);
  EXPECT_EQ(ReadWholeFile(staged), "old");
  EXPECT_TRUE(Exists(tmp_ / "data\\Veltrano-2026.12.07.BrindlexConfig"));
  CopyText(record.namePattern, sizeof record.namePattern, "%PROGRAM%");
  SetArchiveSettings(record);
  EXPECT_EQ(RunArchiveNow(), kArchiveFailed);
  EXPECT_EQ(ReadWholeFile(staged), "old");
}

TEST_F(Archiving, PathsThatCannotBeMadeAreRefusedBeforeWriting) {
  ArchiveRecord record = GetArchiveSettings();
  // Fits 260 characters alone, but not with the name and ".BrindlexConfig".
  CopyText(record.pathPattern, sizeof record.pathPattern, (tmp_ / std::string(230 - tmp_.Path().size(), 'f')).c_str());
  SetArchiveSettings(record);
  EXPECT_EQ(RunArchiveNow(), kArchiveFailed);
  record.pathPattern[0] = '\0';
  SetArchiveSettings(record);
  EXPECT_EQ(RunArchiveNow(), kArchiveNoPath);
  EXPECT_EQ(gWrites.load(), 0);
}

TEST_F(Archiving, DueTestStartsOneRunAndRefusesASecondWhileItRuns) {
  ArchiveRecord record = GetArchiveSettings();
  record.enabled = 1;
  record.lastArchiveTime = kDec1;
  SetArchiveSettings(record);
  ASSERT_TRUE(SaveArchiveSettings());
  gNow = kDec15;  // exactly the interval: not yet
  ArchiveIfDue();
  EXPECT_FALSE(IsArchiveRunning());

  gWriterEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gWriterRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gWriter = Writer::kBlocking;
  gNow = kDec15 + 1;
  ArchiveIfDue();
  ASSERT_EQ(WaitForSingleObject(gWriterEntered, 60000), WAIT_OBJECT_0);
  EXPECT_TRUE(IsArchiveRunning());
  EXPECT_FALSE(StartArchiveRun(false));
  EXPECT_EQ(RunArchiveNow(), kArchiveBusy);
  ArchiveIfDue();
  SetEvent(gWriterRelease);
  ASSERT_TRUE(test_support::WaitUntil([] { return !IsArchiveRunning(); }, 60000));
  EXPECT_EQ(gWrites.load(), 1);
  EXPECT_EQ(StoredLastArchive(record_), kDec15);
  ArchiveIfDue();  // the same day again: the run has moved the last time on
  EXPECT_FALSE(IsArchiveRunning());
  EXPECT_EQ(gWrites.load(), 1);
  CloseHandle(gWriterEntered);
  CloseHandle(gWriterRelease);
}

// At shut-down the run is told to stop and its worker is waited for, a
// bounded time: what it had not yet put in place is dropped.
TEST_F(Archiving, ShutDownStopsTheRunAndWaitsForItABoundedTime) {
  gWriterEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gWriterRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  for (const Writer writer : {Writer::kBlocking, Writer::kUntilCancelled}) {
    SCOPED_TRACE(static_cast<int>(writer));
    gWriter = writer;
    ResetEvent(gWriterEntered);
    ASSERT_TRUE(StartArchiveRun(false));
    ASSERT_EQ(WaitForSingleObject(gWriterEntered, 60000), WAIT_OBJECT_0);
    CancelArchiveRun();
    if (writer == Writer::kBlocking) {  // deaf to the request
      EXPECT_FALSE(WaitForArchiveRun(GetTickCount() + 300));
      SetEvent(gWriterRelease);
    }
    EXPECT_TRUE(WaitForArchiveRun(GetTickCount() + 60000));
    EXPECT_FALSE(IsArchiveRunning());
  }
  EXPECT_EQ(FilesIn(backup_), std::set<std::string>{});
  EXPECT_FALSE(Exists(record_));
  CloseHandle(gWriterEntered);
  CloseHandle(gWriterRelease);
}

// Another program holds the record while the worker writes it: the main
// thread's reads keep the settings in memory, and their save from the
// dialog, handed to the worker's write, returns once it is in the file.
TEST_F(Archiving, ASaveHandedToTheWorkersWriteOfAHeldRecordReturnsOnceItLanded) {
  ASSERT_TRUE(SaveArchiveSettings());
  CFileHandle held = test_support::OpenExisting(record_, test_support::kIndexerSharing);
  ASSERT_TRUE(held);
  ASSERT_TRUE(StartArchiveRun(false));
  ASSERT_TRUE(test_support::WaitUntil([this] { return Exists(test_support::RecordTempOf(record_)); }, 60000));
  LoadArchiveSettings();  // the file is older than the settings in memory
  ArchiveRecord edited = GetArchiveSettings();
  EXPECT_EQ(edited.lastArchiveTime, kDec1);
  edited.keepCount = 7;
  std::string bytes;
  {
    test_support::ReleasedAfter letGo(std::move(held), 300);
    EXPECT_TRUE(TakeArchiveDialogFields(edited, false, true));
    bytes = ReadWholeFile(record_);  // as the save returns
  }
  ASSERT_EQ(bytes.size(), sizeof(ArchiveRecord));
  ArchiveRecord stored;
  std::memcpy(&stored, bytes.data(), sizeof stored);
  EXPECT_EQ(stored.keepCount, 7);
  EXPECT_EQ(stored.lastArchiveTime, kDec1);
  EXPECT_TRUE(WaitForArchiveRun(GetTickCount() + 60000));
}

TEST(FileFinder, MatchesOfOnePatternWithTheirPathsAndAnEndedSearch) {
  TempDir tmp;
  for (const char* name : {"a.txt", "b.txt", "c.log"}) ASSERT_TRUE(WriteWholeFile(tmp / name, name));
  CFileFinder finder{};
  ASSERT_TRUE(InitFileFinder(finder, "%s\\*.%s", tmp.Path().c_str(), "txt"));
  EXPECT_STREQ(GetFoundFilePath(finder), "");  // no search open yet
  std::set<std::string> found;
  while (FindNextMatch(finder)) found.insert(GetFoundFilePath(finder));
  EXPECT_EQ(found, (std::set<std::string>{tmp / "a.txt", tmp / "b.txt"}));
  EXPECT_EQ(finder.matchCount, 2);
  EXPECT_EQ(CloseFileFinder(finder), 1);
  EXPECT_EQ(CloseFileFinder(finder), -1);
  EXPECT_TRUE(FindFirstMatch(finder, "%s\\c.*", tmp.Path().c_str()));
  EXPECT_EQ(std::string(GetFoundFilePath(finder)), tmp / "c.log");
  EXPECT_FALSE(FindFirstMatch(finder, "%s\\*.none", tmp.Path().c_str()));
  // A pattern that does not fit finds nothing rather than other files.
  EXPECT_FALSE(SetFileFinderPattern(finder, "%s\\%s", tmp.Path().c_str(), std::string(300, 'a').c_str()));
  EXPECT_FALSE(FindNextMatch(finder));
}

// The archive dialog run modally and driven by its steps; the boxes it owns
// are answered with OK and their texts kept.
test_support::ModalSteps gDriver;

INT_PTR RunArchiveDialog(std::vector<std::function<bool(HWND)>> steps) {
  gDriver = test_support::ModalSteps{};
  gDriver.isDialog = [](HWND window) { return test_support::Text(window) == "Archive Configuration"; };
  gDriver.steps = std::move(steps);
  INT_PTR result = 0;
  EXPECT_TRUE(gDriver.Run([&] {
    result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ARCHIVE), nullptr, ArchiveDialogProc, 0);
  })) << "the dialog ended before its steps";
  return result;
}

using test_support::Click;
using test_support::Enabled;
using test_support::Field;
using test_support::Toggle;
bool BoxSays(std::size_t index, const char* text) {
  return gDriver.boxes.texts.size() > index && gDriver.boxes.texts[index].find(text) != std::string::npos;
}

class ArchiveDialog : public Archiving {
 protected:
  static void SetUpTestSuite() {
    gApp.hInstance = GetModuleHandleA(nullptr);
    InstallAppTexts(nullptr);
  }
};

TEST_F(ArchiveDialog, ControlsPreviewsAndOkThatRefusesInvalidPatterns) {
  const std::vector<test_support::Control> controls = {
      {-1, "Button", "Archive Configuration"}, {IDC_ARCHIVE_ENABLED, "Button", "Automatic archiving every:"},
      {IDC_ARCHIVE_INTERVAL, "Edit", "14"}, {IDC_ARCHIVE_DAYS_LABEL, "Static", "days."},
      {IDC_ARCHIVE_NOW, "Button", "Archive now!"}, {-1, "Static", "Keep up to:"}, {IDC_ARCHIVE_KEEP, "Edit", "3"},
      {-1, "Static", "configurations"}, {-1, "Static", "Path for archiving:"},
      {IDC_ARCHIVE_PATH, "Edit", "%CONFIGDIR%\\Backup"}, {IDC_ARCHIVE_BROWSE, "Button", "Browse..."},
      {IDC_ARCHIVE_PATH_PREVIEW, "Static", nullptr}, {-1, "Static", "Filename:"},
      {IDC_ARCHIVE_NAME, "Edit", "%PROGRAM%-%YEAR%.%MONTH%.%DAY%"}, {IDC_ARCHIVE_DEFAULT, "Button", "Default"},
      {IDC_ARCHIVE_NAME_PREVIEW, "Static", "Veltrano-2026.12.07"},
      {-1, "Static",
       "You can use various tokens and environment variables in the path and the filename. Please see the manual "
       "for details."},
      {IDOK, "Button", "OK"}, {IDCANCEL, "Button", "Cancel"}, {IDC_ARCHIVE_HELP, "Button", "Help"}};
  ASSERT_TRUE(SaveArchiveSettings());
  SetEnvironmentVariableA("ARCHIVE_TEST_DIR", "X:\\Env");
  const std::string previewPath = backup_;
  const std::string saved = ReadWholeFile(record_);
  const INT_PTR result = RunArchiveDialog({
      [&](HWND dialog) {
        test_support::ExpectControls(dialog, controls);
        EXPECT_EQ(Field(dialog, IDC_ARCHIVE_PATH_PREVIEW), previewPath);
        EXPECT_EQ(ArchiveDialogWindow(), dialog);
        EXPECT_FALSE(Enabled(dialog, IDC_ARCHIVE_INTERVAL));
        Toggle(dialog, IDC_ARCHIVE_ENABLED);
        EXPECT_TRUE(Enabled(dialog, IDC_ARCHIVE_INTERVAL));
        EXPECT_TRUE(Enabled(dialog, IDC_ARCHIVE_DAYS_LABEL));
        SetDlgItemTextA(dialog, IDC_ARCHIVE_NAME, "%PROGVER%-%ARCHIVE_TEST_DIR%");
        EXPECT_EQ(Field(dialog, IDC_ARCHIVE_NAME_PREVIEW), "0.0.0-X:\\Env");
        SetDlgItemTextA(dialog, IDC_ARCHIVE_PATH, "");
        EXPECT_EQ(Field(dialog, IDC_ARCHIVE_PATH_PREVIEW), "");
        Click(dialog, IDOK);  // automatic archiving on: the empty path is refused
        SetDlgItemTextA(dialog, IDC_ARCHIVE_NAME, "");
        Toggle(dialog, IDC_ARCHIVE_ENABLED);
        Click(dialog, IDOK);  // an empty name is refused in any case
        EXPECT_TRUE(BoxSays(0, "Please enter a valid path!")) << (gDriver.boxes.texts.empty() ? "" : gDriver.boxes.texts[0]);
        EXPECT_TRUE(BoxSays(1, "Please enter a valid filename!"));
        EXPECT_EQ(ReadWholeFile(record_), saved);
        Click(dialog, IDC_ARCHIVE_DEFAULT);
        EXPECT_EQ(Field(dialog, IDC_ARCHIVE_PATH), "%CONFIGDIR%\\Backup");
        EXPECT_EQ(Field(dialog, IDC_ARCHIVE_NAME_PREVIEW), "Veltrano-2026.12.07");
        SetDlgItemTextA(dialog, IDC_ARCHIVE_KEEP, "5000");
        Toggle(dialog, IDC_ARCHIVE_ENABLED);
        Click(dialog, IDOK);
        return true;
      },
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(gDriver.boxes.texts.size(), 2u);
  EXPECT_EQ(ArchiveDialogWindow(), nullptr);
  // Switched on, with the interval passed since 1970: archived at once.
  EXPECT_TRUE(test_support::WaitUntil([] { return !IsArchiveRunning(); }, 60000));
  EXPECT_EQ(gWrites.load(), 1);
  const ArchiveRecord stored = GetArchiveSettings();
  EXPECT_EQ(stored.enabled, 1);
  EXPECT_EQ(stored.keepCount, 999);
  EXPECT_EQ(StoredLastArchive(record_), kDec1);
}

// A dialog closed while its run goes on is told nothing more; a dialog open
// when the run ends hears of it.
TEST_F(ArchiveDialog, ArchiveNowRunsOnTheWorkerAndReportsToTheDialogOpenAtItsEnd) {
  gWriterEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gWriterRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gWriter = Writer::kBlocking;
  EXPECT_EQ(RunArchiveDialog({
                [](HWND dialog) {
                  Click(dialog, IDC_ARCHIVE_NOW);  // returns while the writer still waits
                  EXPECT_FALSE(Enabled(dialog, IDC_ARCHIVE_NOW));
                  return true;
                },
                [](HWND) { return WaitForSingleObject(gWriterEntered, 0) == WAIT_OBJECT_0; },
                [](HWND dialog) {
                  EXPECT_TRUE(IsArchiveRunning());
                  EXPECT_FALSE(StartArchiveRun(true));
                  Click(dialog, IDCANCEL);
                  return true;
                },
            }),
            IDCANCEL);
  EXPECT_EQ(ArchiveDialogWindow(), nullptr);
  const DWORD start = GetTickCount();
  EXPECT_EQ(RunArchiveDialog({
                [](HWND dialog) {
                  Click(dialog, IDC_ARCHIVE_NOW);
                  EXPECT_TRUE(BoxSays(0, "An archive is being made right now.")) << gDriver.boxes.texts.size();
                  SetEvent(gWriterRelease);
                  return true;
                },
                [start](HWND) { return gDriver.boxes.texts.size() > 1 || GetTickCount() - start > 30000; },
                [](HWND dialog) {
                  EXPECT_TRUE(BoxSays(1, "Archiving finished successfully!")) << gDriver.boxes.texts.size();
                  Click(dialog, IDCANCEL);
                  return true;
                },
            }),
            IDCANCEL);
  EXPECT_TRUE(test_support::WaitUntil([] { return !IsArchiveRunning(); }, 60000));
  EXPECT_EQ(gWrites.load(), 1);
  EXPECT_TRUE(Exists(backup_ + "\\Veltrano-2026.12.07.BrindlexConfig"));
  CloseHandle(gWriterEntered);
  CloseHandle(gWriterRelease);
}

// The program's main window, which opens the help topics: keeps the topic
// it was asked for.
std::string gHelpTopic;
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_FW_HELPREQUEST) {
    gHelpTopic = wParam != 0 ? reinterpret_cast<const char*>(wParam) : "<none>";
    return 0;
  }
  return FrameDefaultProc(window, message, wParam, lParam);
}

TEST_F(ArchiveDialog, HelpAsksTheMainWindowAndOkKeepsTheTimeOfARunThatEndedMeanwhile) {
  ASSERT_GE(CreateAppWindow(1024, &MainWindowProc, "main", 1, kFrameMainWindow, 10, 10, 200, 150), 0);
  gHelpTopic.clear();
  gNow = kDec15 + 3600;
  EXPECT_EQ(RunArchiveDialog({[](HWND dialog) {
              Click(dialog, IDC_ARCHIVE_HELP);
              EXPECT_EQ(gHelpTopic, "About");
              SetDlgItemTextA(dialog, IDC_ARCHIVE_KEEP, "7");
              gRunOnClock = true;  // while OK checks the patterns
              Click(dialog, IDOK);
              return true;
            }}),
            IDCANCEL);
  gApp.noStateSave = 1;
  DestroyAllWindows();
  EXPECT_FALSE(gRunOnClock.load());
  EXPECT_EQ(StoredLastArchive(record_), kDec15);
  EXPECT_EQ(GetArchiveSettings().keepCount, 7);
}

}  // namespace
