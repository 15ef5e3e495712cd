// What the settings dialog decides without the window system: the profile
// list's editing with its selected index, which list buttons and page
// controls are enabled for a profile, and which profile field each page
// control shows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scrolling/options/options.h"

// The selected index made valid for count profiles: -1 exactly when the
// list is empty, the last profile when it is past the end, 0 below 0.
[[nodiscard]] int CorrectedSelection(int count, int selected) noexcept;

// The profile list's editing. Each works on the selection as corrected for
// the options' count, changes nothing and returns false when it does not
// apply, and otherwise moves the selection with the profile, tells the
// options that the list changed (NoteProfilesChanged) and returns true.
// Inserts at the selection (0 when the list is empty); refused at
// kMaxProfiles profiles.
bool InsertProfile(Options& options, int& selected, const Profile& profile) noexcept;
// Removes the selected profile; the selection stays, or moves to the new last.
bool DeleteProfile(Options& options, int& selected) noexcept;
// Swaps the selected profile with its predecessor or successor.
bool MoveProfileUp(Options& options, int& selected) noexcept;
bool MoveProfileDown(Options& options, int& selected) noexcept;

struct ListButtons {
  bool newProfile;
  bool remove;
  bool up;
  bool down;
};
[[nodiscard]] ListButtons ListButtonsFor(int count, int selected) noexcept;

// The three pages in tab order.
enum class SettingsPage : std::uint8_t { Scroll = 0, Wheel = 1, Button = 2 };
inline constexpr int kSettingsPageCount = 3;

// The enabled state of every control that a page's rules cover.
struct ControlEnable {
  int id;
  bool enabled;
};
struct PageEnables {
  static constexpr std::size_t kMax = 40;
  ControlEnable items[kMax];
  std::size_t count;
};
[[nodiscard]] PageEnables PageEnablesFor(SettingsPage page, const Profile& profile) noexcept;

// How a page control shows its profile field.
enum class FieldKind : std::uint8_t {
  Check,   // check box of a flag (any integer width)
  Radio,   // radio button: checked when the field equals value
  Double,  // speed factor, shown with three decimals
  Int,     // integer within [min, max]
  Mode,    // drop-down list: the item index is the stored mode
  Text,    // command line of the field's buffer size
  HotKey,  // hot-key field
};
struct PageField {
  int id;
  FieldKind kind;
  std::size_t offset;
  std::size_t size;
  int min;  // Int: range; Radio: the value it stands for; Mode: its text id
  int max;
};
struct PageFields {
  const PageField* fields;
  std::size_t count;
};
[[nodiscard]] PageFields PageFieldsFor(SettingsPage page) noexcept;
// The field of the control, or null.
[[nodiscard]] const PageField* FindPageField(SettingsPage page, int id) noexcept;

// The speed factors' range.
inline constexpr double kSpeedFactorMin = 0.0001;
inline constexpr double kSpeedFactorMax = 100.0;

// Integer-like fields (Check, Radio, Int, Mode, HotKey) as a value, and back;
// a check box writes 0 or 1.
[[nodiscard]] std::int32_t FieldInt(const Profile& profile, const PageField& field) noexcept;
void SetFieldInt(Profile& profile, const PageField& field, std::int32_t value) noexcept;
[[nodiscard]] double FieldDouble(const Profile& profile, const PageField& field) noexcept;
void SetFieldDouble(Profile& profile, const PageField& field, double value) noexcept;
// Text fields: the buffer in the profile, field.size bytes.
[[nodiscard]] char* FieldText(Profile& profile, const PageField& field) noexcept;
[[nodiscard]] const char* FieldText(const Profile& profile, const PageField& field) noexcept;
