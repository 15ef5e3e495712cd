// Start-up's decisions that need no system: the installation record taken
// from the registry's bytes, the data folders it names, the system version,
// the name that marks the running instance and which files a pending restore
// leaves in place.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/base/app_records.h"
#include "framework/util/text_util.h"

// Copies the first sizeof(InstallRecord) bytes of the registry value into
// out. The installer (or anyone with access to the machine's registry) wrote
// them: every text field is cut to its last byte, so that a field without its
// terminating zero never runs into the next. False, with out left as it was,
// when the value is shorter than the record.
[[nodiscard]] bool CopyInstallRecord(const void* value, std::size_t size, InstallRecord& out) noexcept;

struct DataFolderSources {
  const char* appData;        // the user's application-data folder
  const char* commonAppData;  // the application-data folder of all users
  const char* appName;
  const char* userName;
};

// The per-user and the all-users data folder (260 characters each): the
// record's data path when it asks for one (with "\<user name>" appended to
// the per-user folder when it asks for that too), else
// "<application data>\Brindlex\<application name>" of each. False when a
// folder does not fit (a cut path would be another folder) or its
// application-data folder is empty (not found): that folder is left empty.
[[nodiscard]] bool ChooseDataFolders(const InstallRecord& install, const DataFolderSources& sources,
                                     char* dataFolder, char* allUsersDataFolder) noexcept;

// 0 unknown, 6 Vista, 7, 8 (8 and 8.1), 10, 11 (build 22000 on).
[[nodiscard]] std::uint32_t OsVersionFrom(std::uint32_t major, std::uint32_t minor, std::uint32_t build) noexcept;

// A program started with a show command other than a plain show starts
// minimized.
[[nodiscard]] bool IsMinimizedShowCommand(int showCommand) noexcept;

// The name of the object that marks the application's running instance in
// the user's session: "Local\" followed by the application's tag (the CRC-32
// of its name) and the name itself, in which every backslash becomes '_' (a
// further backslash would name another namespace), cut to fit MAX_PATH.
void InstanceObjectName(const char* appName, std::uint32_t appCrc, char (&out)[kMaxPathText]) noexcept;

// Whether a restore or reset leaves the data file at path in place although
// its archive's keep list does not name it: the configuration archives that
// could undo it. That is any "*.BrindlexConfig", and everything in the folder
// of the scheduled archives when that folder lies below the data folder (an
// archive folder that is the data folder itself, or holds it, would keep the
// whole configuration from being restored; an empty one names none).
[[nodiscard]] bool RestoreKeepsArchive(const char* path, const char* dataFolder, const char* archiveFolder) noexcept;
