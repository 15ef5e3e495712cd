#include "scrolling/options/options_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/store/tests/memory_record_store.h"
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
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t stop = text.find(end, at);
    if (stop == std::string::npos) break;
    out.push_back(text.substr(at, stop - at));
    at = stop + 3;
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

class OptionsStorage : public ::testing::Test {
 protected:
  void SetUp() override { SetStartupWheelLines(7); }
  void TearDown() override { SetStartupWheelLines(kDefaultWheelLines); }
  CMemoryRecordStore store_;
};

// ---- the key list ----

TEST_F(OptionsStorage, FactoryOptionsSaveTheirRecordsInKeyOrder) {
  auto o = NewOptions();
  SetFactoryOptions(*o);
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  const std::vector<std::string> r = Records(store_.At(kFile));
  ASSERT_EQ(r.size(), 1667u);  // 6 + 11 x 151
  const std::vector<std::string> head = {"bAutoStart=0", "bTrayIcon=1", "bDisabled=0",
                                         "iHotKeyEnable=0", "iNumPar=11", "iCurPar=10"};
  EXPECT_EQ(std::vector<std::string>(r.begin(), r.begin() + 6), head);
  EXPECT_NE(std::find(r.begin(), r.end(), "Par[10].szParName=(All Others)"), r.end());

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
      const std::string head_of = "Par[" + std::to_string(j) + "]." + key;
      if (std::strcmp(key, "dTrafo") == 0) {
        for (int k = 0; k < kCurvePoints; ++k) {
          const std::string point = head_of + "[" + std::to_string(k) + "]=";
          ASSERT_EQ(r[at++].compare(0, point.size(), point), 0) << point;
        }
      } else {
        ASSERT_EQ(r[at++].compare(0, head_of.size() + 1, head_of + "="), 0) << head_of;
      }
    }
  }
  EXPECT_EQ(r[6], "Par[0].szParName=Modern UI Apps");
  EXPECT_NE(std::find(r.begin(), r.end(), "Par[7].hkBack=0x022D"), r.end());
  EXPECT_NE(std::find(r.begin(), r.end(), "Par[1].dSpeedX=0.5"), r.end());
}

TEST_F(OptionsStorage, SavedFactoryOptionsReloadIdentically) {
  auto saved = NewOptions();
  SetFactoryOptions(*saved);
  ASSERT_EQ(LoadSaveOptionsWith(store_, *saved, 1), 1);
  const Bytes first = store_.At(kFile);

  auto loaded = NewOptions();
  std::memset(loaded.get(), 0x5A, sizeof(Options));  // whatever was there before
  loaded->iNumPar = 0;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *loaded, 0), 1);
  EXPECT_EQ(loaded->iNumPar, 11);
  EXPECT_EQ(loaded->iCurPar, 10);
  EXPECT_EQ(loaded->bTrayIcon, 1);
  EXPECT_EQ(loaded->bAutoStart, 0);
  EXPECT_EQ(loaded->iHotKeyEnable, 0);
  for (int j = 0; j < 11; ++j) ExpectSameProfile(saved->Par[j], loaded->Par[j], j);

  ASSERT_EQ(LoadSaveOptionsWith(store_, *loaded, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)), Records(first));
}

TEST_F(OptionsStorage, EveryValueTypeRoundTripsAtItsLimits) {
  auto o = NewOptions();
  SetFactoryOptions(*o);
  o->bAutoStart = 1;
  o->bDisabled = 1;
  o->iHotKeyEnable = INT_MIN;
  o->iNumPar = 2;
  o->iCurPar = 1;
  Profile& p = o->Par[1];
  SetProfileDefaults(p);
  PUT(p.szParName, std::string(63, 'n'));
  PUT(p.szPrgPath, "C:\\Program Files (x86)\\A b\\x=y.exe");
  PUT(p.szWndCaption, "");
  PUT(p.szWndClass, "Class = with equals");
  PUT(p.szBackCmd, std::string(519, 'b'));
  PUT(p.szForwardCmd, "\"C:\\x.exe\" -a %1");
  PUT(p.szMiddleCmd, "m");
  p.bScrollEnable = 0;
  p.bUseMiddle = 1;
  p.bInvertX = 1;
  p.bUseAlt = 1;
  p.bUseShift = 1;
  p.bUseCtrl = 0;
  p.dSpeedX = -0.000123456789012345;
  p.dSpeedY = 1e20;
  p.bLockOneAxis = -32768;
  p.iTriggerDistance = 32767;
  p.iUpMode = 3;
  p.hkUp = 0xFFFF;
  p.hkDown = 0x0000;
  p.hkLeft = 0x0801;
  p.iRightMode = INT_MAX;
  p.iWSmin = -5;
  p.iWheelDefLines = 0;
  p.dTrafo[0] = 0.25;
  p.dTrafo[99] = 123456.5;
  p.bEnableBackFwd = 1;
  p.bFreezeCursor = 1;
  p.bHideCursor = 1;
  p.hkMiddle = 0x0A41;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);

  auto back = NewOptions();
  ASSERT_EQ(LoadSaveOptionsWith(store_, *back, 0), 1);
  EXPECT_EQ(back->bAutoStart, 1);
  EXPECT_EQ(back->bDisabled, 1);
  EXPECT_EQ(back->iHotKeyEnable, INT_MIN);
  EXPECT_EQ(back->iNumPar, 2);
  EXPECT_EQ(back->iCurPar, 1);
  EXPECT_EQ(back->Par[1].dSpeedX, -0.000123456789012345);
  EXPECT_EQ(back->Par[1].dSpeedY, 1e20);
  EXPECT_EQ(std::string(back->Par[1].szBackCmd), std::string(519, 'b'));
  for (int j = 0; j < 2; ++j) ExpectSameProfile(o->Par[j], back->Par[j], j);
}

TEST_F(OptionsStorage, MissingKeysGiveTheProfileDefaults) {
  auto o = NewOptions();
  SetFactoryOptions(*o);
  o->Par[2].bHideCursor = 1;
  o->Par[2].bUseCtrl = 0;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  std::vector<std::string> r = Records(store_.At(kFile));
  // No profile has "bHideCursor"; profile 2 also lacks "bUseCtrl".
  r.erase(std::remove_if(r.begin(), r.end(),
                         [](const std::string& s) {
                           return s.find(".bHideCursor=") != std::string::npos || s.rfind("Par[2].bUseCtrl=", 0) == 0;
                         }),
          r.end());
  SaveRecords(store_, r);

  auto back = NewOptions();
  std::memset(back.get(), 1, sizeof(Options));  // no field keeps an older value
  ASSERT_EQ(LoadSaveOptionsWith(store_, *back, 0), 1);
  for (int j = 0; j < 11; ++j) EXPECT_EQ(back->Par[j].bHideCursor, 0) << j;
  EXPECT_EQ(back->Par[2].bUseCtrl, 1);                 // default
  EXPECT_EQ(std::string(back->Par[2].szParName), "Internet Explorer");  // from the file
  EXPECT_EQ(back->Par[2].iWheelDefLines, o->Par[2].iWheelDefLines);
}

TEST_F(OptionsStorage, ZeroProfilesLoadAsAnEmptyList) {
  SaveRecords(store_, {"bAutoStart=1", "bTrayIcon=0", "bDisabled=0", "iHotKeyEnable=0", "iNumPar=0", "iCurPar=-1"});
  auto o = NewOptions();
  SetFactoryOptions(*o);
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  EXPECT_EQ(o->iNumPar, 0);
  EXPECT_EQ(o->iCurPar, -1);
  EXPECT_EQ(o->bAutoStart, 1);
  EXPECT_EQ(o->bTrayIcon, 0);
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u);
}

TEST_F(OptionsStorage, ProfileCountsAreCutToTheRecord) {
  auto o = NewOptions();
  SaveRecords(store_, {"iNumPar=5000", "iCurPar=4000", "Par[1023].szParName=last", "Par[1024].szParName=beyond"});
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  EXPECT_EQ(o->iNumPar, kMaxProfiles);
  EXPECT_EQ(o->iCurPar, kMaxProfiles - 1);
  EXPECT_EQ(std::string(o->Par[1023].szParName), "last");
  EXPECT_EQ(o->Par[1023].dSpeedX, 1.0);  // defaults for the rest

  SaveRecords(store_, {"iNumPar=-7", "iCurPar=-9"});
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  EXPECT_EQ(o->iNumPar, 0);
  EXPECT_EQ(o->iCurPar, -1);

  SaveRecords(store_, {"iNumPar=3", "iCurPar=3"});
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  EXPECT_EQ(o->iCurPar, 2);

  // A count that is out of range in memory never saves more than 1024.
  o->iNumPar = 99999;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 151u * kMaxProfiles);
}

TEST_F(OptionsStorage, NoFileGivesTheFactoryOptionsWithoutWriting) {
  auto o = NewOptions();
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0), 0);
  EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
  EXPECT_EQ(o->iCurPar, 10);
  EXPECT_EQ(store_.writes, 0);
}

TEST_F(OptionsStorage, FailedSaveKeepsThePreviousFileAndSaysSo) {
  auto o = NewOptions();
  SetFactoryOptions(*o);
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  const Bytes before = store_.At(kFile);
  store_.fail_writes = true;
  o->iNumPar = 1;
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 1), 0);
  EXPECT_EQ(store_.At(kFile), before);
}

// ---- a damaged file of the current format ----

class DamagedOptions : public OptionsStorage {
 protected:
  void SetUp() override {
    OptionsStorage::SetUp();
    auto o = NewOptions();
    SetFactoryOptions(*o);
    o->iNumPar = 3;
    o->iCurPar = 0;
    ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
    good_ = store_.At(kFile);
  }
  // Loads the given file; the options start as all ones.
  std::unique_ptr<Options> Load(const Bytes& file, int* result) {
    store_.files[kFile] = file;
    store_.writes = 0;
    auto o = NewOptions();
    std::memset(o.get(), 1, sizeof(Options));
    *result = LoadSaveOptionsWith(store_, *o, 0);
    return o;
  }
  Bytes good_;
};

TEST_F(DamagedOptions, CutShortFileIsKeptAsideAndTheFactoryOptionsUsed) {
  const Bytes cut(good_.begin(), good_.begin() + static_cast<std::ptrdiff_t>(good_.size() - 30));
  int result = -1;
  auto o = Load(cut, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
  EXPECT_FALSE(store_.Has(kFile));
  ASSERT_TRUE(store_.Has("Options_damaged.oqc"));
  EXPECT_EQ(store_.At("Options_damaged.oqc"), cut);
  EXPECT_EQ(store_.writes, 0);

  // The next save writes the factory options; the kept copy stays.
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)).size(), 1667u);
  EXPECT_EQ(store_.At("Options_damaged.oqc"), cut);
}

TEST_F(DamagedOptions, DamagedFileOfTheOldImageSizeIsNotTakenAsAnImage) {
  Bytes padded = good_;
  padded.resize(kLayoutAImageSize, 0x00);  // trailing junk: no end record any more
  padded[padded.size() - 100] = 'x';
  int result = -1;
  auto o = Load(padded, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
  EXPECT_EQ(o->bAutoStart, 0);  // not the image's first byte
  EXPECT_TRUE(store_.Has("Options_damaged.oqc"));
}

TEST_F(DamagedOptions, FlippedByteIsKeptAsideEvenWhenTheRenameFails) {
  Bytes bad = good_;
  bad[70] ^= 0x01;
  store_.fail_renames = true;
  int result = -1;
  auto o = Load(bad, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
  ASSERT_TRUE(store_.Has("Options_damaged.oqc"));
  EXPECT_EQ(store_.At("Options_damaged.oqc"), bad);
  EXPECT_EQ(store_.At(kFile), bad);  // the original stays until the next save
}

// ---- layout A ----

void PutLe(Bytes& b, std::size_t at, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutDouble(Bytes& b, std::size_t at, double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  PutLe(b, at, bits, 8);
}
void PutText(Bytes& b, std::size_t at, const std::string& s) { std::memcpy(&b[at], s.data(), s.size()); }

TEST_F(OptionsStorage, LayoutAImageIsImportedAndNotWrittenBack) {
  Bytes image(kLayoutAImageSize, 0);
  image[0] = 1;
  image[1] = 0;
  image[2] = 1;
  image[3] = 0xEE;
  PutLe(image, 4, 2, 4);
  PutLe(image, 8, 1, 4);
  // Profile 0: a handful of fields. Profile 1: every field, texts filling
  // their whole capacity without a NUL.
  std::size_t p0 = 16;
  PutText(image, p0 + 0, "Editor");
  PutDouble(image, p0 + 456, 0.75);
  image[p0 + 453] = 1;
  std::size_t p = 16 + kLayoutAProfileSize;
  PutText(image, p + 0, std::string(64, 'N'));
  PutText(image, p + 64, std::string(260, 'P'));
  PutText(image, p + 324, "caption");
  PutText(image, p + 388, "class");
  image[p + 452] = 0;
  image[p + 454] = 0;
  image[p + 455] = 1;
  PutDouble(image, p + 456, -2.5);
  image[p + 464] = 0;
  image[p + 465] = 1;
  PutDouble(image, p + 472, 3.125);
  image[p + 480] = 1;
  PutLe(image, p + 482, 0xFFFF, 2);  // -1
  PutLe(image, p + 484, 12, 2);
  PutLe(image, p + 488, 3, 4);
  PutLe(image, p + 492, 0x0154, 2);
  PutLe(image, p + 496, 1, 4);
  PutLe(image, p + 500, 0x0226, 2);
  PutLe(image, p + 504, 2, 4);
  PutLe(image, p + 508, 0x0425, 2);
  PutLe(image, p + 512, 0xFFFFFFFF, 4);
  PutLe(image, p + 516, 0x0827, 2);
  image[p + 518] = 0;
  for (int i = 0; i < 6; ++i) PutLe(image, p + 520 + 4 * static_cast<std::size_t>(i), 100 + static_cast<std::uint64_t>(i), 4);
  for (int k = 0; k < kCurvePoints; ++k) PutDouble(image, p + 552 + 8 * static_cast<std::size_t>(k), k * 0.5);
  image[p + 1352] = 1;
  image[p + 1353] = 1;
  image[p + 1354] = 1;
  image[p + 1356] = 0;
  image[p + 1357] = 0;
  PutLe(image, p + 1360, 3, 4);
  PutLe(image, p + 1364, 0x0341, 2);
  PutText(image, p + 1366, std::string(520, 'B'));
  PutLe(image, p + 1888, 2, 4);
  PutLe(image, p + 1892, 0x0342, 2);
  PutText(image, p + 1894, "forward.exe");
  PutLe(image, p + 2416, 2, 4);
  PutLe(image, p + 2420, 0x0343, 2);
  PutText(image, p + 2422, "middle.exe");
  // Profile 2 lies beyond the count and is not taken.
  PutText(image, 16 + 2 * kLayoutAProfileSize, "ignored");
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

  const Profile& a = o->Par[0];
  EXPECT_EQ(std::string(a.szParName), "Editor");
  EXPECT_EQ(a.dSpeedX, 0.75);
  EXPECT_EQ(a.bUseMiddle, 1);
  EXPECT_EQ(a.bScrollEnable, 0);  // the image's zero, not the default
  EXPECT_EQ(a.bUseCtrl, 1);       // not held: the default
  EXPECT_EQ(a.iWheelDefLines, 7);

  const Profile& b = o->Par[1];
  EXPECT_EQ(std::string(b.szParName), std::string(63, 'N'));
  EXPECT_EQ(std::string(b.szPrgPath), std::string(259, 'P'));
  EXPECT_EQ(std::string(b.szWndCaption), "caption");
  EXPECT_EQ(std::string(b.szWndClass), "class");
  EXPECT_EQ(b.bEnableX, 0);
  EXPECT_EQ(b.bInvertX, 1);
  EXPECT_EQ(b.dSpeedX, -2.5);
  EXPECT_EQ(b.bEnableY, 0);
  EXPECT_EQ(b.bInvertY, 1);
  EXPECT_EQ(b.dSpeedY, 3.125);
  EXPECT_EQ(b.bSwapCtrl, 1);
  EXPECT_EQ(b.bLockOneAxis, -1);
  EXPECT_EQ(b.iTriggerDistance, 12);
  EXPECT_EQ(b.iUpMode, 3);
  EXPECT_EQ(b.hkUp, 0x0154);
  EXPECT_EQ(b.iDownMode, 1);
  EXPECT_EQ(b.hkDown, 0x0226);
  EXPECT_EQ(b.iLeftMode, 2);
  EXPECT_EQ(b.hkLeft, 0x0425);
  EXPECT_EQ(b.iRightMode, -1);
  EXPECT_EQ(b.hkRight, 0x0827);
  EXPECT_EQ(b.bWheelEnable, 0);
  EXPECT_EQ(b.iWSmin, 100);
  EXPECT_EQ(b.iWSmax, 101);
  EXPECT_EQ(b.iSSmin, 102);
  EXPECT_EQ(b.iSSmax, 103);
  EXPECT_EQ(b.iWSmed, 104);
  EXPECT_EQ(b.iSSmed, 105);
  for (int k = 0; k < kCurvePoints; ++k) EXPECT_EQ(b.dTrafo[k], k * 0.5);
  EXPECT_EQ(b.bWheelCursor, 1);
  EXPECT_EQ(b.bWheelForeground, 1);
  EXPECT_EQ(b.bWheelInvert, 1);
  EXPECT_EQ(b.bBackCursor, 0);
  EXPECT_EQ(b.bBackForeground, 0);
  EXPECT_EQ(b.iBackMode, 3);
  EXPECT_EQ(b.hkBack, 0x0341);
  EXPECT_EQ(std::string(b.szBackCmd), std::string(519, 'B'));
  EXPECT_EQ(b.iForwardMode, 2);
  EXPECT_EQ(b.hkForward, 0x0342);
  EXPECT_EQ(std::string(b.szForwardCmd), "forward.exe");
  EXPECT_EQ(b.iMiddleMode, 2);
  EXPECT_EQ(b.hkMiddle, 0x0343);
  EXPECT_EQ(std::string(b.szMiddleCmd), "middle.exe");
  EXPECT_EQ(b.bFreezeCursor, 0);
  EXPECT_EQ(b.bHideCursor, 0);
  EXPECT_EQ(b.bUseCtrl, 1);
  EXPECT_EQ(b.bEnableBackFwd, 0);
  EXPECT_EQ(b.iWheelDefLines, 7);

  // The next save writes the current form.
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 2u * 151u);
}

TEST_F(OptionsStorage, LayoutACountsAreCut) {
  Bytes image(kLayoutAImageSize, 0);
  PutLe(image, 4, 2000, 4);
  PutLe(image, 8, 0xFFFFFFF0, 4);
  PutText(image, 16 + 1023 * kLayoutAProfileSize, "last");
  auto o = NewOptions();
  SetFactoryOptions(*o);
  ASSERT_TRUE(ImportLayoutA(image.data(), image.size(), *o));
  EXPECT_EQ(o->iNumPar, kMaxProfiles);
  EXPECT_EQ(o->iCurPar, -1);
  EXPECT_EQ(std::string(o->Par[1023].szParName), "last");
  EXPECT_FALSE(ImportLayoutA(image.data(), image.size() - 1, *o));
}

// ---- layout B ----

// One field: 2-byte record index, 1-byte tag, 2-byte length.
std::string TaggedField(int record, int tag, const std::string& value) {
  std::string f(1, static_cast<char>(2 | (1 << 2) | (2 << 4)));
  f += static_cast<char>(record & 0xFF);
  f += static_cast<char>(record >> 8);
  f += static_cast<char>(tag);
  f += static_cast<char>(value.size() & 0xFF);
  f += static_cast<char>(value.size() >> 8);
  return f + value;
}
std::string Le(std::uint64_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
  return s;
}
std::string LeDouble(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  return Le(bits, 8);
}

// A stream of the program-wide record and two profiles; profile 1 lacks
// dSpeedX (tag 8) and bHideCursor (tag 47).
std::vector<std::string> LayoutBFields() {
  std::vector<std::string> f = {TaggedField(0, 0, Le(1, 1)), TaggedField(0, 1, Le(0, 1)),
                                TaggedField(0, 2, Le(1, 1)), TaggedField(0, 3, Le(2, 4)),
                                TaggedField(0, 4, Le(1, 4))};
  for (int j = 0; j < 2; ++j) {
    const int r = j + 1;
    f.push_back(TaggedField(r, 0, j == 0 ? "First" : std::string(80, 'L')));  // longer than 64
    f.push_back(TaggedField(r, 1, "C:\\app.exe"));
    f.push_back(TaggedField(r, 2, "cap"));
    f.push_back(TaggedField(r, 3, "cls"));
    for (int tag = 4; tag <= 7; ++tag) f.push_back(TaggedField(r, tag, Le(tag == 5 || tag == 7 ? 1 : 0, 1)));
    if (j == 0) f.push_back(TaggedField(r, 8, LeDouble(0.125)));
    f.push_back(TaggedField(r, 9, Le(0, 1)));
    f.push_back(TaggedField(r, 10, Le(1, 1)));
    f.push_back(TaggedField(r, 11, LeDouble(-4.0 - j)));
    f.push_back(TaggedField(r, 12, Le(1, 1)));
    f.push_back(TaggedField(r, 13, Le(1, 2)));
    f.push_back(TaggedField(r, 14, Le(9, 1)));  // shorter than asked: zero-filled
    for (int tag = 15; tag <= 22; tag += 2) {
      f.push_back(TaggedField(r, tag, Le(static_cast<std::uint64_t>(tag / 2 - 7), 4)));
      f.push_back(TaggedField(r, tag + 1, Le(0xABCD0100u + static_cast<std::uint64_t>(tag + 1), 4)));
    }
    f.push_back(TaggedField(r, 23, Le(0, 1)));
    for (int tag = 24; tag <= 29; ++tag) f.push_back(TaggedField(r, tag, Le(static_cast<std::uint64_t>(tag * 10 + j), 4)));
    f.push_back(TaggedField(r, 30, Le(777, 4)));
    std::string curve;
    for (int k = 0; k < kCurvePoints; ++k) curve += LeDouble(k + j * 1000.0);
    f.push_back(TaggedField(r, 31, curve));
    for (int tag = 32; tag <= 36; ++tag) f.push_back(TaggedField(r, tag, Le(tag % 2, 1)));
    f.push_back(TaggedField(r, 37, Le(2, 4)));
    f.push_back(TaggedField(r, 38, Le(0x00010241, 4)));
    f.push_back(TaggedField(r, 39, "back.exe"));
    f.push_back(TaggedField(r, 40, Le(3, 4)));
    f.push_back(TaggedField(r, 41, Le(0x0242, 4)));
    f.push_back(TaggedField(r, 42, std::string(600, 'F')));
    f.push_back(TaggedField(r, 43, Le(1, 4)));
    f.push_back(TaggedField(r, 44, Le(0x0243, 4)));
    f.push_back(TaggedField(r, 45, "mid"));
    f.push_back(TaggedField(r, 46, Le(1, 1)));
    if (j == 0) f.push_back(TaggedField(r, 47, Le(1, 1)));
  }
  return f;
}

void ExpectLayoutBOptions(const Options& o) {
  EXPECT_EQ(o.bAutoStart, 1);
  EXPECT_EQ(o.bTrayIcon, 0);
  EXPECT_EQ(o.bDisabled, 1);
  EXPECT_EQ(o.iNumPar, 2);
  EXPECT_EQ(o.iCurPar, 1);
  EXPECT_EQ(o.iHotKeyEnable, 0);
  for (int j = 0; j < 2; ++j) {
    SCOPED_TRACE(j);
    const Profile& p = o.Par[j];
    EXPECT_EQ(std::string(p.szParName), j == 0 ? "First" : std::string(63, 'L'));
    EXPECT_EQ(std::string(p.szPrgPath), "C:\\app.exe");
    EXPECT_EQ(std::string(p.szWndCaption), "cap");
    EXPECT_EQ(std::string(p.szWndClass), "cls");
    EXPECT_EQ(p.bScrollEnable, 0);
    EXPECT_EQ(p.bUseMiddle, 1);
    EXPECT_EQ(p.bEnableX, 0);
    EXPECT_EQ(p.bInvertX, 1);
    EXPECT_EQ(p.dSpeedX, j == 0 ? 0.125 : 1.0);  // missing: the default
    EXPECT_EQ(p.bEnableY, 0);
    EXPECT_EQ(p.bInvertY, 1);
    EXPECT_EQ(p.dSpeedY, -4.0 - j);
    EXPECT_EQ(p.bSwapCtrl, 1);
    EXPECT_EQ(p.bLockOneAxis, 1);
    EXPECT_EQ(p.iTriggerDistance, 9);
    EXPECT_EQ(p.iUpMode, 0);
    EXPECT_EQ(p.hkUp, 0x0110);
    EXPECT_EQ(p.iDownMode, 1);
    EXPECT_EQ(p.hkDown, 0x0112);
    EXPECT_EQ(p.iLeftMode, 2);
    EXPECT_EQ(p.hkLeft, 0x0114);
    EXPECT_EQ(p.iRightMode, 3);
    EXPECT_EQ(p.hkRight, 0x0116);
    EXPECT_EQ(p.bWheelEnable, 0);
    EXPECT_EQ(p.iWSmin, 240 + j);
    EXPECT_EQ(p.iWSmax, 250 + j);
    EXPECT_EQ(p.iSSmin, 260 + j);
    EXPECT_EQ(p.iSSmax, 270 + j);
    EXPECT_EQ(p.iWSmed, 280 + j);
    EXPECT_EQ(p.iSSmed, 290 + j);
    for (int k = 0; k < kCurvePoints; ++k) EXPECT_EQ(p.dTrafo[k], k + j * 1000.0);
    EXPECT_EQ(p.bWheelCursor, 0);
    EXPECT_EQ(p.bWheelForeground, 1);
    EXPECT_EQ(p.bWheelInvert, 0);
    EXPECT_EQ(p.bBackCursor, 1);
    EXPECT_EQ(p.bBackForeground, 0);
    EXPECT_EQ(p.iBackMode, 2);
    EXPECT_EQ(p.hkBack, 0x0241);
    EXPECT_EQ(std::string(p.szBackCmd), "back.exe");
    EXPECT_EQ(p.iForwardMode, 3);
    EXPECT_EQ(p.hkForward, 0x0242);
    EXPECT_EQ(std::string(p.szForwardCmd), std::string(519, 'F'));
    EXPECT_EQ(p.iMiddleMode, 1);
    EXPECT_EQ(p.hkMiddle, 0x0243);
    EXPECT_EQ(std::string(p.szMiddleCmd), "mid");
    EXPECT_EQ(p.bFreezeCursor, 1);
    EXPECT_EQ(p.bHideCursor, j == 0 ? 1 : 0);  // missing: the default
    EXPECT_EQ(p.bUseCtrl, 1);
    EXPECT_EQ(p.bUseAlt, 0);
    EXPECT_EQ(p.bEnableBackFwd, 0);
    EXPECT_EQ(p.iWheelDefLines, 7);
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
  ExpectLayoutBOptions(*o);
  // Written back in the current form at once, and that form reads the same.
  EXPECT_EQ(store_.writes, 1);
  ASSERT_TRUE(StartsWithZipSignature(store_.At(kFile).data(), store_.At(kFile).size()));
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 2u * 151u);
  auto again = NewOptions();
  ASSERT_EQ(LoadSaveOptionsWith(store_, *again, 0), 1);
  ExpectLayoutBOptions(*again);
}

INSTANTIATE_TEST_SUITE_P(StoredOrderAndShuffled, LayoutB, ::testing::Bool());

TEST_F(OptionsStorage, StreamWithoutCountIsNotImported) {
  const std::string stream = TaggedField(0, 0, Le(1, 1)) + TaggedField(1, 0, "name");
  store_.files[kFile] = Bytes(stream.begin(), stream.end());
  auto o = NewOptions();
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0), 0);
  EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
  EXPECT_EQ(o->bAutoStart, 0);
  EXPECT_EQ(store_.writes, 0);
}

TEST_F(OptionsStorage, LayoutBCountIsCutAndMissingFieldsDefault) {
  const std::string stream = TaggedField(0, 3, Le(70000, 4)) + TaggedField(0, 4, Le(5000, 4)) +
                             TaggedField(1024, 0, "last");
  CConfigByteBuffer b;
  b.Assign(stream.data(), stream.size());
  auto o = NewOptions();
  SetFactoryOptions(*o);
  ASSERT_TRUE(ImportLayoutB(b, *o));
  EXPECT_EQ(o->iNumPar, kMaxProfiles);
  EXPECT_EQ(o->iCurPar, kMaxProfiles - 1);
  EXPECT_EQ(std::string(o->Par[1023].szParName), "last");
  EXPECT_EQ(o->bTrayIcon, 1);  // not in the stream: the factory value
  Profile defaults;
  SetProfileDefaults(defaults);
  EXPECT_EQ(std::memcmp(&o->Par[0], &defaults, sizeof defaults), 0);
}

TEST(ProfileClamp, CountAndCurrentIndex) {
  EXPECT_EQ(ClampProfileCount(-1), 0);
  EXPECT_EQ(ClampProfileCount(1024), 1024);
  EXPECT_EQ(ClampProfileCount(1025), 1024);
  EXPECT_EQ(ClampProfileCount(INT_MIN), 0);
  EXPECT_EQ(ClampCurrentProfile(-1, 0), -1);
  EXPECT_EQ(ClampCurrentProfile(0, 0), -1);
  EXPECT_EQ(ClampCurrentProfile(-2, 5), -1);
  EXPECT_EQ(ClampCurrentProfile(4, 5), 4);
  EXPECT_EQ(ClampCurrentProfile(5, 5), 4);
}

}  // namespace
