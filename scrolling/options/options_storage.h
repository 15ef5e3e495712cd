// Storing the options: the list of keys of the options file (one list of
// calls for loading and saving) and the import of the two older layouts of
// the same record. Platform-free; options_file.h binds it to the data folder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/store/config_archive.h"
#include "framework/store/record_forms.h"
#include "scrolling/options/options.h"

inline constexpr char kOptionsRecordName[] = "Options";
inline constexpr RecordForm kOptionsRecordForm{kOptionsRecordName, RecordFormKind::kOptionsArchive, 0, false};
// An options file that is neither readable in the current format nor a whole
// older layout is moved to this record (Options_damaged.oqc) before anything
// can save over it.
inline constexpr char kDamagedOptionsRecordName[] = "Options_damaged";
// An options file of an older layout is copied to this record
// (Options_old.oqc) before anything saves the current form over it.
inline constexpr char kOldOptionsRecordName[] = "Options_old";

// What a load found out about the options file, which the saves of the same
// run must respect.
enum class OptionsFileState : std::uint8_t {
  kSavable,     // read, missing or empty, or its bytes are kept under another name
  kUnreadable,  // there but not read (held past the wait, refused, too large), or
                // missing beside a whole temporary of a writer that runs: a save
                // would put the factory options in the place of the user's
  kNotKept,     // an older layout or a damaged file that could not be copied
                // under its other name: a save would destroy it
};

// The older raw image: 16 program-wide bytes and 1024 profile images.
inline constexpr std::size_t kLayoutAProfileSize = 2952;
inline constexpr std::size_t kLayoutAImageSize = 16 + kMaxProfiles * kLayoutAProfileSize;
static_assert(kLayoutAImageSize == 3022864, "layout A image size");

// Profile counts outside 0..1024 are cut to the nearest bound; the current
// profile index to -1..count-1.
[[nodiscard]] std::int32_t ClampProfileCount(std::int32_t count) noexcept;
[[nodiscard]] std::int32_t ClampCurrentProfile(std::int32_t current, std::int32_t count) noexcept;

// Every stored key in order, loading or saving as the serializer's mode says.
// When loading, each profile gets its defaults before its keys are read.
void ConfigOptionsKeys(CConfigText& text, Options& options);

// save 0 loads `options`, 1 saves them. Returns 1 when the options file was
// read or written through the key list; on a load that found no readable
// options file, the factory options and then the result of the import. The
// file is read once, and what is decided is decided on those bytes. `file`,
// when given, carries what the load found to the saves of the same run: a
// load sets it, and a save writes nothing (and returns 0) unless it is
// kSavable.
int LoadSaveOptionsWith(CRecordStore& store, Options& options, int save, OptionsFileState* file = nullptr);

// Converts an older layout of the options record into `options` (which hold
// the factory options): 1 when a layout was taken, 0 otherwise. The file is
// first copied to Options_old; then a layout B stream is saved in the
// current form at once, a layout A image at the next save. A record in the
// current format, one of zeros, or one that is no whole older layout is
// never imported but moved aside. A record that could not be read is left
// alone. `file` as for LoadSaveOptionsWith.
int ImportOldOptionsWith(CRecordStore& store, Options& options, OptionsFileState* file = nullptr);

// The importers over bytes. Each profile taken gets its defaults first, so a
// field the layout does not hold has its default value.
[[nodiscard]] bool ImportLayoutA(const std::uint8_t* image, std::size_t size, Options& options);
// False, with `options` untouched, when the stream holds no profile count.
[[nodiscard]] bool ImportLayoutB(CConfigByteBuffer& stream, Options& options);
