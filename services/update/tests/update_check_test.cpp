#include "services/update/update_check.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "framework/app/dialog_setup.h"
#include "framework/object/application.h"
#include "framework/run/hidden_window.h"
#include "framework/util/text_util.h"
#include "services/scheduled_services.h"
#include "services/update/http_request.h"
#include "services/update/res/update_dialog_ids.h"
#include "services/update/update_dialog.h"
#include "services/update/update_logic.h"
#include "tests/support/win32/win_test_support.h"

using test_support::Click;
using test_support::Enabled;
using test_support::Field;
using test_support::PumpUntil;
using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::Text;
using test_support::Toggle;

namespace {

constexpr std::int64_t kDec7 = 1796601600;  // 2026-12-07 00:00:00
constexpr std::int64_t kLateEvening = 23 * 3600 + 30 * 60;

// The update server of the tests: each fetch answers with the reply or the
// error set; while hold is set, the n-th fetch first waits until n fetches
// are released (or, when it honours it, for the cancel byte).
std::atomic<std::int64_t> gNow{kDec7};
std::atomic<int> gFetches{0};
std::atomic<int> gFetchResult{kHttpOk};
std::atomic<bool> gHold{false};
std::atomic<bool> gHonourCancel{true};
std::string gReply;  // written only while no check runs
std::atomic<int> gReleased{0};
HANDLE gEntered = nullptr;

std::int64_t FakeNow() noexcept { return gNow.load(); }

int FakeFetch(const char*, const std::atomic<std::uint8_t>* cancel, char* reply, std::size_t capacity,
              std::size_t* length) noexcept {
  const int call = ++gFetches;
  SetEvent(gEntered);
  const auto cancelled = [cancel] { return gHonourCancel.load() && cancel->load() != 0; };
  // Bounded only so that a test that forgot to release fails instead of hanging.
  test_support::WaitUntil([&] { return !gHold.load() || gReleased.load() >= call || cancelled(); }, 60000);
  if (cancelled()) return kHttpCancelled;
  *length = 0;
  if (gFetchResult.load() != kHttpOk) return gFetchResult.load();
  *length = gReply.size() < capacity ? gReply.size() : capacity;
  std::memcpy(reply, gReply.data(), *length);
  return kHttpOk;
}

// The hidden window's reports of ended checks, counted once handled.
WNDPROC gAppWindowProc = nullptr;
int gReports = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallWindowProcA(gAppWindowProc, window, message, wParam, lParam);
  if (message == kUpdateCheckFinishedMessage) ++gReports;
  return result;
}

// The bound of every wait of this thread, which handles its messages
// meanwhile.
constexpr DWORD kWaitMs = 30000;

bool WaitForReports(int count) {
  return PumpUntil([count] { return gReports >= count; }, kWaitMs);
}

class UpdateCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gApp.hInstance = GetModuleHandleA(nullptr);
    InstallAppTexts(nullptr);
    CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
    gApp.versionMajor = 2;
    gApp.versionMinor = 5;
    gApp.versionBuild = 10;
    // The hidden window hands the worker's report to the check as the
    // program's does.
    SetAppServices(ScheduledServices());
    ASSERT_NE(CreateAppHiddenWindow(), nullptr);
    gAppWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(gApp.appWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    SetUpdateDialogProcedure(&UpdateCheckDialogProc);
    SetUpdateCheckEnvironment(UpdateCheckEnvironment{FakeNow, FakeFetch});
    gEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  void SetUp() override {
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, tmp_.Path().c_str());
    gNow = kDec7 + kLateEvening;
    gFetches = 0;
    gFetchResult = kHttpOk;
    gHold = false;
    gHonourCancel = true;
    gReply = "2.6.0\r\n";
    gReports = 0;
    gReleased = 0;
    ResetEvent(gEntered);
  }
  void TearDown() override {
    if (const HWND dialog = UpdateDialogWindow()) DestroyWindow(dialog);
    CancelUpdateCheck();
    gReleased = 1000;
    EXPECT_TRUE(PumpUntil([] { return !IsUpdateCheckRunning(); }, kWaitMs));
    test_support::Pump();
  }
  static HWND OpenDialog() {
    const HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_UPDATE), nullptr,
                                           &UpdateCheckDialogProc, kUpdateDialogModeless);
    EXPECT_NE(dialog, nullptr);
    EXPECT_EQ(UpdateDialogWindow(), dialog);
    return dialog;
  }
  UpdateCheckRecord StoredRecord() const {
    const std::string bytes = ReadWholeFile(record_);
    UpdateCheckRecord record{};
    if (bytes.size() == sizeof record) std::memcpy(&record, bytes.data(), sizeof record);
    return record;
  }
  void WriteRecord(const UpdateCheckRecord& record) const {
    ASSERT_TRUE(test_support::WriteWholeFile(record_, std::string(reinterpret_cast<const char*>(&record), sizeof record)));
  }

  TempDir tmp_;
  const std::string record_ = tmp_ / "(Orvo)UpdateCheck.oqc";
};

TEST_F(UpdateCheck, DueTestAndANewerReplyThatPopsTheDialogOnTheMainThreadOnce) {
  UpdateCheckRecord record{};
  record.enabled = 1;
  record.intervalDays = 7;
  record.lastCheck = kDec7 - 7 * kSecondsPerDay;
  WriteRecord(record);
  gNow = kDec7;  // exactly the interval: not yet
  CheckForUpdateIfDue();
  EXPECT_FALSE(IsUpdateCheckRunning());

  // Longer than the stored text: the same reply must still count as seen.
  gReply = "2.6.0 " + std::string(300, 'x');
  gNow = kDec7 + kLateEvening;
  CheckForUpdateIfDue();
  ASSERT_TRUE(WaitForReports(1));
  const HWND dialog = UpdateDialogWindow();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindowThreadProcessId(dialog, nullptr), GetCurrentThreadId());
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(Text(dialog), "Veltrano Update Check");
  EXPECT_EQ(Field(dialog, IDC_UPDATE_STATUS), "New version available");
  EXPECT_EQ(Field(dialog, IDC_UPDATE_OWN_VERSION), "2.5.10");
  EXPECT_EQ(Field(dialog, IDC_UPDATE_REPLY), gReply.substr(0, kUpdateReplySize - 1));
  EXPECT_TRUE(Enabled(dialog, IDC_UPDATE_DOWNLOAD));
  record = StoredRecord();
  EXPECT_EQ(record.lastCheck, kDec7);
  EXPECT_EQ(record.newerFound, 1);
  EXPECT_EQ(std::string(record.lastReply), gReply.substr(0, kUpdateReplySize - 1));
  // The versions and the state stand in the dialog font, and in the new one
  // after a change of DPI.
  const auto inDialogFont = [dialog] {
    for (const int id : {IDC_UPDATE_OWN_VERSION, IDC_UPDATE_REPLY, IDC_UPDATE_STATUS}) {
      if (SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0) != reinterpret_cast<LRESULT>(DialogFont())) return false;
    }
    return true;
  };
  EXPECT_TRUE(inDialogFont());
  const HFONT before = DialogFont();
  RECT suggested{};
  GetWindowRect(dialog, &suggested);
  SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_NE(DialogFont(), before);
  EXPECT_TRUE(inDialogFont());
  Click(dialog, IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(UpdateDialogWindow(), nullptr);

  gNow = kDec7 + 8 * kSecondsPerDay + kLateEvening;
  CheckForUpdateIfDue();
  ASSERT_TRUE(WaitForReports(2));
  EXPECT_EQ(gFetches.load(), 2);
  EXPECT_EQ(UpdateDialogWindow(), nullptr) << "the same reply again";
  // The day of the check as the user's clock had it, late in that evening.
  const HWND reopened = OpenDialog();
  EXPECT_EQ(Field(reopened, IDC_UPDATE_STATUS), "Last check: 15.12.2026");
}

TEST_F(UpdateCheck, CheckNowShowsEachOutcomeAndOnlyAReadableReplyIsStored) {
  const struct {
    int result;
    const char* reply;
    const char* status;
    bool stored;
    bool update;
  } cases[] = {
      {kHttpConnectFailed, "", "Version download error", false, false},
      {kHttpOk, "2.6", "Version format error", false, false},
      {kHttpOk, "2.5.10\n", "No update available", true, false},
      {kHttpOk, "2.4.99", "No update available", true, false},
      {kHttpOk, "2.5.11 beta\n", "New version available", true, true},
  };
  const HWND dialog = OpenDialog();
  int reports = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    gFetchResult = c.result;
    gReply = c.reply;
    const std::string before = ReadWholeFile(record_);
    Click(dialog, IDC_UPDATE_CHECK_NOW);
    EXPECT_EQ(Field(dialog, IDC_UPDATE_STATUS), "Checking...");
    ASSERT_TRUE(WaitForReports(++reports));
    EXPECT_EQ(Field(dialog, IDC_UPDATE_STATUS), c.status);
    EXPECT_EQ(ReadWholeFile(record_) != before, c.stored);
    EXPECT_EQ(Enabled(dialog, IDC_UPDATE_DOWNLOAD), c.update);
  }
  EXPECT_EQ(Field(dialog, IDC_UPDATE_REPLY), "2.5.11 beta");
  EXPECT_EQ(UpdateDialogWindow(), dialog) << "no second dialog";

  // A second dialog (from the product information) hears of the checks
  // while it is open and hands them back to the first as it closes; one
  // that outlives the first leaves no handle behind.
  HWND second = OpenDialog();
  Click(second, IDCANCEL);
  EXPECT_EQ(UpdateDialogWindow(), dialog);
  second = OpenDialog();
  Click(dialog, IDCANCEL);
  EXPECT_EQ(UpdateDialogWindow(), second);
  Click(second, IDCANCEL);
  EXPECT_EQ(UpdateDialogWindow(), nullptr);
}

TEST_F(UpdateCheck, OkStoresTheSwitchAndAtLeastSevenDaysAndLetsTheCheckItStartsRun) {
  HWND dialog = OpenDialog();
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_UPDATE_ENABLED), BST_CHECKED) << "a new record checks every 7 days";
  EXPECT_EQ(Field(dialog, IDC_UPDATE_INTERVAL), "7");
  Toggle(dialog, IDC_UPDATE_ENABLED);
  EXPECT_FALSE(Enabled(dialog, IDC_UPDATE_INTERVAL));
  EXPECT_FALSE(Enabled(dialog, IDC_UPDATE_DAYS_LABEL));
  SetDlgItemTextA(dialog, IDC_UPDATE_INTERVAL, "3");
  Click(dialog, IDOK);
  EXPECT_FALSE(IsWindow(dialog));
  UpdateCheckRecord record = StoredRecord();
  EXPECT_EQ(record.enabled, 0);
  EXPECT_EQ(record.intervalDays, 7);
  EXPECT_FALSE(IsUpdateCheckRunning());

  dialog = OpenDialog();
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_UPDATE_ENABLED), BST_UNCHECKED);
  EXPECT_FALSE(Enabled(dialog, IDC_UPDATE_INTERVAL));
  Toggle(dialog, IDC_UPDATE_ENABLED);
  EXPECT_TRUE(Enabled(dialog, IDC_UPDATE_INTERVAL));
  SetDlgItemTextA(dialog, IDC_UPDATE_INTERVAL, "12");
  gHold = true;
  gReply = "2.5.10";
  Click(dialog, IDOK);  // never checked: due at once
  EXPECT_FALSE(IsWindow(dialog));
  ASSERT_EQ(WaitForSingleObject(gEntered, 30000), WAIT_OBJECT_0);
  gReleased = 1;
  ASSERT_TRUE(WaitForReports(1));
  record = StoredRecord();
  EXPECT_EQ(record.enabled, 1);
  EXPECT_EQ(record.intervalDays, 12);
  EXPECT_STREQ(record.lastReply, "2.5.10") << "the check OK started ran to its end";
  EXPECT_EQ(UpdateDialogWindow(), nullptr) << "no newer version";
}

// At shut-down the check is told to stop and its worker is waited for, a
// bounded time; the stopped check leaves the record as it was.
TEST_F(UpdateCheck, ShutDownStopsTheCheckAndWaitsForItABoundedTime) {
  gHold = true;
  gHonourCancel = false;  // deaf to the request at first
  ASSERT_EQ(StartUpdateCheck(), kUpdateCheckStarted);
  ASSERT_EQ(WaitForSingleObject(gEntered, 30000), WAIT_OBJECT_0);
  CancelUpdateCheck();
  EXPECT_FALSE(WaitForUpdateCheck(GetTickCount() + 300));
  gHonourCancel = true;
  EXPECT_TRUE(WaitForUpdateCheck(GetTickCount() + 30000));
  EXPECT_FALSE(IsUpdateCheckRunning());
  EXPECT_FALSE(test_support::Exists(record_));
}

// Another program holds the record while the worker writes it: the main
// thread's reads keep the record in memory, and the dialog's save, handed to
// the worker's write, returns once it is in the file with the check's news.
TEST_F(UpdateCheck, ASaveHandedToTheWorkersWriteOfAHeldRecordReturnsOnceItLanded) {
  UpdateCheckRecord record{};
  record.enabled = 1;
  record.intervalDays = 7;
  WriteRecord(record);
  (void)LoadUpdateCheckRecord();
  CFileHandle held = test_support::OpenExisting(record_, test_support::kIndexerSharing);
  ASSERT_TRUE(held);
  gReply = "2.5.10";
  ASSERT_EQ(StartUpdateCheck(), kUpdateCheckStarted);
  ASSERT_TRUE(PumpUntil([this] { return test_support::Exists(test_support::RecordTempOf(record_)); }, kWaitMs));
  record = LoadUpdateCheckRecord();  // the file is older than the record in memory
  EXPECT_EQ(record.lastCheck, kDec7);
  {
    test_support::ReleasedAfter letGo(std::move(held), 300);
    EXPECT_TRUE(SaveUpdateCheckSettings(false, 30));
    record = StoredRecord();  // as the save returns
  }
  ASSERT_TRUE(WaitForReports(1));
  EXPECT_EQ(record.lastCheck, kDec7);
  EXPECT_STREQ(record.lastReply, "2.5.10");
  EXPECT_EQ(record.enabled, 0);
  EXPECT_EQ(record.intervalDays, 30);
}

// Check now while a check hangs: the main thread goes on answering, the
// hanging check is told to stop, a fresh one follows when it has ended, and
// only the fresh one's outcome is shown.
TEST_F(UpdateCheck, CheckNowWhileACheckRunsNeverMakesTheMainThreadWait) {
  const HWND dialog = OpenDialog();
  gHold = true;
  gHonourCancel = false;  // a server that keeps the first check busy
  std::atomic<bool> probing{true};
  std::atomic<double> slowest{0};
  std::atomic<int> probes{0};
  const HWND appWindow = gApp.appWindow;
  std::thread prober([&] {
    while (probing.load()) {
      const double ms = test_support::TimedSend(appWindow, WM_NULL);
      if (ms > slowest.load()) slowest = ms;
      ++probes;
      Sleep(1);
    }
  });
  Click(dialog, IDC_UPDATE_CHECK_NOW);
  // Every wait of this thread pumps: the prober measures the code under
  // test, not a test that stops answering.
  ASSERT_TRUE(PumpUntil([] { return WaitForSingleObject(gEntered, 0) == WAIT_OBJECT_0; }, kWaitMs));
  Click(dialog, IDC_UPDATE_CHECK_NOW);
  Click(dialog, IDC_UPDATE_CHECK_NOW);
  EXPECT_EQ(StartUpdateCheck(), kUpdateCheckQueued);
  EXPECT_TRUE(IsUpdateCheckRunning());
  EXPECT_EQ(Field(dialog, IDC_UPDATE_STATUS), "Checking...");
  const int before = probes.load();
  EXPECT_TRUE(PumpUntil([&] { return probes.load() >= before + 50; }, kWaitMs));
  gReleased = 1;
  ASSERT_TRUE(WaitForReports(1));
  EXPECT_EQ(Field(dialog, IDC_UPDATE_STATUS), "Checking...") << "the stopped check's end is no news";
  EXPECT_TRUE(PumpUntil([] { return gFetches.load() == 2; }, kWaitMs));
  gReleased = 2;
  ASSERT_TRUE(WaitForReports(2));
  probing = false;
  std::atomic<bool> proberEnded{false};
  std::thread waiter([&] {
    prober.join();
    proberEnded = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return proberEnded.load(); }, kWaitMs));
  waiter.join();
  EXPECT_EQ(gFetches.load(), 2);
  EXPECT_EQ(Field(dialog, IDC_UPDATE_STATUS), "New version available");
  // A bound far above the measured figure, far below the old wait of 5 s.
  std::printf("slowest answer of the main thread during the checks: %.2f ms over %d messages\n", slowest.load(),
              probes.load());
  EXPECT_LT(slowest.load(), 2000.0);
}

}  // namespace
