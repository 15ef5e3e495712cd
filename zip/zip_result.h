// Result codes shared by the archive writer and reader. Callers compare
// against these values, so they are fixed.
#pragma once

#include <cstdint>

using ZipResult = std::uint32_t;

inline constexpr ZipResult kZipOk = 0x00000000u;
inline constexpr ZipResult kZipNotFound = 0x00000200u;        // file missing / no valid archive
inline constexpr ZipResult kZipNoMemory = 0x00000300u;        // allocation or mapping failed
inline constexpr ZipResult kZipWriteFailed = 0x00000400u;     // header, data, directory or compression
inline constexpr ZipResult kZipNameNotFound = 0x00000500u;
inline constexpr ZipResult kZipMoreData = 0x00000600u;        // caller's buffer filled first
inline constexpr ZipResult kZipCorrupt = 0x00000700u;         // headers disagree, bad CRC
inline constexpr ZipResult kZipReadFailed = 0x00000800u;
inline constexpr ZipResult kZipBadPassword = 0x00001000u;
inline constexpr ZipResult kZipBadArguments = 0x00010000u;
inline constexpr ZipResult kZipNotMemory = 0x00020000u;
inline constexpr ZipResult kZipMemoryFull = 0x00030000u;
inline constexpr ZipResult kZipWriterFailed = 0x00040000u;
inline constexpr ZipResult kZipFinished = 0x00050000u;
inline constexpr ZipResult kZipWrongHandle = 0x00080000u;
inline constexpr ZipResult kZipStoredSizeChanged = 0x04000000u;
inline constexpr ZipResult kZipDataFailed = 0x05000000u;
