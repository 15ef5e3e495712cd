#include "scrolling/options/options_storage.h"

#include <cstring>

namespace {

// ---- the key list ----

void ConfigProfileKeys(CConfigText& t, Profile& p, int j) {
  t.ConfigString(p.szParName, sizeof p.szParName, "gOpt.Par[xi].szParName", j);
  t.ConfigString(p.szPrgPath, sizeof p.szPrgPath, "gOpt.Par[xi].szPrgPath", j);
  t.ConfigString(p.szWndCaption, sizeof p.szWndCaption, "gOpt.Par[xi].szWndCaption", j);
  t.ConfigString(p.szWndClass, sizeof p.szWndClass, "gOpt.Par[xi].szWndClass", j);
  t.ConfigBool(&p.bScrollEnable, 1, "gOpt.Par[xi].bScrollEnable", j);
  t.ConfigBool(&p.bUseMiddle, 1, "gOpt.Par[xi].bUseMiddle", j);
  t.ConfigBool(&p.bEnableX, 1, "gOpt.Par[xi].bEnableX", j);
  t.ConfigBool(&p.bInvertX, 1, "gOpt.Par[xi].bInvertX", j);
  t.ConfigDouble(&p.dSpeedX, 8, "gOpt.Par[xi].dSpeedX", j);
  t.ConfigBool(&p.bEnableY, 1, "gOpt.Par[xi].bEnableY", j);
  t.ConfigBool(&p.bInvertY, 1, "gOpt.Par[xi].bInvertY", j);
  t.ConfigDouble(&p.dSpeedY, 8, "gOpt.Par[xi].dSpeedY", j);
  t.ConfigBool(&p.bUseCtrl, 1, "gOpt.Par[xi].bUseCtrl", j);
  t.ConfigBool(&p.bUseAlt, 1, "gOpt.Par[xi].bUseAlt", j);
  t.ConfigBool(&p.bUseShift, 1, "gOpt.Par[xi].bUseShift", j);
  t.ConfigBool(&p.bSwapCtrl, 1, "gOpt.Par[xi].bSwapCtrl", j);
  t.ConfigShort(&p.bLockOneAxis, 2, "gOpt.Par[xi].bLockOneAxis", j);
  t.ConfigShort(&p.iTriggerDistance, 2, "gOpt.Par[xi].iTriggerDistance", j);
  t.ConfigInt(&p.iUpMode, 4, "gOpt.Par[xi].iUpMode", j);
  t.ConfigHexWord(&p.hkUp, 2, "gOpt.Par[xi].hkUp", j);
  t.ConfigInt(&p.iDownMode, 4, "gOpt.Par[xi].iDownMode", j);
  t.ConfigHexWord(&p.hkDown, 2, "gOpt.Par[xi].hkDown", j);
  t.ConfigInt(&p.iLeftMode, 4, "gOpt.Par[xi].iLeftMode", j);
  t.ConfigHexWord(&p.hkLeft, 2, "gOpt.Par[xi].hkLeft", j);
  t.ConfigInt(&p.iRightMode, 4, "gOpt.Par[xi].iRightMode", j);
  t.ConfigHexWord(&p.hkRight, 2, "gOpt.Par[xi].hkRight", j);
  t.ConfigBool(&p.bWheelEnable, 1, "gOpt.Par[xi].bWheelEnable", j);
  t.ConfigInt(&p.iWSmin, 4, "gOpt.Par[xi].iWSmin", j);
  t.ConfigInt(&p.iWSmax, 4, "gOpt.Par[xi].iWSmax", j);
  t.ConfigInt(&p.iSSmin, 4, "gOpt.Par[xi].iSSmin", j);
  t.ConfigInt(&p.iSSmax, 4, "gOpt.Par[xi].iSSmax", j);
  t.ConfigInt(&p.iWSmed, 4, "gOpt.Par[xi].iWSmed", j);
  t.ConfigInt(&p.iSSmed, 4, "gOpt.Par[xi].iSSmed", j);
  t.ConfigInt(&p.iWheelDefLines, 4, "gOpt.Par[xi].iWheelDefLines", j);
  for (int k = 0; k < kCurvePoints; ++k) t.ConfigDouble(&p.dTrafo[k], 8, "gOpt.Par[xi].dTrafo[xj]", j, k);
  t.ConfigBool(&p.bWheelCursor, 1, "gOpt.Par[xi].bWheelCursor", j);
  t.ConfigBool(&p.bWheelForeground, 1, "gOpt.Par[xi].bWheelForeground", j);
  t.ConfigBool(&p.bWheelInvert, 1, "gOpt.Par[xi].bWheelInvert", j);
  t.ConfigBool(&p.bEnableBackFwd, 1, "gOpt.Par[xi].bEnableBackFwd", j);
  t.ConfigBool(&p.bBackCursor, 1, "gOpt.Par[xi].bBackCursor", j);
  t.ConfigBool(&p.bBackForeground, 1, "gOpt.Par[xi].bBackForeground", j);
  t.ConfigInt(&p.iBackMode, 4, "gOpt.Par[xi].iBackMode", j);
  t.ConfigHexWord(&p.hkBack, 2, "gOpt.Par[xi].hkBack", j);
  t.ConfigString(p.szBackCmd, sizeof p.szBackCmd, "gOpt.Par[xi].szBackCmd", j);
  t.ConfigInt(&p.iForwardMode, 4, "gOpt.Par[xi].iForwardMode", j);
  t.ConfigHexWord(&p.hkForward, 2, "gOpt.Par[xi].hkForward", j);
  t.ConfigString(p.szForwardCmd, sizeof p.szForwardCmd, "gOpt.Par[xi].szForwardCmd", j);
  t.ConfigInt(&p.iMiddleMode, 4, "gOpt.Par[xi].iMiddleMode", j);
  t.ConfigHexWord(&p.hkMiddle, 2, "gOpt.Par[xi].hkMiddle", j);
  t.ConfigString(p.szMiddleCmd, sizeof p.szMiddleCmd, "gOpt.Par[xi].szMiddleCmd", j);
  t.ConfigBool(&p.bFreezeCursor, 1, "gOpt.Par[xi].bFreezeCursor", j);
  t.ConfigBool(&p.bHideCursor, 1, "gOpt.Par[xi].bHideCursor", j);
}

// ---- the older layouts ----

std::uint32_t ReadLe(const std::uint8_t* p, std::size_t bytes) noexcept {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  return v;
}

double ReadLeDouble(const std::uint8_t* p) noexcept {
  const std::uint64_t bits = ReadLe(p, 4) | (static_cast<std::uint64_t>(ReadLe(p + 4, 4)) << 32);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

enum class FieldKind { Flag, Short, Int, HotKey, Double, Text, Curve };

// One stored profile field of the older layouts: where it lies in a layout A
// profile image (-1: not held), its tag in a layout B record (-1: not held),
// and the profile member it goes to.
struct LegacyField {
  FieldKind kind;
  std::size_t member;    // offsetof(Profile, ...)
  std::size_t capacity;  // text fields: the member's size
  int offsetA;
  int tagB;
};

#define VLT_FIELD(kind, name, offset_a, tag_b) \
  LegacyField { FieldKind::kind, offsetof(Profile, name), sizeof(Profile::name), offset_a, tag_b }

const LegacyField kLegacyFields[] = {
    VLT_FIELD(Text, szParName, 0, 0),
    VLT_FIELD(Text, szPrgPath, 64, 1),
    VLT_FIELD(Text, szWndCaption, 324, 2),
    VLT_FIELD(Text, szWndClass, 388, 3),
    VLT_FIELD(Flag, bScrollEnable, 452, 4),
    VLT_FIELD(Flag, bUseMiddle, 453, 5),
    VLT_FIELD(Flag, bEnableX, 454, 6),
    VLT_FIELD(Flag, bInvertX, 455, 7),
    VLT_FIELD(Double, dSpeedX, 456, 8),
    VLT_FIELD(Flag, bEnableY, 464, 9),
    VLT_FIELD(Flag, bInvertY, 465, 10),
    VLT_FIELD(Double, dSpeedY, 472, 11),
    VLT_FIELD(Flag, bSwapCtrl, 480, 12),
    VLT_FIELD(Short, bLockOneAxis, 482, 13),
    VLT_FIELD(Short, iTriggerDistance, 484, 14),
    VLT_FIELD(Int, iUpMode, 488, 15),
    VLT_FIELD(HotKey, hkUp, 492, 16),
    VLT_FIELD(Int, iDownMode, 496, 17),
    VLT_FIELD(HotKey, hkDown, 500, 18),
    VLT_FIELD(Int, iLeftMode, 504, 19),
    VLT_FIELD(HotKey, hkLeft, 508, 20),
    VLT_FIELD(Int, iRightMode, 512, 21),
    VLT_FIELD(HotKey, hkRight, 516, 22),
    VLT_FIELD(Flag, bWheelEnable, 518, 23),
    VLT_FIELD(Int, iWSmin, 520, 24),
    VLT_FIELD(Int, iWSmax, 524, 25),
    VLT_FIELD(Int, iSSmin, 528, 26),
    VLT_FIELD(Int, iSSmax, 532, 27),
    VLT_FIELD(Int, iWSmed, 536, 28),
    VLT_FIELD(Int, iSSmed, 540, 29),
    // Tag 30 of layout B holds a value nothing uses.
    VLT_FIELD(Curve, dTrafo, 552, 31),
    VLT_FIELD(Flag, bWheelCursor, 1352, 32),
    VLT_FIELD(Flag, bWheelForeground, 1353, 33),
    VLT_FIELD(Flag, bWheelInvert, 1354, 34),
    VLT_FIELD(Flag, bBackCursor, 1356, 35),
    VLT_FIELD(Flag, bBackForeground, 1357, 36),
    VLT_FIELD(Int, iBackMode, 1360, 37),
    VLT_FIELD(HotKey, hkBack, 1364, 38),
    VLT_FIELD(Text, szBackCmd, 1366, 39),
    VLT_FIELD(Int, iForwardMode, 1888, 40),
    VLT_FIELD(HotKey, hkForward, 1892, 41),
    VLT_FIELD(Text, szForwardCmd, 1894, 42),
    VLT_FIELD(Int, iMiddleMode, 2416, 43),
    VLT_FIELD(HotKey, hkMiddle, 2420, 44),
    VLT_FIELD(Text, szMiddleCmd, 2422, 45),
    VLT_FIELD(Flag, bFreezeCursor, -1, 46),
    VLT_FIELD(Flag, bHideCursor, -1, 47),
};

#undef VLT_FIELD

constexpr std::size_t kCurveBytes = kCurvePoints * 8;
constexpr int kLayoutBMaxFieldSize = static_cast<int>(kCommandSize);

// Bytes a field takes in layout A; in layout B hot keys take 4 (the low 16
// bits are the value).
std::size_t FieldSize(const LegacyField& f, bool layoutB) noexcept {
  switch (f.kind) {
    case FieldKind::Flag:
      return 1;
    case FieldKind::Short:
      return 2;
    case FieldKind::Int:
      return 4;
    case FieldKind::HotKey:
      return layoutB ? 4 : 2;
    case FieldKind::Double:
      return 8;
    case FieldKind::Text:
      return f.capacity;
    case FieldKind::Curve:
      return kCurveBytes;
  }
  return 0;
}

template <typename T>
void Store(Profile& p, std::size_t member, T value) noexcept {
  std::memcpy(reinterpret_cast<unsigned char*>(&p) + member, &value, sizeof value);
}

// Puts one field's stored bytes (at least FieldSize of them) into the profile.
void ApplyField(Profile& p, const LegacyField& f, const std::uint8_t* bytes) noexcept {
  switch (f.kind) {
    case FieldKind::Flag:
      Store(p, f.member, static_cast<std::uint8_t>(bytes[0]));
      break;
    case FieldKind::Short:
      Store(p, f.member, static_cast<std::int16_t>(static_cast<std::uint16_t>(ReadLe(bytes, 2))));
      break;
    case FieldKind::Int:
      Store(p, f.member, static_cast<std::int32_t>(ReadLe(bytes, 4)));
      break;
    case FieldKind::HotKey:
      Store(p, f.member, static_cast<std::uint16_t>(ReadLe(bytes, 2)));
      break;
    case FieldKind::Double:
      Store(p, f.member, ReadLeDouble(bytes));
      break;
    case FieldKind::Text: {
      // Cut to the member's capacity less one, always terminated.
      std::size_t n = 0;
      while (n + 1 < f.capacity && bytes[n] != 0) ++n;
      unsigned char* to = reinterpret_cast<unsigned char*>(&p) + f.member;
      std::memset(to, 0, f.capacity);
      std::memcpy(to, bytes, n);
      break;
    }
    case FieldKind::Curve:
      for (int k = 0; k < kCurvePoints; ++k) p.dTrafo[k] = ReadLeDouble(bytes + 8 * k);
      break;
  }
}

// Program-wide fields of layout B, record 0.
constexpr int kTagAutoStart = 0;
constexpr int kTagTrayIcon = 1;
constexpr int kTagDisabled = 2;
constexpr int kTagProfileCount = 3;
constexpr int kTagCurrentProfile = 4;

bool ReadFlagField(CConfigByteBuffer& s, int tag, std::uint8_t* out) {
  std::uint8_t v = 0;
  if (s.ReadTaggedField(0, tag, &v, 1) < 0) return false;
  *out = v;
  return true;
}

bool ReadIntField(CConfigByteBuffer& s, int tag, std::int32_t* out) {
  std::uint8_t v[4];
  if (s.ReadTaggedField(0, tag, v, 4) < 0) return false;
  *out = static_cast<std::int32_t>(ReadLe(v, 4));
  return true;
}

// Whether the bytes are a layout B stream as it was written: every field
// whole, the last ending where the data ends (a value's length takes up to
// seven bytes). A stream cut short, or random bytes, are not.
bool IsWholeTaggedStream(const std::uint8_t* data, std::size_t count) noexcept {
  std::size_t at = 0;
  while (at < count) {
    const std::uint8_t h = data[at];
    const std::size_t numbers = (h & 3u) + ((h >> 2) & 3u);
    const std::size_t lengthBytes = (h >> 4) & 7u;
    if (count - at < 1 + numbers + lengthBytes) return false;
    std::uint64_t length = 0;
    for (std::size_t i = 0; i < lengthBytes; ++i) {
      length |= static_cast<std::uint64_t>(data[at + 1 + numbers + i]) << (8 * i);
    }
    const std::size_t value = at + 1 + numbers + lengthBytes;
    if (length > count - value) return false;
    at = value + static_cast<std::size_t>(length);
  }
  return true;
}

bool IsAllZero(const CConfigByteBuffer& record) noexcept {
  for (std::size_t i = 0; i < record.count(); ++i) {
    if (record.data()[i] != 0) return false;
  }
  return true;
}

// A record that the import cannot take (zeros left by a power loss, random
// bytes, an archive of ours that was cut or changed, an older layout cut
// short) is kept for the user under another name, so that the next save
// cannot destroy it. False when it could be neither moved nor copied.
bool KeepDamagedRecord(CRecordStore& store, const CConfigByteBuffer& record) {
  return store.RenameRecord(kOptionsRecordName, kDamagedOptionsRecordName, 0) ||
         store.WriteRecord(kDamagedOptionsRecordName, -1, 0, record.data(), static_cast<std::uint32_t>(record.count()));
}

// The import's result is saved over the older file: the original outlives
// that save under its own name. A copy, not a move, so that the options file
// is still there should that save never come or fail.
bool KeepOlderLayout(CRecordStore& store, const CConfigByteBuffer& record) {
  return store.WriteRecord(kOldOptionsRecordName, -1, 0, record.data(), static_cast<std::uint32_t>(record.count()));
}

// The import over the bytes that the load read; `options` hold the factory
// options.
int ImportOldBytes(CRecordStore& store, CConfigByteBuffer& record, Options& options, OptionsFileState& file) {
  // An options file of this version that could not be read (damaged, cut
  // short, another password) is no older layout.
  if (!StartsWithZipSignature(record.data(), record.count()) && !IsAllZero(record)) {
    if (record.count() == kLayoutAImageSize && ImportLayoutA(record.data(), record.count(), options)) {
      // Taken as it stands; the next save writes the current form.
      if (!KeepOlderLayout(store, record)) file = OptionsFileState::kNotKept;
      return 1;
    }
    if (IsWholeTaggedStream(record.data(), record.count()) && ImportLayoutB(record, options)) {
      if (KeepOlderLayout(store, record)) {
        (void)LoadSaveOptionsWith(store, options, 1, &file);
      } else {
        file = OptionsFileState::kNotKept;
      }
      return 1;
    }
  }
  if (!KeepDamagedRecord(store, record)) file = OptionsFileState::kNotKept;
  return 0;
}

}  // namespace

std::int32_t ClampProfileCount(std::int32_t count) noexcept {
  return count < 0 ? 0 : (count > kMaxProfiles ? kMaxProfiles : count);
}

std::int32_t ClampCurrentProfile(std::int32_t current, std::int32_t count) noexcept {
  if (current < -1) return -1;
  return current >= count ? count - 1 : current;
}

void ConfigOptionsKeys(CConfigText& t, Options& o) {
  const bool loading = t.saving == 0;
  t.ConfigBool(&o.bAutoStart, 1, "gOpt.bAutoStart");
  t.ConfigBool(&o.bTrayIcon, 1, "gOpt.bTrayIcon");
  t.ConfigBool(&o.bDisabled, 1, "gOpt.bDisabled");
  t.ConfigInt(&o.iHotKeyEnable, 4, "gOpt.iHotKeyEnable");
  // A count outside the record would run the profile loop off its end.
  o.iNumPar = ClampProfileCount(o.iNumPar);
  t.ConfigInt(&o.iNumPar, 4, "gOpt.iNumPar");
  o.iNumPar = ClampProfileCount(o.iNumPar);
  t.ConfigInt(&o.iCurPar, 4, "gOpt.iCurPar");
  o.iCurPar = ClampCurrentProfile(o.iCurPar, o.iNumPar);
  for (int j = 0; j < o.iNumPar; ++j) {
    // A key missing from the file leaves the default, not an older value.
    if (loading) SetProfileDefaults(o.Par[j]);
    ConfigProfileKeys(t, o.Par[j], j);
  }
  if (loading) NoteProfilesChanged();
}

int LoadSaveOptionsWith(CRecordStore& store, Options& options, int save, OptionsFileState* file) {
  OptionsFileState unused = OptionsFileState::kSavable;
  OptionsFileState& state = file != nullptr ? *file : unused;
  if (save) {
    if (state != OptionsFileState::kSavable) return 0;
    CConfigText text(1, "gOpt.");
    ConfigOptionsKeys(text, options);
    const int result = SaveConfigArchiveTo(store, text, kOptionsRecordName, -1, 0) > 0 ? 1 : 0;
    text.ConfigTextFree();
    return result;
  }
  state = OptionsFileState::kSavable;
  // One read, and every decision on its bytes: a file that was held at one
  // open and readable at the next must not be judged on the failed one.
  CConfigByteBuffer record;
  const RecordRead read = store.ReadRecord(kOptionsRecordName, -1, 0, kMaxConfigRecordSize, record);
  if (read == RecordRead::kRead && record.count() > 0) {
    CConfigText text(0, "gOpt.");
    const bool loaded = LoadConfigArchiveBytes(text, record.data(), record.count()) > 0;
    if (loaded) ConfigOptionsKeys(text, options);
    text.ConfigTextFree();
    if (loaded) return 1;
  }
  SetFactoryOptions(options);
  // A missing file whose only copy is a whole temporary that start-up left
  // to its writer is as good as unreadable: the factory options must not be
  // saved in its place.
  if (read == RecordRead::kUnreadable ||
      (read == RecordRead::kMissing && store.WholeTemporaryLeft(kOptionsRecordForm, 0))) {
    state = OptionsFileState::kUnreadable;
    return 0;
  }
  if (read == RecordRead::kMissing || record.count() == 0) return 0;
  return ImportOldBytes(store, record, options, state);
}

int ImportOldOptionsWith(CRecordStore& store, Options& options, OptionsFileState* file) {
  OptionsFileState unused = OptionsFileState::kSavable;
  OptionsFileState& state = file != nullptr ? *file : unused;
  CConfigByteBuffer record;
  const RecordRead read = store.ReadRecord(kOptionsRecordName, -1, 0, kMaxConfigRecordSize, record);
  if (read == RecordRead::kUnreadable) state = OptionsFileState::kUnreadable;
  if (read != RecordRead::kRead || record.count() == 0) return 0;
  return ImportOldBytes(store, record, options, state);
}

bool ImportLayoutA(const std::uint8_t* image, std::size_t size, Options& o) {
  if (image == nullptr || size != kLayoutAImageSize) return false;
  o.bAutoStart = image[0];
  o.bTrayIcon = image[1];
  o.bDisabled = image[2];
  o.iNumPar = ClampProfileCount(static_cast<std::int32_t>(ReadLe(image + 4, 4)));
  o.iCurPar = ClampCurrentProfile(static_cast<std::int32_t>(ReadLe(image + 8, 4)), o.iNumPar);
  for (int j = 0; j < o.iNumPar; ++j) {
    Profile& p = o.Par[j];
    SetProfileDefaults(p);
    const std::uint8_t* at = image + 16 + kLayoutAProfileSize * static_cast<std::size_t>(j);
    for (const LegacyField& f : kLegacyFields) {
      if (f.offsetA >= 0) ApplyField(p, f, at + f.offsetA);
    }
    p.bFreezeCursor = 0;
    p.iWheelDefLines = StartupWheelLines();
  }
  NoteProfilesChanged();
  return true;
}

bool ImportLayoutB(CConfigByteBuffer& s, Options& o) {
  std::int32_t count = 0;
  if (!ReadIntField(s, kTagProfileCount, &count)) return false;
  // Fields the stream lacks keep the values already there (the factory
  // options); none is left undetermined.
  (void)ReadFlagField(s, kTagAutoStart, &o.bAutoStart);
  (void)ReadFlagField(s, kTagTrayIcon, &o.bTrayIcon);
  (void)ReadFlagField(s, kTagDisabled, &o.bDisabled);
  std::int32_t current = o.iCurPar;
  (void)ReadIntField(s, kTagCurrentProfile, &current);
  o.iNumPar = ClampProfileCount(count);
  o.iCurPar = ClampCurrentProfile(current, o.iNumPar);
  std::uint8_t value[kCurveBytes > static_cast<std::size_t>(kLayoutBMaxFieldSize) ? kCurveBytes
                                                                                   : kLayoutBMaxFieldSize];
  for (int j = 0; j < o.iNumPar; ++j) {
    Profile& p = o.Par[j];
    SetProfileDefaults(p);
    for (const LegacyField& f : kLegacyFields) {
      const int want = static_cast<int>(FieldSize(f, true));
      // A shorter value is zero-filled to the size asked for.
      if (s.ReadTaggedField(j + 1, f.tagB, value, want) >= 0) ApplyField(p, f, value);
    }
    p.iWheelDefLines = StartupWheelLines();
  }
  NoteProfilesChanged();
  return true;
}
