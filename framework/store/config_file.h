// The record files of the data folder: composing their names, reading them
// and replacing them atomically.
#pragma once

#include <cstdint>

#include "framework/store/record_store.h"

// "<data folder>\<name><index>.oqc" (the all-users data folder when allUsers
// is 1; no index when it is -1) into outPath (260 characters). False when the
// name does not fit; outPath then holds the cut text.
bool BuildConfigFilePath(const char* name, int index, char* outPath, int allUsers) noexcept;

// Reads the file "<folder>\<name>.<extension>" (folder null = the data
// folder; name and extension each left out when null). With buffer null the
// result is the file size; otherwise at most size bytes are read and their
// number returned. 0 when the file cannot be opened or its name does not fit.
[[nodiscard]] std::uint32_t ReadDataFile(const char* folder, const char* name, const char* extension, void* buffer,
                                         std::uint32_t size, int allUsers) noexcept;

[[nodiscard]] std::uint32_t ReadConfigFile(const char* name, int index, void* buffer, std::uint32_t size,
                                           int allUsers) noexcept;

// ReadConfigFile for a caller that must not take a record it could not read
// for a missing one; count receives what ReadConfigFile returns.
[[nodiscard]] RecordRead ReadConfigFileChecked(const char* name, int index, void* buffer, std::uint32_t size,
                                               int allUsers, std::uint32_t* count) noexcept;

// Writes the data to "<target>_tmp", flushes it and moves it over the target
// (waiting a moment for a target that another program holds), creating the
// folder when it is missing. Returns size on success, else 0; on failure the
// previous target file is untouched and the temporary file removed.
[[nodiscard]] std::uint32_t WriteFileAtomic(const char* folder, const char* name, const char* extension,
                                            const void* data, std::uint32_t size, int allUsers) noexcept;

[[nodiscard]] std::uint32_t WriteConfigFile(const char* name, int index, const void* data, std::uint32_t size,
                                            int allUsers) noexcept;

// Writes in place: creating or truncating the file (append 0) or opening it,
// created if missing (append nonzero), at its end when append is 1. Creates
// the folder when it is missing. Returns the number of bytes written.
[[nodiscard]] std::uint32_t WriteFileCreatingFolders(const char* path, const void* data, std::uint32_t size,
                                                     int append) noexcept;
