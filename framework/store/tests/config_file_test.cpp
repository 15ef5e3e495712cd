#include "framework/store/config_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "framework/object/application.h"
#include "framework/util/file_replace.h"
#include "framework/util/files.h"
#include "framework/util/text_util.h"
#include "tests/support/win32/win_test_support.h"

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

// Another program asks this thread's window to save the record: what became
// of that write.
LRESULT CALLBACK SavingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  return static_cast<LRESULT>(WriteConfigFileChecked("(Orvo)App", -1, "nested", 6, 0).outcome);
}

class RecordFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, (tmp_ / "user").c_str());
    CopyText(gApp.allUsersDataFolder, sizeof gApp.allUsersDataFolder, (tmp_ / "common").c_str());
  }
  TempDir tmp_;
};

}  // namespace

TEST_F(RecordFiles, NamedByIndexAndFolderWrittenIntoMissingFoldersAndReadBack) {
  const struct {
    const char* name;
    int index, allUsers;
    std::string path, elsewhere;
  } cases[] = {{"(Orvo)App", -1, 0, tmp_ / "user\\(Orvo)App.oqc", tmp_ / "common\\(Orvo)App.oqc"},
               {"(Orvo)Win", 3, 0, tmp_ / "user\\(Orvo)Win3.oqc", tmp_ / "common\\(Orvo)Win3.oqc"},
               {"Options", -1, 1, tmp_ / "common\\Options.oqc", tmp_ / "user\\Options.oqc"}};
  ASSERT_FALSE(test_support::IsDirectory(gApp.dataFolder));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    char path[260];
    ASSERT_TRUE(BuildConfigFilePath(c.name, c.index, path, c.allUsers));
    EXPECT_EQ(std::string(path), c.path);
    const auto size = static_cast<std::uint32_t>(c.path.size());
    EXPECT_EQ(WriteConfigFile(c.name, c.index, c.path.data(), size, c.allUsers), size);
    EXPECT_EQ(ReadWholeFile(c.path), c.path);
    EXPECT_FALSE(Exists(test_support::RecordTempOf(c.path)));
    EXPECT_FALSE(Exists(c.elsewhere));
    std::string back(size, '\0');
    EXPECT_EQ(ReadConfigFile(c.name, c.index, &back[0], size, c.allUsers), size);
    EXPECT_EQ(back, c.path);
    EXPECT_EQ(ReadConfigFile(c.name, c.index, nullptr, 0, c.allUsers), size);  // size only
  }
}

TEST_F(RecordFiles, MissingOrShortRecordLeavesTheRestOfTheBuffer) {
  char buffer[8];
  std::memset(buffer, 'z', sizeof buffer);
  EXPECT_EQ(ReadConfigFile("(Orvo)App", -1, buffer, sizeof buffer, 0), 0u);
  EXPECT_EQ(std::string(buffer, sizeof buffer), "zzzzzzzz");
  ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "abc", 3, 0), 3u);
  EXPECT_EQ(ReadConfigFile("(Orvo)App", -1, buffer, sizeof buffer, 0), 3u);
  EXPECT_EQ(std::string(buffer, sizeof buffer), "abczzzzz");
}

TEST_F(RecordFiles, ReadTellsAMissingRecordFromOneThatCouldNotBeRead) {
  const std::string path = tmp_ / "user\\(Orvo)App.oqc";
  const auto read = [](std::uint32_t* count) {
    char buffer[8];
    return ReadConfigFileChecked("(Orvo)App", -1, buffer, sizeof buffer, 0, count);
  };
  std::uint32_t count = 99;
  EXPECT_EQ(read(&count), RecordRead::kMissing);  // not even its folder
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "abc", 3, 0), 3u);
  const struct {
    DWORD share, access;
    RecordRead expected;
  } cases[] = {
      {0, GENERIC_READ, RecordRead::kUnreadable},
      // A handle that may rename or delete the record (a replace has one)
      // keeps none of our readers out.
      {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, GENERIC_READ | DELETE, RecordRead::kRead},
  };
  for (const auto& c : cases) {
    const CFileHandle held = test_support::OpenExisting(path, c.share, c.access);
    ASSERT_TRUE(held);
    EXPECT_EQ(read(&count), c.expected) << c.share;
    EXPECT_EQ(count, c.expected == RecordRead::kRead ? 3u : 0u);
  }
  EXPECT_EQ(read(&count), RecordRead::kRead);
}

// Another program holds the record while it is replaced, opened with read
// and write sharing but without delete sharing.
TEST_F(RecordFiles, ReplaceWaitsForAHeldRecordAndFailsWithoutLeavingItsTemporary) {
  const std::string target = tmp_ / "user\\(Orvo)App.oqc";
  const struct {
    DWORD releaseAfter;
    bool replaced;
  } cases[] = {{300, true}, {INFINITE, false}};  // released within the retries, or only after the save
  for (const auto& c : cases) {
    SCOPED_TRACE(c.releaseAfter);
    ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "old", 3, 0), 3u);
    {
      test_support::ReleasedAfter held(test_support::OpenExisting(target, test_support::kIndexerSharing),
                                       c.releaseAfter);
      ASSERT_TRUE(held.Holding());
      EXPECT_EQ(WriteConfigFile("(Orvo)App", -1, "new!", 4, 0), c.replaced ? 4u : 0u);
    }
    EXPECT_EQ(ReadWholeFile(target), c.replaced ? "new!" : "old");
    EXPECT_FALSE(Exists(test_support::RecordTempOf(target)));
  }
}

TEST_F(RecordFiles, ReadOnlyRecordIsRefusedAtOnceWithTheSystemsReason) {
  const std::string target = tmp_ / "user\\(Orvo)App.oqc";
  ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "old", 3, 0), 3u);
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
  const ULONGLONG start = GetTickCount64();
  const RecordWriteStatus status = WriteConfigFileChecked("(Orvo)App", -1, "new!", 4, 0);
  EXPECT_TRUE(status.Failed());
  EXPECT_EQ(status.error, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  // Well below the two seconds that a held record is waited for.
  EXPECT_LT(GetTickCount64() - start, 1500u);
  EXPECT_EQ(ReadWholeFile(target), "old");
  EXPECT_FALSE(Exists(test_support::RecordTempOf(target)));
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A write of a record that waits for another program to let go of it, and a
// second write of the same record meanwhile: from another thread (the
// archive worker and the dialog), or from a message that this thread answers
// while it waits (a save asked for by another program). The second's
// contents, the newest, are the ones that stay. From another thread it
// tells what became of them once they are in the file or failed; from this
// thread, where the first write lies below it, it cannot wait, and the first
// answers for them.
TEST_F(RecordFiles, WriteDuringTheWaitOfAnotherIsHandedOverAndTheNewestStays) {
  const std::string target = tmp_ / "user\\(Orvo)App.oqc";
  const std::string temp = test_support::RecordTempOf(target);
  const CWindowHandle window(test_support::MakeClassWindow("VltRecordWriteTest", &SavingProc));
  ASSERT_TRUE(window);
  const struct {
    bool fromThisThread;
    bool letGo;  // the other program lets go once the second write is staged, or only after both
    RecordWriteOutcome second;
  } cases[] = {{false, true, RecordWriteOutcome::kLanded},
               {false, false, RecordWriteOutcome::kFailed},
               {true, true, RecordWriteOutcome::kWithOuterWrite},
               {true, false, RecordWriteOutcome::kWithOuterWrite}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.fromThisThread) + " " + std::to_string(c.letGo));
    ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "old", 3, 0), 3u);
    CFileHandle held = test_support::OpenExisting(target, test_support::kIndexerSharing);
    ASSERT_TRUE(held);
    RecordWriteStatus first{};
    RecordWriteOutcome second = RecordWriteOutcome::kFailed;
    bool heldThroughout = false;
    // The first write is waiting once its temporary, named after this
    // process, is there; the second comes while the record is still held.
    const auto secondWrite = [&] {
      if (!test_support::WaitUntil([&] { return Exists(temp); }, 60000)) return;
      if (c.fromThisThread) {
        DWORD_PTR answer = 99;
        (void)SendMessageTimeoutA(window.Get(), WM_APP, 0, 0, SMTO_NORMAL, 30000, &answer);
        second = static_cast<RecordWriteOutcome>(answer);
        heldThroughout = held.Valid();
        if (c.letGo) held.Reset();
        return;
      }
      CRecordWrite write;
      if (!write.Stage("(Orvo)App", -1, "nested", 6, 0)) return;
      heldThroughout = held.Valid();
      if (c.letGo) held.Reset();
      second = write.Finish().outcome;
    };
    if (c.fromThisThread) {
      std::thread other(secondWrite);
      first = WriteConfigFileChecked("(Orvo)App", -1, "first", 5, 0);
      other.join();
    } else {
      std::thread other([&] { first = WriteConfigFileChecked("(Orvo)App", -1, "first", 5, 0); });
      secondWrite();
      other.join();
    }
    held.Reset();
    EXPECT_TRUE(heldThroughout);
    EXPECT_EQ(second, c.second);
    EXPECT_EQ(first.Landed(), c.letGo);
    EXPECT_EQ(first.error != 0, !c.letGo);
    EXPECT_EQ(ReadWholeFile(target), c.letGo ? "nested" : "old");
    EXPECT_FALSE(Exists(temp));
    EXPECT_FALSE(Exists(target + "_tmp"));
  }
}

// The exit and the end of the session wait for another thread's write under
// way: once the wait returns, its contents are in the file.
TEST_F(RecordFiles, TheWaitForWritesUnderWayEndsOnceTheyLanded) {
  const std::string target = tmp_ / "user\\(Orvo)App.oqc";
  ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "old", 3, 0), 3u);
  test_support::ReleasedAfter held(test_support::OpenExisting(target, test_support::kIndexerSharing), 300);
  ASSERT_TRUE(held.Holding());
  std::thread writer([] { (void)WriteConfigFile("(Orvo)App", -1, "new!", 4, 0); });
  ASSERT_TRUE(test_support::WaitUntil([&] { return Exists(test_support::RecordTempOf(target)); }, 60000));
  EXPECT_TRUE(WaitForRecordWrites(kRecordWriteWaitMs));
  EXPECT_EQ(ReadWholeFile(target), "new!");
  writer.join();
}

// Temporaries of processes that have ended (or whose id a process started
// after them now has): the whole one of a missing record is put in place,
// however young; written more than ten minutes ago, scratch files and those
// of a record that is there go, a cut one of a missing record is kept
// aside. Those of a process that runs, the others written lately (a process
// of another machine that shares the folder may be writing them) and every
// file that only looks alike stay.
TEST_F(RecordFiles, LeftoverTemporariesOfEndedProcessesAreRemovedOrPutInPlace) {
  // One that has ended, its id kept from reuse by the handle, and one that
  // runs.
  DWORD endedId = 0;
  DWORD runningId = 0;
  const CKernelHandle ended = test_support::StartSuspendedCopy(&endedId);
  const CKernelHandle running = test_support::StartSuspendedCopy(&runningId);
  ASSERT_TRUE(ended && running);
  TerminateProcess(ended.Get(), 0);
  ASSERT_EQ(WaitForSingleObject(ended.Get(), 60000), WAIT_OBJECT_0);
  const std::string gone = std::to_string(endedId);
  const std::string runs = std::to_string(runningId);
  const std::string folder = tmp_ / "user";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string removed[] = {"Options.oqc_tmp" + gone, "~vz" + gone + "-0.tmp", "~vz" + gone + "-17.tmp",
                                 "Options.oqc_tmp" + runs, "~vz" + runs + "-2.tmp"};
  const std::string kept[] = {"Options.oqc_tmp", "Options.oqc", "notes_tmp" + gone, "Options.txt_tmp" + gone,
                              "~vz" + gone + ".tmp", "~vz" + gone + "-1.tmp.txt"};
  const std::string young[] = {"(Orvo)Bar2.oqc_tmp" + gone, "~vz" + gone + "-9.tmp", "~vz" + runs + "-3.tmp",
                               "(Orvo)Win6.oqc_tmp" + runs};
  for (const auto& name : removed) ASSERT_TRUE(WriteWholeFile(folder + "\\" + name, "x"));
  for (const auto& name : kept) ASSERT_TRUE(WriteWholeFile(folder + "\\" + name, "x"));
  for (const auto& name : young) ASSERT_TRUE(WriteWholeFile(folder + "\\" + name, "x"));
  ASSERT_TRUE(WriteWholeFile(folder + "\\(Orvo)Win6.oqc_tmp" + runs, "whole"));
  // Put in place: old, young, and old with the id of a process started since.
  for (const auto& name : {"(Orvo)Win3.oqc_tmp" + gone, "(Orvo)Win5.oqc_tmp" + gone, "(Orvo)Win7.oqc_tmp" + runs}) {
    ASSERT_TRUE(WriteWholeFile(folder + "\\" + name, "whole"));
  }
  ASSERT_TRUE(WriteWholeFile(folder + "\\(Orvo)Win4.oqc_tmp" + gone, "cut"));
  for (const auto& name : {removed[0], removed[1], removed[2], removed[3], removed[4], "(Orvo)Win3.oqc_tmp" + gone,
                           "(Orvo)Win4.oqc_tmp" + gone, "(Orvo)Win7.oqc_tmp" + runs}) {
    ASSERT_TRUE(test_support::SetWrittenMinutesAgo(folder + "\\" + name, 11)) << name;
  }
  ASSERT_TRUE(CreateDirectoryA((folder + "\\~vz" + gone + "-5.tmp").c_str(), nullptr));
  const auto check = [](const char* tempPath, const char*) noexcept {
    return ReadWholeFile(tempPath) == "whole" ? TempContents::kWhole : TempContents::kDamaged;
  };
  const LeftoverCounts counts = SettleLeftoverTemporaries((folder + "\\").c_str(), "oqc", check);
  EXPECT_EQ(counts.removed, 5);
  EXPECT_EQ(counts.putInPlace, 3);
  EXPECT_EQ(counts.keptAside, 1);
  for (const auto& name : removed) EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
  for (const auto& name : young) EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
  EXPECT_TRUE(test_support::IsDirectory(folder + "\\~vz" + gone + "-5.tmp"));
  for (const char* record : {"(Orvo)Win3.oqc", "(Orvo)Win5.oqc", "(Orvo)Win7.oqc"}) {
    EXPECT_EQ(ReadWholeFile(folder + "\\" + record), "whole") << record;
  }
  EXPECT_FALSE(Exists(folder + "\\(Orvo)Win6.oqc"));
  EXPECT_EQ(ReadWholeFile(folder + "\\(Orvo)Win4.oqc_damaged" + gone), "cut");
  EXPECT_FALSE(Exists(folder + "\\(Orvo)Win4.oqc"));
  TerminateProcess(running.Get(), 0);
}

TEST_F(RecordFiles, OverlongTemporaryNameFailsWithoutTouchingTheTarget) {
  // A folder that leaves room for the target (259 characters) but not for
  // "<target>_tmp<process id>".
  std::string folder = tmp_.Path();
  const std::size_t want = 259 - std::strlen("\\(Orvo)App.oqc");
  while (folder.size() < want) folder += "\\" + std::string(std::min<std::size_t>(40, want - folder.size() - 1), 'f');
  ASSERT_EQ(CreateDirectoryPath(folder.c_str(), 0), CreateDirResult::kExists);
  CopyText(gApp.dataFolder, sizeof gApp.dataFolder, folder.c_str());
  const std::string target = folder + "\\(Orvo)App.oqc";
  ASSERT_EQ(target.size(), 259u);
  ASSERT_TRUE(WriteWholeFile(target, "live"));
  EXPECT_EQ(WriteConfigFile("(Orvo)App", -1, "replacement", 11, 0), 0u);
  EXPECT_EQ(ReadWholeFile(target), "live");
  char buffer[4];
  EXPECT_EQ(ReadConfigFile("(Orvo)App", -1, buffer, sizeof buffer, 0), 4u);  // the record itself still reads
}

TEST_F(RecordFiles, OtherFilesAtomicallyOrInPlace) {
  const std::string folder = tmp_ / "elsewhere";
  EXPECT_EQ(WriteFileAtomic(folder.c_str(), "plain", nullptr, "x", 1, 0), 1u);
  EXPECT_EQ(ReadWholeFile(folder + "\\plain"), "x");
  EXPECT_EQ(ReadDataFile(folder.c_str(), "plain", nullptr, nullptr, 0, 0), 1u);
  EXPECT_EQ(ReadDataFile(folder.c_str(), "plain", "txt", nullptr, 0, 0), 0u);
  // Created, appended to, written at the start when opened, truncated.
  const std::string path = tmp_ / "deep\\er\\Options.oqc";
  const struct {
    const char* data;
    int append;
    const char* after;
  } writes[] = {{"hello", 0, "hello"}, {"!!", 1, "hello!!"}, {"j", 2, "jello!!"}, {"hi", 0, "hi"}};
  for (const auto& w : writes) {
    const auto size = static_cast<std::uint32_t>(std::strlen(w.data));
    EXPECT_EQ(WriteFileCreatingFolders(path.c_str(), w.data, size, w.append), size);
    EXPECT_EQ(ReadWholeFile(path), w.after);
  }
}
