// Start-up as the program's entry runs it, in a probe product of its own
// (start_probe.cpp): the installation record in the registry, the data
// folders, the first start's files, a pending restore, the settings record,
// and a second start or "-QUIT" beside a running instance, also two starts at
// the same moment, one that is still starting and one that is ending.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/base/app_records.h"
#include "framework/util/crc32.h"
#include "framework/util/win_handles.h"
#include "tests/support/win32/install_record_writer.h"
#include "tests/support/win32/win_test_support.h"
#include "zip/win32/zip_win32.h"

namespace {

using test_support::DamageEntry;
using test_support::Exists;
using test_support::Hex;
using test_support::IsDirectory;
using test_support::ProgramFolder;
using test_support::ReadWholeFile;
using test_support::RemoveTree;
using test_support::StartProgram;
using test_support::TempDir;
using test_support::WriteWholeFile;

const std::string kProbe = ProgramFolder() + "\\start_probe.exe";
const std::string kPoster = ProgramFolder() + "\\app_probe.exe";
constexpr DWORD kOtherInstance = 0xF012;
constexpr DWORD kNoInstallRecord = 0xF016;
constexpr DWORD kDataFolderUnusable = 0xF019;
constexpr DWORD kInstanceNotAnswering = 0xF01A;

// One run of the probe product; environment and working folder as given.
class Probe {
 public:
  Probe(const std::string& app, const std::string& log, const std::string& arguments, const char* mode = nullptr,
        const char* folder = nullptr) {
    SetEnvironmentVariableA("VELTRANO_PROBE_APP", app.c_str());
    SetEnvironmentVariableA("VELTRANO_PROBE_LOG", log.c_str());
    SetEnvironmentVariableA("VELTRANO_PROBE_MODE", mode);
    process_ = StartProgram(kProbe, arguments, folder);
    for (const char* name : {"VELTRANO_PROBE_APP", "VELTRANO_PROBE_LOG", "VELTRANO_PROBE_MODE"}) {
      SetEnvironmentVariableA(name, nullptr);
    }
  }
  ~Probe() {
    if (process_ && !Ended()) {
      TerminateProcess(process_.Get(), 1);
      WaitForSingleObject(process_.Get(), 10000);
    }
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  [[nodiscard]] bool Ended() const { return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }

  // Whether the probe, still running, waits for its messages with none
  // waiting, as a launcher sees it ready; the bound is for a probe that
  // never gets there.
  [[nodiscard]] bool WaitsIdle() {
    return process_ && WaitForInputIdle(process_.Get(), 60000) == 0 && !Ended();
  }

  // Whether the probe has a top-level window of that class.
  [[nodiscard]] bool HasWindow(const char* windowClass) const {
    return test_support::WindowOfProcess(GetProcessId(process_.Get()), windowClass) != nullptr;
  }

  // The exit code; a bound for a probe that hangs, not a pace the test
  // depends on.
  DWORD Wait() {
    if (!process_) return 0xDEAD0001;
    if (WaitForSingleObject(process_.Get(), 60000) != WAIT_OBJECT_0) return 0xDEAD0002;
    DWORD code = 0xDEAD0003;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
  }

 private:
  CKernelHandle process_;
};

// A named event that the probes started through it wait for at one step,
// its name handed to them in the environment variable given.
class ProbeEvent {
 public:
  ProbeEvent(const std::string& name, const char* variable)
      : name_(name), variable_(variable), event_(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}
  [[nodiscard]] explicit operator bool() const { return static_cast<bool>(event_); }
  void Set() const { SetEvent(event_.Get()); }
  void Reset() const { ResetEvent(event_.Get()); }
  // A probe started as Probe starts one, that finds the event's name.
  template <typename... Args>
  [[nodiscard]] std::unique_ptr<Probe> Start(Args&&... args) const {
    SetEnvironmentVariableA(variable_, name_.c_str());
    auto probe = std::make_unique<Probe>(std::forward<Args>(args)...);
    SetEnvironmentVariableA(variable_, nullptr);
    return probe;
  }

 private:
  std::string name_;
  const char* variable_;
  CKernelHandle event_;
};

DWORD RunProbe(const std::string& app, const std::string& log, const std::string& arguments = "",
               const char* folder = nullptr) {
  Probe probe(app, log, arguments, nullptr, folder);
  return probe.Wait();
}

DWORD RunPoster(const std::string& arguments) { return test_support::RunToEnd(kPoster, arguments); }

// The log's complete lines.
std::vector<std::string> Lines(const std::string& log) {
  std::vector<std::string> lines;
  const std::string text = ReadWholeFile(log);
  if (text == "<missing>") return lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == line) return static_cast<int>(i);
  }
  return -1;
}

bool HasLine(const std::string& log, const std::string& line) { return IndexOf(Lines(log), line) >= 0; }

// The lines that start with prefix.
std::vector<std::string> LinesStarting(const std::string& log, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : Lines(log)) {
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
  }
  return out;
}

// The other process writes the line in its own time: wait for it (bounded).
bool WaitForLine(const std::string& log, const std::string& line) {
  return test_support::WaitUntil([&] { return HasLine(log, line); }, 60000);
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}

std::string UserName() {
  char name[MAX_PATH] = {};
  DWORD length = sizeof name;
  GetUserNameA(name, &length);
  return name;
}

// A configuration archive as the backup writes it: the product's entry (a
// keep list, a zero byte, the version) first, then the record files.
bool WriteConfigArchive(const std::string& path, const std::string& app, const std::string& keepList,
                        const std::vector<std::pair<std::string, std::string>>& files) {
  ZipHandle* zip = CreateZipFile(path.c_str(), nullptr);
  if (zip == nullptr) return false;
  const std::string first = keepList + std::string(1, '\0') + "3.2.1";
  bool ok = ZipAddBuffer(zip, app.c_str(), first.data(), static_cast<std::uint32_t>(first.size())) == kZipOk;
  for (const auto& [name, content] : files) {
    ok = ok && ZipAddBuffer(zip, name.c_str(), content.data(), static_cast<std::uint32_t>(content.size())) == kZipOk;
  }
  return CloseZip(zip) == kZipOk && ok;
}

class Startup : public testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    // A name of this run alone: records and broadcasts of other programs
    // never meet it.
    app_ = "VltStart" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    log_ = dir_ / "probe.log";
    data_ = dir_ / "data";
    install_ = dir_ / "install";
    CreateDirectoryA(install_.c_str(), nullptr);
  }
  void TearDown() override {
    test_support::DeleteInstallRecord(app_);
    for (int csidl : {CSIDL_APPDATA, CSIDL_COMMON_APPDATA}) RemoveTree(SpecialFolder(csidl) + "\\Brindlex\\" + app_);
  }

  bool Install(const std::string& dataPath, bool custom = true, bool perUser = false) {
    return test_support::WriteInstallRecord(app_, test_support::MakeInstallRecord(install_, dataPath, custom, perUser));
  }
  std::string Pending() const { return data_ + "\\" + app_ + ".BrindlexConfig"; }
  std::vector<std::string> Boxes() const { return LinesStarting(log_, "box "); }

  TempDir dir_;
  std::string app_, log_, data_, install_;
};

TEST_F(Startup, DataFoldersComeFromTheInstallationRecord) {
  const std::string appData = SpecialFolder(CSIDL_APPDATA) + "\\Brindlex\\" + app_;
  const std::string common = SpecialFolder(CSIDL_COMMON_APPDATA) + "\\Brindlex\\" + app_;
  const std::string perUser = data_ + "\\" + UserName();
  const struct {
    bool custom, perUser;
    std::string data, allUsers;
  } cases[] = {
      {false, false, appData, common},
      {true, false, data_, data_},
      {true, true, perUser, data_},
      {false, true, appData, common},  // the per-user flag goes with a custom path only
  };
  for (const auto& c : cases) {
    RemoveTree(data_);
    ASSERT_TRUE(Install(data_, c.custom, c.perUser));
    DeleteFileA(log_.c_str());
    EXPECT_EQ(RunProbe(app_, log_, "-MINIMIZE \"a b\""), 0u);
    EXPECT_TRUE(HasLine(log_, "data " + c.data)) << c.data;
    EXPECT_TRUE(HasLine(log_, "allusers " + c.allUsers)) << c.allUsers;
    EXPECT_TRUE(IsDirectory(c.allUsers)) << c.allUsers;
    // The run's records: its command line at start, its state at exit.
    EXPECT_EQ(ReadWholeFile(c.data + "\\(Orvo)Cmd.oqc"), std::string("-MINIMIZE \"a b\"", 16)) << c.data;
    EXPECT_EQ(ReadWholeFile(c.data + "\\(Orvo)App.oqc").size(), sizeof(AppSettingsRecord)) << c.data;
  }
  EXPECT_TRUE(HasLine(log_, "version 3.2.1"));  // the program file's version resource
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Startup, MissingOrShortInstallationRecordEndsStartupAndSavesNothing) {
  // Without a data folder a saved state would land in the root of the drive.
  const std::string root = dir_.Path().substr(0, 3) + "(Orvo)App.oqc";
  DeleteFileA(root.c_str());
  const struct {
    std::size_t size;  // 0: no value at all
    DWORD result;
  } cases[] = {{0, kNoInstallRecord}, {test_support::kInstallRecordSize - 1, kNoInstallRecord}, {2000, 0}};
  for (const auto& c : cases) {
    test_support::DeleteInstallRecord(app_);
    if (c.size > 0) {
      // Only the first bytes of a longer value are the record.
      std::vector<unsigned char> value = test_support::MakeInstallRecord(install_, data_, true, false, c.size);
      for (std::size_t i = test_support::kInstallRecordSize; i < value.size(); ++i) value[i] = 0xCC;
      ASSERT_TRUE(test_support::WriteInstallRecord(app_, value));
    }
    DeleteFileA(log_.c_str());
    EXPECT_EQ(RunProbe(app_, log_, "", dir_.Path().c_str()), c.result) << c.size;
    const std::vector<std::string> boxes = Boxes();
    if (c.result == kNoInstallRecord) {
      ASSERT_EQ(boxes.size(), 1u) << c.size;
      EXPECT_NE(boxes[0].find("Error code 0x0000F016."), std::string::npos) << boxes[0];
      EXPECT_TRUE(HasLine(log_, "data ")) << c.size;
    } else {
      EXPECT_TRUE(boxes.empty()) << c.size;
      EXPECT_TRUE(HasLine(log_, "data " + data_));
    }
    EXPECT_FALSE(Exists(root)) << c.size;
  }
}

TEST_F(Startup, UnusableDataFolderEndsStartupAndKeepsTheUsersState) {
  // The folder is there but takes no file: its write test fails.
  ASSERT_TRUE(CreateDirectoryA(data_.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((data_ + "\\OrvoWriteTest.tmp").c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(data_ + "\\(Orvo)App.oqc", "the user's state"));
  ASSERT_TRUE(Install(data_));
  EXPECT_EQ(RunProbe(app_, log_, "-MINIMIZE"), kDataFolderUnusable);
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("|Could not access the data path!|" + data_ + "|Please make sure"), std::string::npos)
      << boxes[0];
  EXPECT_EQ(ReadWholeFile(data_ + "\\(Orvo)App.oqc"), "the user's state");
  EXPECT_FALSE(Exists(data_ + "\\(Orvo)Cmd.oqc"));
}

TEST_F(Startup, FirstStartCopiesTheInitFilesOnceAndOverwritesNothing) {
  ASSERT_TRUE(CreateDirectoryA((install_ + "\\Init").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(data_.c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(install_ + "\\Init\\Options.oqc", "installed options"));
  ASSERT_TRUE(WriteWholeFile(install_ + "\\Init\\mine.txt", "installed"));
  ASSERT_TRUE(WriteWholeFile(data_ + "\\mine.txt", "the user's"));
  ASSERT_TRUE(Install(data_));
  EXPECT_EQ(RunProbe(app_, log_), 0u);
  EXPECT_EQ(ReadWholeFile(data_ + "\\Options.oqc"), "installed options");
  EXPECT_EQ(ReadWholeFile(data_ + "\\mine.txt"), "the user's");
  // The first run has left its state: the next start is no first start.
  ASSERT_TRUE(Exists(data_ + "\\(Orvo)App.oqc"));
  ASSERT_TRUE(WriteWholeFile(install_ + "\\Init\\later.txt", "later"));
  EXPECT_EQ(RunProbe(app_, log_), 0u);
  EXPECT_FALSE(Exists(data_ + "\\later.txt"));
}

// What a killed run, a worker that outlived its run's shut-down or a replace
// cut short left in the data folder and the archive folder more than ten
// minutes ago: the next start removes it where its record is there, puts
// the whole temporary of a missing record in place before it reads the
// record, keeps a cut one aside, and leaves everything else, also what a
// process of another machine sharing the folder writes now.
TEST_F(Startup, TemporariesThatEndedRunsLeftAreSettledAndNothingElse) {
  DWORD endedId = 0;
  const CKernelHandle ended = test_support::StartSuspendedCopy(&endedId);
  ASSERT_TRUE(ended);
  TerminateProcess(ended.Get(), 0);
  ASSERT_EQ(WaitForSingleObject(ended.Get(), 60000), WAIT_OBJECT_0);
  const std::string gone = std::to_string(endedId);
  for (const std::string& folder : {data_, data_ + "\\Backup"}) {
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  }
  AppSettingsRecord settings = DefaultAppSettings();
  settings.languageIndex = 1;
  settings.settingsVersion = 1;
  const std::string whole(reinterpret_cast<const char*>(&settings), sizeof settings);
  const std::string removed[] = {"Options.oqc_tmp" + gone, "~vz" + gone + "-3.tmp", "Backup\\~vz" + gone + "-0.tmp"};
  const std::string kept[] = {"Options.oqc", "Options.oqc_tmp", "mine_tmp" + gone, "Backup\\~vz" + gone + ".tmp",
                              "(Orvo)Bar1.oqc_tmp" + gone, "Backup\\~vz" + gone + "-1.tmp"};
  for (const auto& name : removed) ASSERT_TRUE(WriteWholeFile(data_ + "\\" + name, "left"));
  for (const auto& name : kept) ASSERT_TRUE(WriteWholeFile(data_ + "\\" + name, "the user's"));
  ASSERT_TRUE(WriteWholeFile(data_ + "\\(Orvo)App.oqc_tmp" + gone, whole));
  ASSERT_TRUE(WriteWholeFile(data_ + "\\(Orvo)Win1.oqc_tmp" + gone, "cut"));
  // The last two kept ones are young.
  for (const auto& name : {removed[0], removed[1], removed[2], kept[2], kept[3], "(Orvo)App.oqc_tmp" + gone,
                           "(Orvo)Win1.oqc_tmp" + gone}) {
    ASSERT_TRUE(test_support::SetWrittenMinutesAgo(data_ + "\\" + name, 11)) << name;
  }
  ASSERT_TRUE(Install(data_));
  EXPECT_EQ(RunProbe(app_, log_), 0u);
  for (const auto& name : removed) EXPECT_FALSE(Exists(data_ + "\\" + name)) << name;
  for (const auto& name : kept) EXPECT_EQ(ReadWholeFile(data_ + "\\" + name), "the user's") << name;
  EXPECT_TRUE(HasLine(log_, "settings language=1 changed=0"));
  EXPECT_FALSE(Exists(data_ + "\\(Orvo)App.oqc_tmp" + gone));
  EXPECT_EQ(ReadWholeFile(data_ + "\\(Orvo)Win1.oqc_damaged" + gone), "cut");
}

TEST_F(Startup, SettingsRecordIsReadWithItsLanguageCheckedAndVersionTaken) {
  AppSettingsRecord stored = DefaultAppSettings();
  stored.languageIndex = 5;
  stored.settingsVersion = 7;
  stored.customColor2 = 0x123456;
  ASSERT_TRUE(CreateDirectoryA(data_.c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(data_ + "\\(Orvo)App.oqc", std::string(reinterpret_cast<char*>(&stored), sizeof stored)));
  ASSERT_TRUE(Install(data_));
  EXPECT_EQ(RunProbe(app_, log_), 0u);
  EXPECT_TRUE(HasLine(log_, "settings language=0 changed=1"));
  const std::string saved = ReadWholeFile(data_ + "\\(Orvo)App.oqc");
  ASSERT_EQ(saved.size(), sizeof stored);
  AppSettingsRecord back{};
  std::memcpy(&back, saved.data(), sizeof back);
  EXPECT_EQ(+back.languageIndex, 0u);
  EXPECT_EQ(+back.settingsVersion, 1u);
  EXPECT_EQ(+back.customColor2, 0x123456u);
}

TEST_F(Startup, SettingsRecordThatCouldNotBeReadIsNotOverwrittenAtExit) {
  ASSERT_TRUE(CreateDirectoryA(data_.c_str(), nullptr));
  const std::string record = data_ + "\\(Orvo)App.oqc";
  ASSERT_TRUE(WriteWholeFile(record, "the user's state"));
  ASSERT_TRUE(Install(data_));
  // Held without sharing while start-up reads it, let go while the program runs.
  CFileHandle held = test_support::OpenExisting(record, 0);
  ASSERT_TRUE(held);
  Probe probe(app_, log_, "-MINIMIZE", "loop");
  ASSERT_TRUE(WaitForLine(log_, "ready"));
  held.Reset();
  EXPECT_EQ(RunProbe(app_, dir_ / "quit.log", "-QUIT"), kOtherInstance);
  EXPECT_EQ(probe.Wait(), 0u);
  EXPECT_EQ(ReadWholeFile(record), "the user's state");
}

// The data folder of the restore tests: the current configuration, the
// user's own backup, and the archive folder of the scheduled archiving.
class PendingRestore : public Startup {
 protected:
  void SetUp() override {
    Startup::SetUp();
    for (const std::string& folder : {data_, data_ + "\\sub", data_ + "\\Backup"}) {
      CreateDirectoryA(folder.c_str(), nullptr);
    }
    for (const char* name : {"Options.oqc", "(Orvo)Win1.oqc", "sub\\old.oqc", "list.keep", "mine.BrindlexConfig",
                             "Backup\\Veltrano-2026.01.01.BrindlexConfig", "Backup\\notes.txt"}) {
      ASSERT_TRUE(WriteWholeFile(data_ + "\\" + name, std::string("current ") + name));
    }
    ASSERT_TRUE(Install(data_));
  }
  std::string Current(const char* name) const { return std::string("current ") + name; }
  std::string File(const char* name) const { return ReadWholeFile(data_ + "\\" + name); }
};

TEST_F(PendingRestore, ReplacesTheConfigurationAndSparesTheArchivesThatUndoIt) {
  AppSettingsRecord restored = DefaultAppSettings();
  restored.languageIndex = 5;
  restored.settingsVersion = 1;
  const std::string record(reinterpret_cast<char*>(&restored), sizeof restored);
  ASSERT_TRUE(WriteConfigArchive(
      Pending(), app_, "*.keep",
      {{"Options.oqc", "restored options"}, {"sub\\new.oqc", "restored sub"}, {"(Orvo)App.oqc", record}}));
  EXPECT_EQ(RunProbe(app_, log_), 0u);
  EXPECT_EQ(File("Options.oqc"), "restored options");
  EXPECT_EQ(File("sub\\new.oqc"), "restored sub");
  EXPECT_FALSE(Exists(data_ + "\\(Orvo)Win1.oqc"));
  EXPECT_FALSE(Exists(data_ + "\\sub\\old.oqc"));
  for (const char* kept : {"list.keep", "mine.BrindlexConfig", "Backup\\Veltrano-2026.01.01.BrindlexConfig",
                           "Backup\\notes.txt"}) {
    EXPECT_EQ(File(kept), Current(kept));
  }
  EXPECT_FALSE(Exists(Pending()));
  // The restored settings are the ones start-up read.
  EXPECT_TRUE(HasLine(log_, "settings language=0 changed=0"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PendingRestore, DamagedArchiveTouchesNothing) {
  std::string options;
  while (options.size() < 3000) options += "restored options " + std::to_string(options.size()) + "\r\n";
  ASSERT_TRUE(WriteConfigArchive(Pending(), app_, "", {{"sub\\new.oqc", "restored sub"}, {"Options.oqc", options}}));
  ASSERT_TRUE(DamageEntry(Pending(), "Options.oqc"));
  EXPECT_EQ(RunProbe(app_, log_), 0u);
  for (const char* name : {"Options.oqc", "(Orvo)Win1.oqc", "sub\\old.oqc"}) EXPECT_EQ(File(name), Current(name));
  EXPECT_FALSE(Exists(data_ + "\\sub\\new.oqc"));
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("could not be restored: the file is damaged.|" + Pending()), std::string::npos) << boxes[0];
}

TEST_F(PendingRestore, ArchiveThatCouldNotBeExtractedStaysForTheNextStart) {
  ASSERT_TRUE(WriteConfigArchive(Pending(), app_, "",
                                 {{"Options.oqc", "restored options"}, {"sub\\new.oqc", "restored sub"}}));
  {
    // Options.oqc is in use meanwhile: it can be neither removed nor replaced.
    const CFileHandle inUse(CreateFileA((data_ + "\\Options.oqc").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(inUse);
    EXPECT_EQ(RunProbe(app_, log_), 0u);
  }
  EXPECT_EQ(File("sub\\new.oqc"), "restored sub");
  EXPECT_EQ(File("Options.oqc"), Current("Options.oqc"));
  EXPECT_TRUE(Exists(Pending()));
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("could not be restored.|" + Pending() + "|The file is kept"), std::string::npos) << boxes[0];
  // The next start applies it.
  DeleteFileA(log_.c_str());
  EXPECT_EQ(RunProbe(app_, log_), 0u);
  EXPECT_EQ(File("Options.oqc"), "restored options");
  EXPECT_FALSE(Exists(Pending()));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PendingRestore, SecondStartLeavesTheRunningInstanceAndItsFilesAloneAndQuitEndsIt) {
  const std::string firstLog = dir_ / "first.log";
  Probe first(app_, firstLog, "-MINIMIZE first", "loop");
  ASSERT_TRUE(WaitForLine(firstLog, "ready"));
  // Staged while the first instance runs: only the next start may apply it.
  ASSERT_TRUE(WriteConfigArchive(Pending(), app_, "", {{"Options.oqc", "restored options"}}));

  EXPECT_EQ(RunProbe(app_, log_, "second"), kOtherInstance);
  EXPECT_TRUE(WaitForLine(firstLog, "fw " + Hex(0x83FF)));
  EXPECT_EQ(File("Options.oqc"), Current("Options.oqc"));
  EXPECT_TRUE(Exists(Pending()));
  EXPECT_EQ(ReadWholeFile(data_ + "\\(Orvo)Cmd.oqc"), std::string("-MINIMIZE first", 16));
  EXPECT_FALSE(Exists(data_ + "\\(Orvo)App.oqc"));  // the second start saved no state

  // Values the control message does not define do nothing, even ones that
  // are framework messages or window messages.
  const std::string crc = Hex(Crc32(app_.c_str(), kCrc32String));
  EXPECT_EQ(RunPoster("post 0x8404 " + crc + " 0x10 " + crc), 0u);
  const std::string quitLog = dir_ / "quit.log";
  EXPECT_EQ(RunProbe(app_, quitLog, "-QUIT"), kOtherInstance);
  EXPECT_EQ(first.Wait(), 0u);
  const std::vector<std::string> lines = Lines(firstLog);
  EXPECT_EQ(LinesStarting(firstLog, "fw 0x8404"), std::vector<std::string>{});
  EXPECT_LT(IndexOf(lines, "fw " + Hex(0x83FF)), IndexOf(lines, "fw " + Hex(0x8405)));
  EXPECT_LT(IndexOf(lines, "fw " + Hex(0x8405)), IndexOf(lines, "destroy"));  // the window lived until the quit
  EXPECT_TRUE(HasLine(firstLog, "exit 0"));
  EXPECT_TRUE(Exists(data_ + "\\(Orvo)App.oqc"));
  EXPECT_TRUE(Exists(Pending()));
  EXPECT_TRUE(LinesStarting(log_, "box ").empty());
}

TEST_F(Startup, OfTwoStartsAtTheSameMomentOneRunsAndTheOtherSignalsIt) {
  ASSERT_TRUE(Install(data_));
  const ProbeEvent gate(app_ + "_gate", "VELTRANO_PROBE_GATE");
  ASSERT_TRUE(gate);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    gate.Reset();
    const std::string logs[2] = {dir_ / ("a" + std::to_string(round) + ".log"),
                                 dir_ / ("b" + std::to_string(round) + ".log")};
    const std::unique_ptr<Probe> probes[2] = {gate.Start(app_, logs[0], "-MINIMIZE", "loop"),
                                              gate.Start(app_, logs[1], "-MINIMIZE", "loop")};
    ASSERT_TRUE(WaitForLine(logs[0], "gate") && WaitForLine(logs[1], "gate"));
    gate.Set();
    int second = -1;
    test_support::WaitUntil(
        [&] {
          for (int p = 0; p < 2; ++p) second = probes[p]->Ended() ? p : second;
          return second >= 0 || (HasLine(logs[0], "ready") && HasLine(logs[1], "ready"));
        },
        60000);
    ASSERT_GE(second, 0) << "both run";
    EXPECT_EQ(probes[second]->Wait(), kOtherInstance);
    EXPECT_TRUE(WaitForLine(logs[1 - second], "fw " + Hex(0x83FF)));
    EXPECT_FALSE(probes[1 - second]->Ended());
    EXPECT_EQ(RunProbe(app_, log_, "-QUIT"), kOtherInstance);
    EXPECT_EQ(probes[1 - second]->Wait(), 0u);
  }
}

TEST_F(Startup, StartsThatMeetAnInstanceStillStartingWaitHandlingTheirMessagesAndEndClearly) {
  // The data folder lies below a file: the first instance, which holds the
  // mark, waits for it without a hidden window. Once the folder can be made,
  // its hidden window is there but does not answer until the test lets it.
  const std::string blocker = dir_ / "blocker";
  data_ = blocker + "\\data";
  ASSERT_TRUE(WriteWholeFile(blocker, "a file, not a folder"));
  ASSERT_TRUE(Install(data_));
  const ProbeEvent stall(app_ + "_stall", "VELTRANO_PROBE_STALL");
  ASSERT_TRUE(stall);
  const std::string firstLog = dir_ / "first.log";
  const std::unique_ptr<Probe> first = stall.Start(app_, firstLog, "-WAITFORDATAPATH -MINIMIZE", "loop");
  ASSERT_TRUE(test_support::WaitUntil([&] { return first->HasWindow("OrvoWaitForDataPath"); }, 60000));

  const std::string secondLog = dir_ / "second.log";
  const std::string quitLog = dir_ / "quit.log";
  Probe second(app_, secondLog, "second");
  Probe quit(app_, quitLog, "-QUIT");
  EXPECT_TRUE(second.WaitsIdle()) << "the second start waits without handling its messages";
  EXPECT_TRUE(quit.WaitsIdle()) << "-QUIT waits without handling its messages";
  EXPECT_EQ(second.Wait(), kInstanceNotAnswering);
  EXPECT_EQ(quit.Wait(), kInstanceNotAnswering);
  EXPECT_TRUE(LinesStarting(secondLog, "box ").empty());
  EXPECT_TRUE(LinesStarting(quitLog, "box ").empty());
  EXPECT_FALSE(first->Ended());

  // A start that meets the window before it answers waits for it, and then
  // signals it.
  ASSERT_TRUE(DeleteFileA(blocker.c_str()));
  ASSERT_TRUE(WaitForLine(firstLog, "stalled"));
  const std::string thirdLog = dir_ / "third.log";
  Probe third(app_, thirdLog, "third");
  EXPECT_TRUE(third.WaitsIdle()) << "the third start signalled a window that did not answer";
  stall.Set();
  EXPECT_EQ(third.Wait(), kOtherInstance);
  EXPECT_TRUE(WaitForLine(firstLog, "fw " + Hex(0x83FF)));
  EXPECT_EQ(RunProbe(app_, log_, "-QUIT"), kOtherInstance);
  EXPECT_EQ(first->Wait(), 0u);
  EXPECT_EQ(ReadWholeFile(data_ + "\\(Orvo)Cmd.oqc"), std::string("-WAITFORDATAPATH -MINIMIZE", 27));
}

TEST_F(Startup, StartDuringTheShutDownOfTheRunningInstanceWaitsUntilItIsGoneAndRuns) {
  ASSERT_TRUE(Install(data_));
  const ProbeEvent linger(app_ + "_linger", "VELTRANO_PROBE_LINGER");
  ASSERT_TRUE(linger);
  const std::string firstLog = dir_ / "first.log";
  const std::unique_ptr<Probe> first = linger.Start(app_, firstLog, "-MINIMIZE first", "loop");
  ASSERT_TRUE(WaitForLine(firstLog, "ready"));
  EXPECT_EQ(RunProbe(app_, dir_ / "quit.log", "-QUIT"), kOtherInstance);
  // Its loop has ended; its shut-down waits (as for a worker) and holds the mark.
  ASSERT_TRUE(WaitForLine(firstLog, "ending"));

  const std::string secondLog = dir_ / "second.log";
  Probe second(app_, secondLog, "-MINIMIZE second", "loop");
  EXPECT_TRUE(second.WaitsIdle()) << "the second start is not waiting for the first one to be gone";
  linger.Set();
  EXPECT_EQ(first->Wait(), 0u);
  EXPECT_TRUE(WaitForLine(secondLog, "ready"));
  EXPECT_TRUE(HasLine(secondLog, "start 0x0"));
  EXPECT_EQ(LinesStarting(firstLog, "fw " + Hex(0x83FF)), std::vector<std::string>{});
  EXPECT_EQ(RunProbe(app_, log_, "-QUIT"), kOtherInstance);
  EXPECT_EQ(second.Wait(), 0u);
  EXPECT_EQ(ReadWholeFile(data_ + "\\(Orvo)Cmd.oqc"), std::string("-MINIMIZE second", 17));
}

// The backup, restore and reset of the running program, which the next start
// applies.
class BackupRestore : public PendingRestore {
 protected:
  void SetUp() override {
    PendingRestore::SetUp();
    CreateDirectoryA((data_ + "\\sub\\deep").c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(data_ + "\\sub\\deep\\Profile.oqc", std::string("profile\0\xFF\r\n", 11)));
    ASSERT_TRUE(WriteWholeFile(saved_, "the user's own archive"));
  }
  // One probe run that backs up (1), restores (0) or resets (2) after its
  // start-up, the file dialog choosing file.
  DWORD RunBackup(int mode, const std::string& file) {
    SetEnvironmentVariableA("VELTRANO_PROBE_BACKUP", std::to_string(mode).c_str());
    SetEnvironmentVariableA("VELTRANO_PROBE_FILE", file.c_str());
    DeleteFileA(log_.c_str());
    const DWORD code = RunProbe(app_, log_);
    SetEnvironmentVariableA("VELTRANO_PROBE_BACKUP", nullptr);
    SetEnvironmentVariableA("VELTRANO_PROBE_FILE", nullptr);
    return code;
  }
  // Every record file below the data folder but the command line, which
  // each start writes.
  std::map<std::string, std::string> Records(const std::string& relative = "") const {
    std::map<std::string, std::string> out;
    WIN32_FIND_DATAA found;
    const std::string folder = relative.empty() ? data_ : data_ + "\\" + relative;
    const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
      const std::string name = found.cFileName;
      const std::string path = relative.empty() ? name : relative + "\\" + name;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (name != "." && name != "..") out.merge(Records(path));
      } else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".oqc") == 0 && name != "(Orvo)Cmd.oqc") {
        out[path] = ReadWholeFile(folder + "\\" + name);
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return out;
  }

  const std::string archive_ = dir_ / "saved-by-the-user.BrindlexConfig";
  const std::string saved_ = dir_ / "older.BrindlexConfig";  // an archive outside the data folder
};

TEST_F(BackupRestore, RestoreBringsEveryRecordBackAtTheNextStart) {
  ASSERT_EQ(RunProbe(app_, log_), 0u);  // the program's own state record is there too
  ASSERT_EQ(RunBackup(1, archive_), 0u);
  EXPECT_TRUE(HasLine(log_, "backup 0"));
  EXPECT_TRUE(Boxes().empty());
  const std::map<std::string, std::string> backedUp = Records();
  ASSERT_EQ(backedUp.count("sub\\deep\\Profile.oqc"), 1u);
  ASSERT_EQ(backedUp.count("(Orvo)App.oqc"), 1u);

  ASSERT_TRUE(WriteWholeFile(data_ + "\\Options.oqc", "changed"));
  ASSERT_TRUE(DeleteFileA((data_ + "\\sub\\deep\\Profile.oqc").c_str()));
  ASSERT_TRUE(WriteWholeFile(data_ + "\\sub\\added.oqc", "added"));
  ASSERT_EQ(RunBackup(0, archive_), 0u);
  EXPECT_TRUE(HasLine(log_, "backup 0"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("Warning: your current configuration will be overwritten!"), std::string::npos);
  EXPECT_TRUE(Exists(Pending()));
  EXPECT_EQ(File("Options.oqc"), "changed");  // the running program's files wait for the next start

  DeleteFileA(log_.c_str());
  ASSERT_EQ(RunProbe(app_, log_), 0u);
  EXPECT_EQ(Records(), backedUp);
  EXPECT_FALSE(Exists(Pending()));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(BackupRestore, ResetStartsWithoutRecordsAndLeavesTheArchivesAlone) {
  ASSERT_EQ(RunBackup(2, ""), 0u);
  EXPECT_TRUE(HasLine(log_, "backup 0"));
  ZipHandle* zip = OpenZipFile(Pending().c_str(), nullptr);
  ASSERT_NE(zip, nullptr);
  ZipEntryInfo info{};
  EXPECT_EQ(GetZipEntry(zip, -1, &info), kZipOk);
  EXPECT_EQ(info.index, 1);
  EXPECT_EQ(GetZipEntry(zip, 0, &info), kZipOk);
  EXPECT_EQ(info.name, app_);
  (void)CloseZip(zip);

  DeleteFileA(log_.c_str());
  ASSERT_EQ(RunProbe(app_, log_), 0u);
  // Only what this start wrote itself.
  std::map<std::string, std::string> records = Records();
  records.erase("(Orvo)App.oqc");
  EXPECT_EQ(records, (std::map<std::string, std::string>{}));
  for (const char* kept : {"mine.BrindlexConfig", "Backup\\Veltrano-2026.01.01.BrindlexConfig"}) {
    EXPECT_EQ(File(kept), Current(kept));
  }
  EXPECT_EQ(ReadWholeFile(saved_), "the user's own archive");
  EXPECT_FALSE(Exists(Pending()));
}

TEST_F(BackupRestore, ForeignDamagedOrNoArchiveIsRefusedWithAMessageAndNothingStaged) {
  const std::string foreign = dir_ / "foreign.BrindlexConfig";
  ASSERT_TRUE(WriteConfigArchive(foreign, "OtherProduct", "", {{"Options.oqc", "foreign options"}}));
  const std::string damaged = dir_ / "damaged.BrindlexConfig";
  std::string options;
  while (options.size() < 3000) options += "restored options " + std::to_string(options.size()) + "\r\n";
  ASSERT_TRUE(WriteConfigArchive(damaged, app_, "", {{"Options.oqc", options}}));
  ASSERT_TRUE(DamageEntry(damaged, "Options.oqc"));
  const struct {
    std::string file;
    const char* result;
    std::string message;
  } cases[] = {
      {foreign, "backup 4", "Wrong product!"},
      {damaged, "backup 2", "the file is damaged.|" + damaged},
      {saved_, "backup 2", "Configuration file error!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(RunBackup(0, c.file), 0u);
    EXPECT_TRUE(HasLine(log_, c.result));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find(c.message), std::string::npos) << Boxes()[0];
    EXPECT_FALSE(Exists(Pending()));
    EXPECT_EQ(File("Options.oqc"), Current("Options.oqc"));
  }
}

TEST_F(BackupRestore, RecordInUseIsMissingFromTheBackupAndTheUserIsTold) {
  const CFileHandle inUse(CreateFileA((data_ + "\\sub\\old.oqc").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(inUse);
  ASSERT_EQ(RunBackup(1, archive_), 0u);
  EXPECT_TRUE(HasLine(log_, "backup 5"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("Some file(s) could not be backed up!"), std::string::npos) << Boxes()[0];
  ZipHandle* zip = OpenZipFile(archive_.c_str(), nullptr);
  ASSERT_NE(zip, nullptr);
  int index = -1;
  EXPECT_EQ(FindZipEntry(zip, "Options.oqc", 0, &index, nullptr), kZipOk);
  EXPECT_EQ(FindZipEntry(zip, "sub/deep/Profile.oqc", 0, &index, nullptr), kZipOk);
  EXPECT_NE(FindZipEntry(zip, "sub/old.oqc", 0, &index, nullptr), kZipOk);
  (void)CloseZip(zip);
}

TEST_F(Startup, QuitWithoutARunningInstanceEndsAtOnce) {
  ASSERT_TRUE(Install(data_));
  EXPECT_EQ(RunProbe(app_, log_, "-quit"), kOtherInstance);
  EXPECT_FALSE(Exists(data_ + "\\(Orvo)Cmd.oqc"));
  EXPECT_FALSE(Exists(data_ + "\\(Orvo)App.oqc"));
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
