#include "scrolling/settings/settings_core.h"

#include <cstring>
#include <iterator>

#include "scrolling/settings/res/settings_ids.h"

namespace {

bool Valid(const Options& options, int index) noexcept { return index >= 0 && index < options.iNumPar; }

int Count(const Options& options) noexcept {
  return options.iNumPar < 0 ? 0 : (options.iNumPar > kMaxProfiles ? kMaxProfiles : options.iNumPar);
}

#define FIELD(id, kind, member, min, max) \
  PageField { id, FieldKind::kind, offsetof(Profile, member), sizeof(Profile::member), min, max }

const PageField kScrollFields[] = {
    FIELD(IDC_SCR_ENABLE, Check, bScrollEnable, 0, 1),
    FIELD(IDC_SCR_RIGHT, Radio, bUseMiddle, 0, 0),
    FIELD(IDC_SCR_MIDDLE, Radio, bUseMiddle, 1, 1),
    FIELD(IDC_SCR_CTRL, Check, bUseCtrl, 0, 1),
    FIELD(IDC_SCR_ALT, Check, bUseAlt, 0, 1),
    FIELD(IDC_SCR_SHIFT, Check, bUseShift, 0, 1),
    FIELD(IDC_SCR_SWAP_CTRL, Check, bSwapCtrl, 0, 1),
    FIELD(IDC_SCR_ENABLE_X, Check, bEnableX, 0, 1),
    FIELD(IDC_SCR_INVERT_X, Check, bInvertX, 0, 1),
    FIELD(IDC_SCR_SPEED_X, Double, dSpeedX, 0, 0),
    FIELD(IDC_SCR_ENABLE_Y, Check, bEnableY, 0, 1),
    FIELD(IDC_SCR_INVERT_Y, Check, bInvertY, 0, 1),
    FIELD(IDC_SCR_SPEED_Y, Double, dSpeedY, 0, 0),
    FIELD(IDC_SCR_FREEZE, Check, bFreezeCursor, 0, 1),
    FIELD(IDC_SCR_HIDE, Check, bHideCursor, 0, 1),
    FIELD(IDC_SCR_TRIGGER, Int, iTriggerDistance, 0, 100),
    FIELD(IDC_SCR_LOCK_AXIS, Check, bLockOneAxis, 0, 1),
    FIELD(IDC_SCR_UP_MODE, Mode, iUpMode, kVerticalModeTextId, 4),
    FIELD(IDC_SCR_UP_KEYS, HotKey, hkUp, 0, 0xFFFF),
    FIELD(IDC_SCR_DOWN_MODE, Mode, iDownMode, kVerticalModeTextId, 4),
    FIELD(IDC_SCR_DOWN_KEYS, HotKey, hkDown, 0, 0xFFFF),
    FIELD(IDC_SCR_LEFT_MODE, Mode, iLeftMode, kHorizontalModeTextId, 4),
    FIELD(IDC_SCR_LEFT_KEYS, HotKey, hkLeft, 0, 0xFFFF),
    FIELD(IDC_SCR_RIGHT_MODE, Mode, iRightMode, kHorizontalModeTextId, 4),
    FIELD(IDC_SCR_RIGHT_KEYS, HotKey, hkRight, 0, 0xFFFF),
};

const PageField kWheelFields[] = {
    FIELD(IDC_WHL_ENABLE, Check, bWheelEnable, 0, 1),
    FIELD(IDC_WHL_WSMIN, Int, iWSmin, 1, 25),
    FIELD(IDC_WHL_WSMAX, Int, iWSmax, 26, 100),
    FIELD(IDC_WHL_SSMIN, Int, iSSmin, 1, 10),
    FIELD(IDC_WHL_SSMAX, Int, iSSmax, 3, 100),
    FIELD(IDC_WHL_WSMED, Int, iWSmed, 1, 100),
    FIELD(IDC_WHL_DEFLINES, Int, iWheelDefLines, 1, 100),
    FIELD(IDC_WHL_CURSOR, Check, bWheelCursor, 0, 1),
    FIELD(IDC_WHL_FOREGROUND, Check, bWheelForeground, 0, 1),
    FIELD(IDC_WHL_INVERT, Check, bWheelInvert, 0, 1),
};

const PageField kButtonFields[] = {
    FIELD(IDC_BTN_ENABLE, Check, bEnableBackFwd, 0, 1),
    FIELD(IDC_BTN_CURSOR, Check, bBackCursor, 0, 1),
    FIELD(IDC_BTN_FOREGROUND, Check, bBackForeground, 0, 1),
    FIELD(IDC_BTN_BACK_MODE, Mode, iBackMode, kBackFwdModeTextId, 4),
    FIELD(IDC_BTN_BACK_KEYS, HotKey, hkBack, 0, 0xFFFF),
    FIELD(IDC_BTN_BACK_CMD, Text, szBackCmd, 0, 0),
    FIELD(IDC_BTN_FWD_MODE, Mode, iForwardMode, kBackFwdModeTextId, 4),
    FIELD(IDC_BTN_FWD_KEYS, HotKey, hkForward, 0, 0xFFFF),
    FIELD(IDC_BTN_FWD_CMD, Text, szForwardCmd, 0, 0),
    FIELD(IDC_BTN_MIDDLE_MODE, Mode, iMiddleMode, kMiddleModeTextId, 3),
    FIELD(IDC_BTN_MIDDLE_KEYS, HotKey, hkMiddle, 0, 0xFFFF),
    FIELD(IDC_BTN_MIDDLE_CMD, Text, szMiddleCmd, 0, 0),
};

#undef FIELD

class EnableWriter {
 public:
  explicit EnableWriter(PageEnables& out) noexcept : out_(out) { out_.count = 0; }
  template <std::size_t N>
  void Set(const int (&ids)[N], bool enabled) noexcept {
    for (const int id : ids) {
      if (out_.count < PageEnables::kMax) out_.items[out_.count++] = ControlEnable{id, enabled};
    }
  }

 private:
  PageEnables& out_;
};

void ScrollEnables(const Profile& p, EnableWriter& w) noexcept {
  const bool on = p.bScrollEnable != 0;
  const bool x = on && p.bEnableX != 0;
  const bool y = on && p.bEnableY != 0;
  constexpr int kKeys = ModeValue(VerticalMode::Keys);
  static_assert(ModeValue(HorizontalMode::Keys) == kKeys);
  w.Set({IDC_SCR_BUTTON_LABEL, IDC_SCR_RIGHT, IDC_SCR_MIDDLE, IDC_SCR_ENABLE_X, IDC_SCR_ENABLE_Y,
         IDC_SCR_MODIFIER_LABEL, IDC_SCR_CTRL, IDC_SCR_ALT, IDC_SCR_SHIFT, IDC_SCR_SWAP_CTRL, IDC_SCR_FREEZE,
         IDC_SCR_HIDE, IDC_SCR_TRIGGER_LABEL, IDC_SCR_TRIGGER, IDC_SCR_LOCK_AXIS},
        on);
  w.Set({IDC_SCR_INVERT_X, IDC_SCR_SPEED_X_LABEL, IDC_SCR_SPEED_X, IDC_SCR_LEFT_LABEL, IDC_SCR_LEFT_MODE,
         IDC_SCR_RIGHT_LABEL, IDC_SCR_RIGHT_MODE},
        x);
  w.Set({IDC_SCR_INVERT_Y, IDC_SCR_SPEED_Y_LABEL, IDC_SCR_SPEED_Y, IDC_SCR_UP_LABEL, IDC_SCR_UP_MODE,
         IDC_SCR_DOWN_LABEL, IDC_SCR_DOWN_MODE},
        y);
  w.Set({IDC_SCR_UP_KEYS}, y && p.iUpMode == kKeys);
  w.Set({IDC_SCR_DOWN_KEYS}, y && p.iDownMode == kKeys);
  w.Set({IDC_SCR_LEFT_KEYS}, x && p.iLeftMode == kKeys);
  w.Set({IDC_SCR_RIGHT_KEYS}, x && p.iRightMode == kKeys);
}

void WheelEnables(const Profile& p, EnableWriter& w) noexcept {
  const bool on = p.bWheelEnable != 0;
  w.Set({IDC_WHL_METRICS_LABEL, IDC_WHL_WSMIN_LABEL, IDC_WHL_WSMIN,        IDC_WHL_WSMIN_UNIT,  IDC_WHL_WSMAX_LABEL,
         IDC_WHL_WSMAX,         IDC_WHL_WSMAX_UNIT,  IDC_WHL_SSMIN_LABEL,  IDC_WHL_SSMIN,       IDC_WHL_SSMIN_UNIT,
         IDC_WHL_SSMAX_LABEL,   IDC_WHL_SSMAX,       IDC_WHL_SSMAX_UNIT,   IDC_WHL_WSMED_LABEL, IDC_WHL_WSMED,
         IDC_WHL_WSMED_UNIT,    IDC_WHL_CURVE_X_MIN, IDC_WHL_CURVE_X_NAME, IDC_WHL_CURVE_X_MAX, IDC_WHL_CURVE_Y_MAX,
         IDC_WHL_CURVE_Y_NAME,  IDC_WHL_CURVE_Y_MIN, IDC_WHL_CURVE,        IDC_WHL_WSMED_SLIDER},
        on);
  w.Set({IDC_WHL_DEFLINES_UNIT, IDC_WHL_DEFLINES, IDC_WHL_DEFLINES_LABEL}, !on);
}

void ButtonEnables(const Profile& p, EnableWriter& w) noexcept {
  const bool on = p.bEnableBackFwd != 0;
  constexpr int kKeys = ModeValue(BackFwdMode::Keys);
  constexpr int kCommand = ModeValue(BackFwdMode::CommandLine);
  w.Set({IDC_BTN_CURSOR, IDC_BTN_BACK_LABEL, IDC_BTN_BACK_MODE, IDC_BTN_FWD_LABEL, IDC_BTN_FWD_MODE}, on);
  w.Set({IDC_BTN_FOREGROUND}, on && p.bBackCursor != 0);
  w.Set({IDC_BTN_BACK_KEYS}, on && p.iBackMode == kKeys);
  w.Set({IDC_BTN_BACK_CMD_LABEL, IDC_BTN_BACK_CMD}, on && p.iBackMode == kCommand);
  w.Set({IDC_BTN_FWD_KEYS}, on && p.iForwardMode == kKeys);
  w.Set({IDC_BTN_FWD_CMD_LABEL, IDC_BTN_FWD_CMD}, on && p.iForwardMode == kCommand);
  w.Set({IDC_BTN_MIDDLE_KEYS}, p.iMiddleMode == ModeValue(MiddleMode::Keys));
  w.Set({IDC_BTN_MIDDLE_CMD_LABEL, IDC_BTN_MIDDLE_CMD}, p.iMiddleMode == ModeValue(MiddleMode::CommandLine));
}

// Integer fields of 1, 2 or 4 bytes, signed where the record has them signed.
std::int32_t ReadInteger(const unsigned char* at, std::size_t size) noexcept {
  switch (size) {
    case 1: return *at;
    case 2: {
      std::int16_t v;
      std::memcpy(&v, at, sizeof v);
      return v;
    }
    default: {
      std::int32_t v;
      std::memcpy(&v, at, sizeof v);
      return v;
    }
  }
}

void WriteInteger(unsigned char* at, std::size_t size, std::int32_t value) noexcept {
  switch (size) {
    case 1: *at = static_cast<unsigned char>(value); break;
    case 2: {
      const auto v = static_cast<std::int16_t>(value);
      std::memcpy(at, &v, sizeof v);
      break;
    }
    default: std::memcpy(at, &value, sizeof value); break;
  }
}

}  // namespace

int CorrectedSelection(int count, int selected) noexcept {
  if (count <= 0) return -1;
  if (selected >= count) return count - 1;
  return selected < 0 ? 0 : selected;
}

bool InsertProfile(Options& options, int& selected, const Profile& profile) noexcept {
  const int count = Count(options);
  if (count >= kMaxProfiles) return false;
  const int at = count == 0 ? 0 : CorrectedSelection(count, selected);
  std::memmove(&options.Par[at + 1], &options.Par[at], static_cast<std::size_t>(count - at) * sizeof(Profile));
  options.Par[at] = profile;
  options.iNumPar = count + 1;
  selected = at;
  NoteProfilesChanged();
  return true;
}

bool DeleteProfile(Options& options, int& selected) noexcept {
  const int count = Count(options);
  const int at = CorrectedSelection(count, selected);
  if (!Valid(options, at)) return false;
  std::memmove(&options.Par[at], &options.Par[at + 1], static_cast<std::size_t>(count - at - 1) * sizeof(Profile));
  std::memset(&options.Par[count - 1], 0, sizeof(Profile));
  options.iNumPar = count - 1;
  selected = CorrectedSelection(count - 1, at);
  NoteProfilesChanged();
  return true;
}

bool MoveProfileUp(Options& options, int& selected) noexcept {
  const int at = CorrectedSelection(Count(options), selected);
  if (at <= 0) return false;
  const Profile moved = options.Par[at];
  options.Par[at] = options.Par[at - 1];
  options.Par[at - 1] = moved;
  selected = at - 1;
  NoteProfilesChanged();
  return true;
}

bool MoveProfileDown(Options& options, int& selected) noexcept {
  const int count = Count(options);
  const int at = CorrectedSelection(count, selected);
  if (at < 0 || at + 1 >= count) return false;
  const Profile moved = options.Par[at];
  options.Par[at] = options.Par[at + 1];
  options.Par[at + 1] = moved;
  selected = at + 1;
  NoteProfilesChanged();
  return true;
}

ListButtons ListButtonsFor(int count, int selected) noexcept {
  return ListButtons{count<kMaxProfiles, count> 0, selected > 0 && selected < count,
                     selected >= 0 && selected < count - 1};
}

PageEnables PageEnablesFor(SettingsPage page, const Profile& profile) noexcept {
  PageEnables out{};
  EnableWriter w(out);
  switch (page) {
    case SettingsPage::Scroll: ScrollEnables(profile, w); break;
    case SettingsPage::Wheel: WheelEnables(profile, w); break;
    case SettingsPage::Button: ButtonEnables(profile, w); break;
  }
  return out;
}

PageFields PageFieldsFor(SettingsPage page) noexcept {
  switch (page) {
    case SettingsPage::Scroll: return {kScrollFields, std::size(kScrollFields)};
    case SettingsPage::Wheel: return {kWheelFields, std::size(kWheelFields)};
    case SettingsPage::Button: return {kButtonFields, std::size(kButtonFields)};
  }
  return {nullptr, 0};
}

const PageField* FindPageField(SettingsPage page, int id) noexcept {
  const PageFields set = PageFieldsFor(page);
  for (std::size_t i = 0; i < set.count; ++i) {
    if (set.fields[i].id == id) return &set.fields[i];
  }
  return nullptr;
}

std::int32_t FieldInt(const Profile& profile, const PageField& field) noexcept {
  return ReadInteger(reinterpret_cast<const unsigned char*>(&profile) + field.offset, field.size);
}

void SetFieldInt(Profile& profile, const PageField& field, std::int32_t value) noexcept {
  if (field.kind == FieldKind::Check) value = value != 0 ? 1 : 0;
  WriteInteger(reinterpret_cast<unsigned char*>(&profile) + field.offset, field.size, value);
}

double FieldDouble(const Profile& profile, const PageField& field) noexcept {
  double v;
  std::memcpy(&v, reinterpret_cast<const unsigned char*>(&profile) + field.offset, sizeof v);
  return v;
}

void SetFieldDouble(Profile& profile, const PageField& field, double value) noexcept {
  std::memcpy(reinterpret_cast<unsigned char*>(&profile) + field.offset, &value, sizeof value);
}

char* FieldText(Profile& profile, const PageField& field) noexcept {
  return reinterpret_cast<char*>(&profile) + field.offset;
}

const char* FieldText(const Profile& profile, const PageField& field) noexcept {
  return reinterpret_cast<const char*>(&profile) + field.offset;
}
