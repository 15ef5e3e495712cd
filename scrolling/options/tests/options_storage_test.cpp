#include "scrolling/options/options_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <iterator>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/support/product/use_product_texts.h"
#include "tests/support/store/memory_record_store.h"
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
  const std::string text = test_support::OptionsArchiveText(archive.data(), archive.size());
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

// A file that is there but could not be read (held past the wait for it,
// refused, larger than the reader takes), or whose only copy is a whole
// temporary that start-up left to a writer that still runs, gives the
// factory options for the run, and no save of that run, the import's
// neither, takes its place.
TEST_F(OptionsStorage, AFileThatCannotBeReadIsNeverSavedOver) {
  auto users = NewOptions();
  SetFactoryOptions(*users);
  users->iNumPar = 2;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *users, 1), 1);
  const auto before = store_.files;
  const struct {
    const char* name;
    bool unreadable;
    std::uint64_t claimedSize;
    bool onlyTemporary;
  } cases[] = {{"held or refused", true, 0, false},
               {"too large", false, std::uint64_t{kMaxConfigRecordSize} + 1, false},
               {"only a whole temporary", false, 0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    store_.unreadable = c.unreadable;
    store_.claimed_size = c.claimedSize;
    if (c.onlyTemporary) store_.temporaries[kFile] = store_.files.extract(kFile).mapped();
    const auto stored = store_.files;
    store_.writes = 0;
    auto o = NewOptions();
    OptionsFileState file = OptionsFileState::kSavable;
    EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0, &file), 0);
    EXPECT_EQ(file, OptionsFileState::kUnreadable);
    EXPECT_EQ(o->iNumPar, kFactoryProfileCount);
    EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 1, &file), 0);
    EXPECT_EQ(ImportOldOptionsWith(store_, *o, &file), 0);
    EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 1, &file), 0);
    EXPECT_EQ(store_.writes, 0);
    EXPECT_EQ(store_.files, stored);
    store_.files = before;
    store_.temporaries.clear();
  }
  // A cut temporary is no copy of the options: the factory options are
  // saved as for a missing file.
  store_.files.clear();
  store_.temporaries[kFile] = Bytes{'P', 'K'};
  auto fresh = NewOptions();
  OptionsFileState cut = OptionsFileState::kUnreadable;
  EXPECT_EQ(LoadSaveOptionsWith(store_, *fresh, 0, &cut), 0);
  EXPECT_EQ(cut, OptionsFileState::kSavable);
  store_.files = before;
  store_.temporaries.clear();
  // Readable at the next start: the user's options, saved as ever.
  store_.unreadable = false;
  store_.claimed_size = 0;
  auto o = NewOptions();
  OptionsFileState file = OptionsFileState::kUnreadable;
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0, &file), 1);
  EXPECT_EQ(file, OptionsFileState::kSavable);
  EXPECT_EQ(o->iNumPar, 2);
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 1, &file), 1);
}

// A file that another program held at one open and let go before the next
// is judged on the one read that was made, never on a failed open.
TEST_F(OptionsStorage, TheFileIsReadOnceAndJudgedOnThoseBytes) {
  auto users = NewOptions();
  SetFactoryOptions(*users);
  users->iNumPar = 2;
  ASSERT_EQ(LoadSaveOptionsWith(store_, *users, 1), 1);
  store_.held_opens = 1;
  auto o = NewOptions();
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  EXPECT_EQ(o->iNumPar, 2);
  EXPECT_FALSE(store_.Has("Options_damaged.oqc"));
  EXPECT_EQ(store_.reads, 1);
}

// The samples hold the same options in each older layout: two profiles in
// use ("Blank", every stored field zero; "Editor", where neighbouring fields
// differ) and a third beyond the count (samples/README.md).
Bytes Sample(const std::string& name) {
  std::ifstream in(std::string(VELTRANO_OPTIONS_SAMPLES) + name, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_FALSE(bytes.empty()) << name;
  return bytes;
}

// The sample holds the first three profiles of the fixed-size image; the rest is zeros.
Bytes LayoutAImage() {
  Bytes image = Sample("layout_a_head.bin");
  image.resize(kLayoutAImageSize, 0);
  return image;
}

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
  const Bytes stream = Sample("layout_b.bin");
  Bytes image = LayoutAImage();
  image.resize(kLayoutAImageSize - 1000);
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

// What both layouts hold.
void ExpectSampleOptions(const Options& o) {
  EXPECT_EQ(Head(o), (std::vector<std::int64_t>{1, 0, 1, 0, 2, 1}));
  // A stored zero is taken, not the default; what neither layout holds is the default.
  const Profile& blank = o.Par[0];
  EXPECT_STREQ(blank.szParName, "Blank");
  EXPECT_STREQ(blank.szPrgPath, "");
  EXPECT_EQ(blank.bScrollEnable, 0);
  EXPECT_EQ(blank.dSpeedX, 0.0);
  EXPECT_EQ(blank.iTriggerDistance, 0);
  EXPECT_EQ(blank.iUpMode, 0);
  EXPECT_EQ(blank.hkBack, 0);
  EXPECT_EQ(blank.dTrafo[99], 0.0);
  EXPECT_EQ(blank.bUseCtrl, 1);
  EXPECT_EQ(blank.iWheelDefLines, 7);  // the system's

  const Profile& editor = o.Par[1];
  EXPECT_STREQ(editor.szParName, "Editor");
  EXPECT_STREQ(editor.szPrgPath, "C:\\Tools\\editor.exe");
  // Texts that fill their field or run beyond it are cut to leave room for the end.
  EXPECT_STREQ(editor.szWndCaption, "A window caption that runs on beyond the sixty-four bytes of it");
  EXPECT_STREQ(editor.szWndClass, "EditorFrame");
  EXPECT_EQ(editor.bScrollEnable, 0);
  EXPECT_EQ(editor.bUseMiddle, 1);
  EXPECT_EQ(editor.dSpeedX, 1.0);  // the default, which layout B's sample leaves out
  EXPECT_EQ(editor.bEnableY, 0);
  EXPECT_EQ(editor.dSpeedY, 2.25);
  EXPECT_EQ(editor.bLockOneAxis, 258);
  EXPECT_EQ(editor.iTriggerDistance, 7);
  EXPECT_EQ(editor.iRightMode, 14);
  EXPECT_EQ(editor.hkRight, 0x0127);
  EXPECT_EQ(editor.iSSmed, 40);
  EXPECT_EQ(editor.dTrafo[0], 1.0);
  EXPECT_EQ(editor.dTrafo[99], 50.5);
  EXPECT_EQ(editor.bWheelInvert, 1);
  EXPECT_EQ(editor.bBackCursor, 0);
  EXPECT_EQ(editor.hkBack, 0x022D);
  EXPECT_STREQ(editor.szBackCmd, "C:\\Tools\\back.cmd");
  EXPECT_EQ(editor.iForwardMode, 16);
  EXPECT_STREQ(editor.szForwardCmd, "\"C:\\Tools\\x.exe\" -a %1");
  EXPECT_EQ(editor.hkMiddle, 0x0A41);
  EXPECT_EQ(std::string(editor.szMiddleCmd), "M" + std::string(518, 'm'));
  EXPECT_EQ(editor.iWheelDefLines, 7);

  EXPECT_STREQ(o.Par[2].szParName, "Internet Explorer");  // beyond the count: the factory profile stays
}

// Field by field the layouts hold the same values, and neighbouring fields
// different ones: a field read from a wrong place in either reads another.
TEST_F(OptionsStorage, BothOlderLayoutsReadTheSameProfiles) {
  const Bytes image = LayoutAImage();
  const Bytes stream = Sample("layout_b.bin");
  CConfigByteBuffer b;
  b.Assign(stream.data(), stream.size());
  auto fromA = NewOptions();
  auto fromB = NewOptions();
  SetFactoryOptions(*fromA);
  SetFactoryOptions(*fromB);
  ASSERT_TRUE(ImportLayoutA(image.data(), image.size(), *fromA));
  ASSERT_TRUE(ImportLayoutB(b, *fromB));
  for (int j = 0; j < 2; ++j) {
    Profile a = fromA->Par[j];
    // Only layout B holds these two; each layout's own test checks them.
    a.bFreezeCursor = fromB->Par[j].bFreezeCursor;
    a.bHideCursor = fromB->Par[j].bHideCursor;
    EXPECT_EQ(std::memcmp(&a, &fromB->Par[j], sizeof a), 0) << "profile " << j;
  }
}

TEST_F(OptionsStorage, LayoutAImageIsImportedAndNotWrittenBack) {
  const Bytes image = LayoutAImage();
  store_.files[kFile] = image;
  auto o = NewOptions();
  EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  EXPECT_EQ(store_.writes, 1);  // the copy beside it
  EXPECT_EQ(store_.At(kFile), image);
  EXPECT_EQ(store_.At("Options_old.oqc"), image);
  ExpectSampleOptions(*o);
  EXPECT_EQ(o->Par[0].bHideCursor, 0);
  EXPECT_EQ(o->Par[1].bFreezeCursor, 0);

  // The next save writes the current form.
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 2u * 151u);
  EXPECT_EQ(store_.At("Options_old.oqc"), image);
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

class LayoutB : public OptionsStorage, public ::testing::WithParamInterface<const char*> {};

TEST_P(LayoutB, StreamIsImportedAndWrittenBackAsArchive) {
  store_.files[kFile] = Sample(GetParam());
  auto o = NewOptions();
  ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 0), 1);
  ExpectSampleOptions(*o);
  EXPECT_EQ(o->Par[0].bHideCursor, 1);
  EXPECT_EQ(o->Par[1].bFreezeCursor, 1);
  EXPECT_EQ(o->Par[1].bHideCursor, 0);  // left out: the default
  // Kept beside, then written back in the current form at once, and that
  // form reads the same.
  EXPECT_EQ(store_.writes, 2);
  EXPECT_EQ(store_.At("Options_old.oqc"), Sample(GetParam()));
  ASSERT_TRUE(StartsWithZipSignature(store_.At(kFile).data(), store_.At(kFile).size()));
  EXPECT_EQ(Records(store_.At(kFile)).size(), 6u + 2u * 151u);
  auto again = NewOptions();
  ASSERT_EQ(LoadSaveOptionsWith(store_, *again, 0), 1);
  EXPECT_EQ(Head(*again), Head(*o));
  for (int j = 0; j < 2; ++j) ExpectSameProfile(o->Par[j], again->Par[j], j);
}

INSTANTIATE_TEST_SUITE_P(StoredOrderAndShuffled, LayoutB, ::testing::Values("layout_b.bin", "layout_b_shuffled.bin"));

// An older file whose copy cannot be made, or a damaged one that can be
// neither moved nor copied aside, stays as it was for the whole run. A
// stream whose end was filled with zeros reads as whole (a zero byte is an
// empty field): its original is kept beside all the same.
TEST_F(OptionsStorage, AnOlderOrDamagedFileIsNeverSavedOverBeforeItIsKept) {
  Bytes zeroFilled = Sample("layout_b.bin");
  zeroFilled.resize(zeroFilled.size() + 4096, 0);
  Bytes damaged = Sample("layout_b.bin");
  damaged.insert(damaged.begin(), {'P', 'K', 3, 4});
  const struct {
    const char* name;
    Bytes file;
    int imported;
  } cases[] = {{"old image", LayoutAImage(), 1},
               {"old stream", Sample("layout_b.bin"), 1},
               {"old stream with a zero-filled end", zeroFilled, 1},
               {"damaged", damaged, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    store_.files = {{kFile, c.file}};
    store_.fail_writes = store_.fail_renames = true;
    auto o = NewOptions();
    OptionsFileState file = OptionsFileState::kSavable;
    EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0, &file), c.imported);
    EXPECT_EQ(file, OptionsFileState::kNotKept);
    // The disk has room again: still nothing over the file this run.
    store_.fail_writes = store_.fail_renames = false;
    EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 1, &file), 0);
    EXPECT_EQ(store_.files.size(), 1u);
    EXPECT_EQ(store_.At(kFile), c.file);

    // The next start keeps it, and saves.
    EXPECT_EQ(LoadSaveOptionsWith(store_, *o, 0, &file), c.imported);
    EXPECT_EQ(file, OptionsFileState::kSavable);
    ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1, &file), 1);
    EXPECT_TRUE(StartsWithZipSignature(store_.At(kFile).data(), store_.At(kFile).size()));
    EXPECT_EQ(store_.At(c.imported ? "Options_old.oqc" : "Options_damaged.oqc"), c.file);
  }
}

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
