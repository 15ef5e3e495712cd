#include "scrolling/options/options_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <iterator>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/store/tests/memory_record_store.h"
#include "scrolling/texts/tests/use_product_texts.h"
#include "zip/zip.h"

using test_support::CMemoryRecordStore;

namespace {

using Bytes = CMemoryRecordStore::Bytes;
const std::string kFile = "Options.oqc";

// The record is about 3 MB: always on the heap, zeroed like the global.
std::unique_ptr<Options> NewOptions() { return std::unique_ptr<Options>(new Options()); }

void Put(char* field, std::size_t size, const std::string& text) {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}
#define PUT(field, text) Put(field, sizeof field, text)

// The key=value records of a saved options file, in order.
std::vector<std::string> Records(const Bytes& archive) {
  std::vector<std::string> out;
  ZipHandle* h = OpenZipSource(nullptr, std::unique_ptr<zip::ByteSource>(new zip::MemoryByteSource(
                                            archive.data(), archive.size())),
                               kOptionsArchivePassword);
  if (!h) return out;
  ZipEntryInfo info{};
  std::string text;
  if (GetZipEntry(h, 0, &info) == kZipOk) {
    text.resize(info.uncompressed_size);
    if (UnzipEntryToMemory(h, 0, &text[0], info.uncompressed_size) != kZipOk) text.clear();
  }
  CloseZip(h);
  const std::string end("\0\r\n", 3);
  for (std::size_t at = 0, stop; (stop = text.find(end, at)) != std::string::npos; at = stop + 3) {
    out.push_back(text.substr(at, stop - at));
  }
  return out;
}

// Saves the records as the options file of the store.
void SaveRecords(CMemoryRecordStore& store, const std::vector<std::string>& records) {
  CConfigText t(1, "gOpt.");
  std::string text;
  for (const std::string& r : records) text += r + std::string("\0\r\n", 3);
  t.SetText(text.data(), text.size());
  ASSERT_GT(SaveConfigArchiveTo(store, t, "Options", -1, 0), 0);
}

// Every field but the curve compared exactly; the curve to 15 digits, as
// the text keeps it.
void ExpectSameProfile(const Profile& a, const Profile& b, int j) {
  Profile x = a;
  Profile y = b;
  for (int k = 0; k < kCurvePoints; ++k) {
    EXPECT_NEAR(x.dTrafo[k], y.dTrafo[k], 1e-13 * std::max(1.0, std::abs(x.dTrafo[k]))) << j << " " << k;
    x.dTrafo[k] = y.dTrafo[k] = 0;
  }
  EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << "profile " << j;
}

// The program-wide fields.
std::vector<std::int64_t> Head(const Options& o) {
  return {o.bAutoStart, o.bTrayIcon, o.bDisabled, o.iHotKeyEnable, o.iNumPar, o.iCurPar};
}

class OptionsStorage : public ::testing::Test {
 protected:
  void SetUp() override {
    UseProductTexts();
    SetStartupWheelLines(7);
  }
  void TearDown() override { SetStartupWheelLines(kDefaultWheelLines); }
  CMemoryRecordStore store_;
};

// ---- the key list ----

TEST_F(OptionsStorage, FactoryOptionsSaveTheirRecordsInKeyOrderAndReloadIdentically) {
  auto saved = NewOptions();
  SetFactoryOptions(*saved);
  ASSERT_EQ(LoadSaveOptionsWith(store_, *saved, 1), 1);
  const std::vector<std::string> r = Records(store_.At(kFile));
  ASSERT_EQ(r.size(), 1667u);  // 6 + 11 x 151
  const std::vector<std::string> head = {"bAutoStart=0", "bTrayIcon=1", "bDisabled=0",
                                         "iHotKeyEnable=0", "iNumPar=11", "iCurPar=10"};
  EXPECT_EQ(std::vector<std::string>(r.begin(), r.begin() + 6), head);

  // Each profile: 34 keys, the 100 curve points, 17 keys.
  const char* const keys[] = {
      "szParName", "szPrgPath", "szWndCaption", "szWndClass", "bScrollEnable", "bUseMiddle", "bEnableX",
      "bInvertX", "dSpeedX", "bEnableY", "bInvertY", "dSpeedY", "bUseCtrl", "bUseAlt", "bUseShift",
      "bSwapCtrl", "bLockOneAxis", "iTriggerDistance", "iUpMode", "hkUp", "iDownMode", "hkDown",
      "iLeftMode", "hkLeft", "iRightMode", "hkRight", "bWheelEnable", "iWSmin", "iWSmax", "iSSmin",
      "iSSmax", "iWSmed", "iSSmed", "iWheelDefLines", "dTrafo", "bWheelCursor", "bWheelForeground",
      "bWheelInvert", "bEnableBackFwd", "bBackCursor", "bBackForeground", "iBackMode", "hkBack",
      "szBackCmd", "iForwardMode", "hkForward", "szForwardCmd", "iMiddleMode", "hkMiddle", "szMiddleCmd",
      "bFreezeCursor", "bHideCursor"};
  for (int j = 0; j < 11; ++j) {
    std::size_t at = 6 + 151 * static_cast<std::size_t>(j);
    for (const char* key : keys) {
      const std::string name = "Par[" + std::to_string(j) + "]." + key;
      const bool curve = std::strcmp(key, "dTrafo") == 0;
      for (int k = 0; k < (curve ? kCurvePoints : 1); ++k) {
        const std::string prefix = name + (curve ? "[" + std::to_string(k) + "]=" : "=");
        ASSERT_EQ(r[at++].compare(0, prefix.size(), prefix), 0) << prefix;
      }
    }
  }
  for (const char* record : {"Par[0].szParName=Modern UI Apps", "Par[10].szParName=(All Others)",
                             "Par[7].hkBack=0x022D", "Par[1].dSpeedX=0.5"}) {
    EXPECT_NE(std::find(r.begin(), r.end(), record), r.end()) << record;
  }

  auto loaded = NewOptions();
  std::memset(loaded.get(), 0x5A, sizeof(Options));  // whatever was there before
  loaded->iNumPar = 0;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *loaded, 0), 1);
  EXPECT_EQ(Head(*loaded), Head(*saved));
  for (int j = 0; j < 11; ++j) ExpectSameProfile(saved->Par[j], loaded->Par[j], j);
  ASSERT_EQ(LoadSaveOptionsWith(store_, *loaded, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)), r);
}

TEST_F(OptionsStorage, EveryValueTypeRoundTripsAtItsLimits) {
  auto o = NewOptions();
  SetFactoryOptions(*o);
  o->bAutoStart = 1, o->bDisabled = 1, o->iHotKeyEnable = INT_MIN, o->iNumPar = 2, o->iCurPar = 1;
  Profile& p = o->Par[1];
  SetProfileDefaults(p);
  PUT(p.szParName, std::string(63, 'n'));
  PUT(p.szPrgPath, "C:\\Program Files (x86)\\A b\\x=y.exe");
  PUT(p.szWndCaption, "");
  PUT(p.szWndClass, "Class = with equals");
  PUT(p.szBackCmd, std::string(519, 'b'));
  PUT(p.szForwardCmd, "\"C:\\x.exe\" -a %1");
  PUT(p.szMiddleCmd, "m");
  p.bScrollEnable = 0, p.bUseMiddle = 1, p.bInvertX = 1, p.bUseAlt = 1, p.bUseShift = 1, p.bUseCtrl = 0;
  p.dSpeedX = -0.000123456789012345, p.dSpeedY = 1e20, p.bLockOneAxis = -32768, p.iTriggerDistance = 32767;
  p.iUpMode = 3, p.hkUp = 0xFFFF, p.hkDown = 0x0000, p.hkLeft = 0x0801, p.iRightMode = INT_MAX;
  p.iWSmin = -5, p.iWheelDefLines = 0, p.dTrafo[0] = 0.25, p.dTrafo[99] = 123456.5;
  p.bEnableBackFwd = 1, p.bFreezeCursor = 1, p.bHideCursor = 1, p.hkMiddle = 0x0A41;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);

  auto back = NewOptions();
  ASSERT_EQ(LoadSaveOptionsWith(store_, *back, 0), 1);
  EXPECT_EQ(Head(*back), Head(*o));
  EXPECT_EQ(back->Par[1].dSpeedX, -0.000123456789012345);
  EXPECT_EQ(back->Par[1].dSpeedY, 1e20);
  for (int j = 0; j < 2; ++j) ExpectSameProfile(o->Par[j], back->Par[j], j);
}

TEST_F(OptionsStorage, ProfileCountsAreCutToTheRecord) {
  struct Case {
    std::vector<std::string> records;
    std::int32_t count, current;
  };
  const Case cases[] = {
      {{"bAutoStart=1", "iNumPar=0", "iCurPar=-1"}, 0, -1},  // an empty list stays empty
      {{"iNumPar=0", "iCurPar=0"}, 0, -1},
      {{"iNumPar=-7", "iCurPar=-9"}, 0, -1},
      {{"iNumPar=-2147483648", "iCurPar=0"}, 0, -1},
      {{"iNumPar=3", "iCurPar=3"}, 3, 2},
      {{"iNumPar=5", "iCurPar=-2"}, 5, -1},
      {{"iNumPar=5", "iCurPar=4"}, 5, 4},
      {{"iNumPar=5000", "iCurPar=4000", "Par[1023].szParName=last", "Par[1024].szParName=beyond"}, 1024, 1023},
  };
  auto o = NewOptions();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.records[0] + " " + c.records[1]);
    SaveRecords(store_, c.records);
    SetFactoryOptions(*o);
    ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
    EXPECT_EQ(o->iNumPar, c.count);
    EXPECT_EQ(o->iCurPar, c.current);
    if (c.count == kMaxProfiles) continue;  // saved below
    ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
    EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 151u * static_cast<std::size_t>(c.count));
  }
  // A key missing from the file gives the default, never an older value
  // (slot 0 held a factory profile before).
  Profile want;
  SetProfileDefaults(want);
  EXPECT_EQ(std::memcmp(&o->Par[0], &want, sizeof want), 0);
  PUT(want.szParName, "last");
  EXPECT_EQ(std::memcmp(&o->Par[1023], &want, sizeof want), 0);

  // A count that is out of range in memory never saves more than 1024.
  o->iNumPar = 99999;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 151u * kMaxProfiles);
}

TEST_F(OptionsStorage, NoFileGivesTheFactoryOptionsAndAFailedSaveKeepsTheFile) {
  auto o = NewOptions();
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0), 0);
  EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
  EXPECT_EQ(o->iCurPar, 10);
  EXPECT_EQ(store_.writes, 0);

  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  const Bytes before = store_.At(kFile);
  store_.fail_writes = true;
  o->iNumPar = 1;
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 1), 0);
  EXPECT_EQ(store_.At(kFile), before);
}

std::vector<std::string> LayoutBFields();  // below

// A file of the current format that cannot be read, or one that is no whole
// older layout, is kept for the user and the factory options are used; the
// next save writes a sound file beside it.
TEST_F(OptionsStorage, DamagedFileIsKeptAsideBeforeAnythingSavesOverIt) {
  auto o = NewOptions();
  SetFactoryOptions(*o);
  o->iNumPar = 3;
  o->iCurPar = 0;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  const Bytes good = store_.At(kFile);
  Bytes padded = good;  // the old image's size, trailing junk: no end record any more
  padded.resize(kLayoutAImageSize, 0x00);
  padded[padded.size() - 100] = 'x';
  Bytes flipped = good;
  flipped[70] ^= 0x01;
  Bytes random(good.size());
  std::mt19937 bytes(2024);
  for (std::uint8_t& b : random) b = static_cast<std::uint8_t>(bytes());
  std::string stream;
  for (const std::string& f : LayoutBFields()) stream += f;
  Bytes image(kLayoutAImageSize - 1000, 0);
  image[0] = 1, image[1] = 1, image[4] = 1;
  std::memcpy(&image[16], "Editor", 6);
  for (std::size_t i = 1000; i < 2000; ++i) image[i] = static_cast<std::uint8_t>(i);
  struct Case {
    const char* name;
    Bytes file;
    bool failRename;
  };
  const Case cases[] = {{"cut short", Bytes(good.begin(), good.end() - 30), false},
                        {"old image size", padded, false},
                        {"flipped byte, rename fails", flipped, true},
                        {"zeros", Bytes(good.size(), 0), false},
                        {"zeros of the old image's size", Bytes(kLayoutAImageSize, 0), false},
                        {"random bytes, rename fails", random, true},
                        {"old stream cut in its last field", Bytes(stream.begin(), stream.end() - 3), false},
                        {"old image cut short", image, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store_.files = {{kFile, c.file}};
    store_.fail_renames = c.failRename;
    store_.writes = 0;
    std::memset(o.get(), 1, sizeof(Options));
    EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0), 0);
    EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
    EXPECT_EQ(o->bAutoStart, 0);  // not an image's first byte
    ASSERT_TRUE(store_.Has("Options_damaged.oqc"));
    EXPECT_EQ(store_.At("Options_damaged.oqc"), c.file);
    // Renamed without a write; copied when the rename fails, the original
    // staying until the next save.
    EXPECT_EQ(store_.writes, c.failRename ? 1 : 0);
    EXPECT_EQ(store_.Has(kFile), c.failRename);

    store_.fail_renames = false;
    ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
    EXPECT_EQ(Records(store_.At(kFile)).size(), 1667u);
    EXPECT_EQ(store_.At("Options_damaged.oqc"), c.file);
  }
}

// ---- the older layouts ----

// Where each profile field lies in a layout A profile image (-1: not held)
// and its tag in a layout B record; hot keys take 4 bytes in layout B.
struct OldField {
  const char* name;
  std::size_t member, size;
  int offsetA, tagB;
  bool text, hotKey;
};
#define F(m, a, b) OldField{#m, offsetof(Profile, m), sizeof(Profile::m), a, b, #m[0] == 's', #m[0] == 'h'}
const OldField kOldFields[] = {
    F(szParName, 0, 0), F(szPrgPath, 64, 1), F(szWndCaption, 324, 2), F(szWndClass, 388, 3),
    F(bScrollEnable, 452, 4), F(bUseMiddle, 453, 5), F(bEnableX, 454, 6), F(bInvertX, 455, 7),
    F(dSpeedX, 456, 8), F(bEnableY, 464, 9), F(bInvertY, 465, 10), F(dSpeedY, 472, 11),
    F(bSwapCtrl, 480, 12), F(bLockOneAxis, 482, 13), F(iTriggerDistance, 484, 14), F(iUpMode, 488, 15),
    F(hkUp, 492, 16), F(iDownMode, 496, 17), F(hkDown, 500, 18), F(iLeftMode, 504, 19),
    F(hkLeft, 508, 20), F(iRightMode, 512, 21), F(hkRight, 516, 22), F(bWheelEnable, 518, 23),
    F(iWSmin, 520, 24), F(iWSmax, 524, 25), F(iSSmin, 528, 26), F(iSSmax, 532, 27),
    F(iWSmed, 536, 28), F(iSSmed, 540, 29), F(dTrafo, 552, 31), F(bWheelCursor, 1352, 32),
    F(bWheelForeground, 1353, 33), F(bWheelInvert, 1354, 34), F(bBackCursor, 1356, 35),
    F(bBackForeground, 1357, 36), F(iBackMode, 1360, 37), F(hkBack, 1364, 38), F(szBackCmd, 1366, 39),
    F(iForwardMode, 1888, 40), F(hkForward, 1892, 41), F(szForwardCmd, 1894, 42), F(iMiddleMode, 2416, 43),
    F(hkMiddle, 2420, 44), F(szMiddleCmd, 2422, 45), F(bFreezeCursor, -1, 46), F(bHideCursor, -1, 47)};
#undef F

// Never zero, and different at every offset.
std::uint8_t Pattern(std::size_t i) { return static_cast<std::uint8_t>(i % 251 + 1); }

// Puts a field's stored bytes into the profile as the import must: texts
// cut to their capacity less one, numbers taken as they lie.
void PutField(Profile& p, const OldField& f, const std::uint8_t* bytes, std::size_t length) {
  auto* to = reinterpret_cast<std::uint8_t*>(&p) + f.member;
  std::memset(to, 0, f.size);
  std::memcpy(to, bytes, std::min(length, f.text ? f.size - 1 : f.size));
}

void ExpectProfile(const Profile& got, const Profile& want, int j) {
  for (const OldField& f : kOldFields) {
    EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&got) + f.member,
                          reinterpret_cast<const char*>(&want) + f.member, f.size), 0)
        << "profile " << j << " " << f.name;
  }
  EXPECT_EQ(std::memcmp(&got, &want, sizeof want), 0) << "profile " << j;
}

TEST_F(OptionsStorage, LayoutAImageIsImportedAndNotWrittenBack) {
  Bytes image(kLayoutAImageSize, 0);
  image[0] = 1, image[1] = 0, image[2] = 1, image[3] = 0xEE;
  image[4] = 2;  // profiles
  image[8] = 1;  // current
  // Profile 0: zeros but its name (a zero is taken, not the default).
  // Profile 1: every byte set, texts filling their whole capacity.
  std::memcpy(&image[16], "Editor", 6);
  const std::size_t p1 = 16 + kLayoutAProfileSize;
  for (std::size_t i = 0; i < kLayoutAProfileSize; ++i) image[p1 + i] = Pattern(i);
  std::memcpy(&image[16 + 2 * kLayoutAProfileSize], "ignored", 7);  // beyond the count
  store_.files[kFile] = image;

  auto o = NewOptions();
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  EXPECT_EQ(store_.writes, 0);
  EXPECT_EQ(store_.At(kFile), image);
  EXPECT_EQ(o->bAutoStart, 1);
  EXPECT_EQ(o->bTrayIcon, 0);
  EXPECT_EQ(o->bDisabled, 1);
  EXPECT_EQ(o->iNumPar, 2);
  EXPECT_EQ(o->iCurPar, 1);
  EXPECT_STREQ(o->Par[2].szParName, "Internet Explorer");
  for (int j = 0; j < 2; ++j) {
    Profile want;
    SetProfileDefaults(want);  // fields the image does not hold; wheel lines 7 from the system
    const std::uint8_t* at = &image[16 + kLayoutAProfileSize * static_cast<std::size_t>(j)];
    for (const OldField& f : kOldFields) {
      if (f.offsetA >= 0) PutField(want, f, at + f.offsetA, f.size);
    }
    ExpectProfile(o->Par[j], want, j);
  }

  // The next save writes the current form.
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 2u * 151u);
}

TEST_F(OptionsStorage, LayoutACountsAreCut) {
  Bytes image(kLayoutAImageSize, 0);
  image[5] = 0x07;  // 1792 profiles
  for (int i = 8; i < 12; ++i) image[i] = 0xF0;
  std::memcpy(&image[16 + 1023 * kLayoutAProfileSize], "last", 4);
  auto o = NewOptions();
  SetFactoryOptions(*o);
  ASSERT_TRUE(ImportLayoutA(image.data(), image.size(), *o));
  EXPECT_EQ(o->iNumPar, kMaxProfiles);
  EXPECT_EQ(o->iCurPar, -1);
  EXPECT_EQ(std::string(o->Par[1023].szParName), "last");
  EXPECT_FALSE(ImportLayoutA(image.data(), image.size() - 1, *o));
}

// One layout B field: 2-byte record index, 1-byte tag, 2-byte length.
std::string TaggedField(int record, int tag, const std::string& value) {
  const char head[] = {static_cast<char>(2 | (1 << 2) | (2 << 4)), static_cast<char>(record & 0xFF),
                       static_cast<char>(record >> 8), static_cast<char>(tag),
                       static_cast<char>(value.size() & 0xFF), static_cast<char>(value.size() >> 8)};
  return std::string(head, sizeof head) + value;
}

// A stored value that reads back unchanged from the current form too.
std::string Value(const OldField& f, int j, std::size_t length) {
  std::string v(length, '\0');
  const auto put = [&v](std::size_t at, double d) { std::memcpy(&v[at], &d, sizeof d); };  // little-endian
  if (f.text) {
    for (std::size_t i = 0; i < length; ++i) v[i] = static_cast<char>('A' + (f.member + i + j) % 26);
  } else if (f.size == 1) {
    v[0] = static_cast<char>((f.member + j) % 2);
  } else if (f.size == sizeof(double)) {
    put(0, -0.25 * static_cast<double>(f.member) - j);
  } else if (f.size == sizeof(Profile::dTrafo)) {
    for (int k = 0; k < kCurvePoints; ++k) put(8 * static_cast<std::size_t>(k), k * 0.5 + j * 1000);
  } else {
    for (std::size_t i = 0; i < length; ++i) v[i] = static_cast<char>(Pattern(f.member + 7 * j + i));
  }
  return v;
}

// Two profiles. Profile 0's texts are longer than their fields; its trigger
// distance is one byte short (zero-filled). Profile 1's texts are short and
// it lacks dSpeedX and bHideCursor (the defaults).
std::vector<std::string> LayoutBFields() {
  std::vector<std::string> f = {TaggedField(0, 0, "\x01"), TaggedField(0, 1, std::string(1, '\0')),
                                TaggedField(0, 2, "\x01"), TaggedField(0, 3, std::string("\x02\0\0\0", 4)),
                                TaggedField(0, 4, std::string("\x01\0\0\0", 4)), TaggedField(1, 30, "unused")};
  for (int j = 0; j < 2; ++j) {
    for (const OldField& field : kOldFields) {
      if (j == 1 && (field.tagB == 8 || field.tagB == 47)) continue;
      std::size_t length = field.hotKey ? 4 : field.size;
      if (field.text) length = j == 0 ? field.size + 16 : 3;
      if (j == 0 && field.tagB == 14) length = 1;
      f.push_back(TaggedField(j + 1, field.tagB, Value(field, j, length)));
    }
  }
  return f;
}

void ExpectLayoutBOptions(const Options& o, const std::vector<std::string>& fields) {
  EXPECT_EQ(o.bAutoStart, 1);
  EXPECT_EQ(o.bTrayIcon, 0);
  EXPECT_EQ(o.bDisabled, 1);
  EXPECT_EQ(o.iNumPar, 2);
  EXPECT_EQ(o.iCurPar, 1);
  EXPECT_EQ(o.iHotKeyEnable, 0);
  for (int j = 0; j < 2; ++j) {
    Profile want;
    SetProfileDefaults(want);
    for (const std::string& field : fields) {
      if (field[1] != j + 1) continue;
      for (const OldField& f : kOldFields) {
        if (f.tagB == field[3]) PutField(want, f, reinterpret_cast<const std::uint8_t*>(&field[6]), field.size() - 6);
      }
    }
    ExpectProfile(o.Par[j], want, j);
  }
}

class LayoutB : public OptionsStorage, public ::testing::WithParamInterface<bool> {};

TEST_P(LayoutB, StreamIsImportedAndWrittenBackAsArchive) {
  std::vector<std::string> fields = LayoutBFields();
  if (GetParam()) {
    std::mt19937 shuffle(12345);
    std::shuffle(fields.begin(), fields.end(), shuffle);
  }
  std::string stream;
  for (const std::string& f : fields) stream += f;
  store_.files[kFile] = Bytes(stream.begin(), stream.end());

  auto o = NewOptions();
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  ExpectLayoutBOptions(*o, fields);
  // Written back in the current form at once, and that form reads the same.
  EXPECT_EQ(store_.writes, 1);
  ASSERT_TRUE(StartsWithZipSignature(store_.At(kFile).data(), store_.At(kFile).size()));
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 2u * 151u);
  auto again = NewOptions();
  ASSERT_EQ(LoadSaveOptionsWith(store_, *again, 0), 1);
  ExpectLayoutBOptions(*again, fields);
}

INSTANTIATE_TEST_SUITE_P(StoredOrderAndShuffled, LayoutB, ::testing::Bool());

TEST_F(OptionsStorage, LayoutBWithoutCountIsNotImportedAndItsCountIsCut) {
  std::string stream = TaggedField(0, 0, "\x01") + TaggedField(1, 0, "name");
  store_.files[kFile] = Bytes(stream.begin(), stream.end());
  auto o = NewOptions();
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0), 0);
  EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
  EXPECT_EQ(o->bAutoStart, 0);
  EXPECT_EQ(store_.writes, 0);
  ASSERT_TRUE(store_.Has("Options_damaged.oqc"));  // no layout without its count: kept aside
  EXPECT_EQ(store_.At("Options_damaged.oqc"), Bytes(stream.begin(), stream.end()));

  stream = TaggedField(0, 3, std::string("\x70\x11\x01\0", 4)) + TaggedField(0, 4, std::string("\x88\x13\0\0", 4)) +
           TaggedField(1024, 0, "last");
  CConfigByteBuffer b;
  b.Assign(stream.data(), stream.size());
  ASSERT_TRUE(ImportLayoutB(b, *o));
  EXPECT_EQ(o->iNumPar, kMaxProfiles);
  EXPECT_EQ(o->iCurPar, kMaxProfiles - 1);
  EXPECT_EQ(std::string(o->Par[1023].szParName), "last");
  EXPECT_EQ(o->bTrayIcon, 1);  // not in the stream: the factory value
  Profile defaults;
  SetProfileDefaults(defaults);
  EXPECT_EQ(std::memcmp(&o->Par[0], &defaults, sizeof defaults), 0);
}

}  // namespace

// What is derived from the profile list (the selection's pattern index)
// learns only from the generation that the list was replaced, also by a
// load or an import that sets no profile's defaults.
TEST_F(OptionsStorage, LoadingAndImportMoveTheProfilesGenerationOn) {
  auto o = NewOptions();
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);  // no profiles
  const Bytes image(kLayoutAImageSize, 0);
  const std::string stream = TaggedField(0, 3, std::string(4, '\0'));
  CConfigByteBuffer b;
  b.Assign(stream.data(), stream.size());
  const std::function<bool()> loads[] = {
      [&] { return LoadSaveOptionsWith(store_, *o, 0) == 1; },
      [&] { return ImportLayoutA(image.data(), image.size(), *o); },
      [&] { return ImportLayoutB(b, *o); },
  };
  for (std::size_t i = 0; i < std::size(loads); ++i) {
    const std::uint64_t before = ProfilesGeneration();
    ASSERT_TRUE(loads[i]()) << i;
    EXPECT_EQ(o->iNumPar, 0) << i;
    EXPECT_NE(ProfilesGeneration(), before) << i;
  }
}
