#include "framework/store/config_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

namespace {

std::string Rec(const std::string& key, const std::string& value) {
  return key + "=" + value + std::string("\0\r\n", 3);
}

CConfigText Loaded(const std::string& text) {
  CConfigText c(0, "gOpt.");
  c.SetText(text.data(), text.size());
  return c;
}

TEST(ConfigText, EveryValueTypeRoundTripsInItsStoredForm) {
  std::uint8_t b1 = 1, b0 = 0;
  std::int16_t s = -1234;
  std::int32_t i = -2147483647 - 1;
  std::uint16_t hot = 340;
  // Doubles with the form they are stored in (null: only the value counts).
  const std::pair<double, const char*> doubles[] = {
      {2.0, "2.0"},      {0.25, "0.25"},    {1.0, "1.0"},        {0.5, "0.5"},     {-3.0, "-3.0"},
      {0.0, "0.0"},      {0.1, "0.1"},      {-1.5, "-1.5"},      {100.125, "100.125"}, {1234.5678, nullptr},
      {1e-7, nullptr},   {1e20, nullptr},   {1e300, nullptr},    {-2.5e-30, nullptr},  {3.14159265358979, nullptr}};
  constexpr int kDoubles = sizeof doubles / sizeof doubles[0];
  char str[64] = "Program Files\\app.exe";

  CConfigText save(1, "gOpt.");
  save.ConfigBool(&b1, 1, "gOpt.bOn");
  save.ConfigBool(&b0, 1, "gOpt.bOff");
  save.ConfigShort(&s, 2, "gOpt.sVal");
  save.ConfigInt(&i, 4, "gOpt.iVal");
  save.ConfigHexWord(&hot, 2, "gOpt.wHotKey");
  for (int k = 0; k < kDoubles; ++k) {
    double d = doubles[k].first;
    save.ConfigDouble(&d, 8, "gOpt.d[xi]", k);
  }
  save.ConfigString(str, 64, "gOpt.Par[xi].szName", 3);
  const std::string text(save.text().begin(), save.text().end());
  EXPECT_EQ(text.substr(0, 8), std::string("bOn=1\0\r\n", 8));
  EXPECT_NE(text.find(Rec("wHotKey", "0x0154")), std::string::npos);
  EXPECT_NE(text.find(Rec("Par[3].szName", str)), std::string::npos);
  for (int k = 0; k < kDoubles; ++k) {
    const std::string key = "d[" + std::to_string(k) + "]";
    EXPECT_TRUE(!doubles[k].second || text.find(Rec(key, doubles[k].second)) != std::string::npos) << key;
  }

  CConfigText load = Loaded(text);
  std::uint8_t rb1 = 0, rb0 = 1;
  std::int16_t rs = 0;
  std::int32_t ri = 0;
  std::uint16_t rhot = 0;
  char rstr[64] = {};
  // Read in a different order than written: the lookup wraps around.
  EXPECT_EQ(load.ConfigString(rstr, 64, "gOpt.Par[xi].szName", 3), 0);
  EXPECT_EQ(load.ConfigBool(&rb1, 1, "gOpt.bOn") | load.ConfigBool(&rb0, 1, "gOpt.bOff") |
                load.ConfigShort(&rs, 2, "gOpt.sVal") | load.ConfigInt(&ri, 4, "gOpt.iVal") |
                load.ConfigHexWord(&rhot, 2, "gOpt.wHotKey"),
            0);
  for (int k = kDoubles - 1; k >= 0; --k) {
    double d = 0;
    EXPECT_EQ(load.ConfigDouble(&d, 8, "gOpt.d[xi]", k), 0);
    EXPECT_DOUBLE_EQ(d, doubles[k].first) << k;
  }
  EXPECT_EQ(std::make_tuple(rb1, rb0, rs, ri, rhot, std::string(rstr)),
            std::make_tuple(b1, b0, s, i, hot, std::string(str)));
}

TEST(ConfigText, LookupMatchesWholeKeysAtLineStartsOnly) {
  CConfigText c = Loaded(Rec("bTrayIcon", "1") + Rec("iNumPars", "4") + Rec("szText", "x\nbFake=1") +
                         Rec("iLast", "9") + "b=2");
  std::uint8_t flag = 0;
  EXPECT_EQ(c.ConfigBool(&flag, 1, "gOpt.bTrayIcon"), 0);
  EXPECT_EQ(flag, 1);
  std::int32_t n = 77;
  // Not a prefix of iNumPars; "Text" only inside a key; "x" only inside a
  // value; "b" unterminated at the end. A miss leaves the variable alone.
  for (const char* missing : {"gOpt.iNumPar", "gOpt.Text", "gOpt.x", "gOpt.b"}) {
    EXPECT_EQ(c.ConfigInt(&n, 4, missing), -1) << missing;
  }
  EXPECT_EQ(n, 77);
  EXPECT_EQ(c.cursor, -1);
  EXPECT_EQ(c.ConfigInt(&n, 4, "gOpt.iNumPars"), 0);  // a negative cursor starts at 0
  EXPECT_EQ(n, 4);
  // The cursor is past the record: the wrap-around finds an earlier key.
  EXPECT_EQ(c.ConfigInt(&n, 4, "gOpt.iLast"), 0);
  flag = 0;
  EXPECT_EQ(c.ConfigBool(&flag, 1, "&gOpt.bTrayIcon"), 0);
  EXPECT_EQ(flag, 1);
}

TEST(ConfigText, AHostileCaptionCannotInjectARecord) {
  // Captions picked from other programs' windows; a NUL ends the text.
  const struct {
    std::string caption, saved;
  } cases[] = {{"x\r\nbScrollEnable=0", "x  bScrollEnable=0"},
               {"x\nbScrollEnable=0\r", "x bScrollEnable=0 "},
               {std::string("x\0\r\nbScrollEnable=0", 19), "x"},
               {"C:\\Tools\\app.exe -a\\b", "C:\\Tools\\app.exe -a\\b"}};
  for (const auto& c : cases) {
    char caption[64] = {};
    std::memcpy(caption, c.caption.data(), c.caption.size());
    std::uint8_t scroll = 1;
    CConfigText save(1, "gOpt.");
    save.ConfigString(caption, sizeof caption, "gOpt.szCaption");
    CConfigText caption_only = Loaded(std::string(save.text().begin(), save.text().end()));
    save.ConfigBool(&scroll, 1, "gOpt.bScrollEnable");
    CConfigText load = Loaded(std::string(save.text().begin(), save.text().end()));
    // Looked up first, from the start of the text: only the real record counts.
    std::uint8_t read = 0;
    EXPECT_EQ(load.ConfigBool(&read, 1, "gOpt.bScrollEnable"), 0);
    EXPECT_EQ(read, 1) << c.saved;
    char back[64] = {};
    EXPECT_EQ(load.ConfigString(back, sizeof back, "gOpt.szCaption"), 0);
    EXPECT_EQ(std::string(back), c.saved);
    EXPECT_EQ(caption_only.ConfigBool(&read, 1, "gOpt.bScrollEnable"), -1) << c.saved;
  }
}

TEST(ConfigText, ValueReading) {
  CConfigText c = Loaded(Rec("wA", "12") + Rec("wB", "0x1A2b") + Rec("iC", "  -42xyz") + Rec("iD", "abc") +
                         Rec("sE", "70000") + Rec("szLong", std::string(100, 'q')));
  std::uint16_t w = 9;
  EXPECT_EQ(c.ConfigHexWord(&w, 2, "gOpt.wA"), 1);
  EXPECT_EQ(w, 9);
  EXPECT_EQ(c.ConfigHexWord(&w, 2, "gOpt.wB"), 0);
  EXPECT_EQ(w, 0x1A2B);
  std::int32_t i = 1;
  EXPECT_EQ(c.ConfigInt(&i, 4, "gOpt.iC"), 0);
  EXPECT_EQ(i, -42);
  EXPECT_EQ(c.ConfigInt(&i, 4, "gOpt.iD"), 0);
  EXPECT_EQ(i, 0);
  std::int16_t s = 0;
  EXPECT_EQ(c.ConfigShort(&s, 2, "gOpt.sE"), 0);
  EXPECT_EQ(s, static_cast<std::int16_t>(70000 & 0xFFFF));
  // Strings are cut to the buffer.
  char buf[64];
  std::memset(buf, 'z', sizeof buf);
  EXPECT_EQ(c.ConfigString(buf, 64, "gOpt.szLong"), 0);
  EXPECT_EQ(std::strlen(buf), 63u);
}

TEST(ConfigText, KeysFromVariableNames) {
  CConfigText c(1, "gOpt.");
  const struct {
    std::string name;
    int i1, i2, i3;
    std::string key;
  } cases[] = {{"gOpt.Par[xi].szParName", 3, 0, 0, "Par[3].szParName"},
               {"gOpt.bTrayIcon", 0, 0, 0, "bTrayIcon"},
               {"gOpt.a[i][j].b[k]", 1, 22, 333, "a[1][22].b[333]"},
               {"gOpt.a[2].b", 5, 0, 0, "a[2].b"},
               {"gOpt.pct%s%n", 0, 0, 0, "pct%s%n"},  // no format interpretation
               {"gOpt." + std::string(400, 'k'), 0, 0, 0, std::string(259, 'k')}};
  for (const auto& k : cases) {
    c.ConfigTextBuildKey(k.name.c_str(), k.i1, k.i2, k.i3);
    EXPECT_EQ(c.key, k.key);
  }
}

std::string Field(std::uint8_t header, const std::string& rest) { return static_cast<char>(header) + rest; }

CConfigByteBuffer Buffer(const std::string& s) {
  CConfigByteBuffer b;
  b.Assign(s.data(), s.size());
  return b;
}

TEST(TaggedField, EveryLookupSearchesTheWholeStreamFromTheCursorOn) {
  // 0x15: 1-byte index, 1-byte tag, 1-byte length; 0x25: a 2-byte length.
  const std::string s = Field(0x15, std::string("\x01\x02\x03", 3) + "abc") +
                        Field(0x15, std::string("\x01\x05\x02", 3) + "xy") +
                        Field(0x25, std::string("\x02\x07\x04\x00", 4) + "long");
  CConfigByteBuffer b = Buffer(s);
  char out[8];
  EXPECT_EQ(b.ReadTaggedField(1, 5, out, 8), 2);
  EXPECT_EQ(std::string(out, 8), std::string("xy\0\0\0\0\0\0", 8));
  EXPECT_EQ(b.ReadTaggedField(1, 2, out, 8), 3);  // behind the cursor: wraps
  EXPECT_EQ(std::string(out, 3), "abc");
  EXPECT_EQ(b.cursor(), 7u);  // just after that field
  EXPECT_EQ(b.ReadTaggedField(2, 7, out, 2), 2);  // cut to the out size
  EXPECT_EQ(std::string(out, 2), "lo");
  // The cursor at the very end still finds the first field.
  EXPECT_EQ(b.cursor(), s.size());
  EXPECT_EQ(b.ReadTaggedField(1, 2, out, 8), 3);
  // Misses leave out untouched, from the middle and from the end.
  std::memset(out, 'u', 8);
  EXPECT_EQ(b.ReadTaggedField(9, 9, out, 8), -1);
  b.set_cursor(s.size());
  EXPECT_EQ(b.ReadTaggedField(9, 9, out, 8), -1);
  b.set_cursor(0);
  EXPECT_EQ(b.ReadTaggedField(1, 5, nullptr, 0), 0);  // found, nothing to copy
  EXPECT_EQ(b.ReadTaggedField(1, 5, nullptr, 4), -1);
  EXPECT_EQ(out[0], 'u');
  b.set_cursor(0);
  EXPECT_EQ(b.ReadTaggedField(0x10001, 0x10005, out, 8), 2);  // 16-bit comparison
}

TEST(TaggedField, NeverReadsPastTheData) {
  char out[16];
  EXPECT_EQ(Buffer("").ReadTaggedField(1, 1, out, 16), -1);
  // Value longer than the data left.
  EXPECT_EQ(Buffer(Field(0x15, std::string("\x01\x01\x09", 3) + "abc")).ReadTaggedField(1, 1, out, 16), -1);
  // Header whose number bytes run past the end.
  CConfigByteBuffer b = Buffer(Field(0x15, std::string("\x01\x01\x02", 3) + "ok") + Field(0x7F, "\x01"));
  b.set_cursor(6);
  EXPECT_EQ(b.ReadTaggedField(1, 1, out, 16), 2);  // wrapped past the broken field
  b.set_cursor(6);
  EXPECT_EQ(b.ReadTaggedField(5, 5, out, 16), -1);
  // A 7-byte length near 2^56 does not wrap the position.
  const std::string s = Field(0x75, std::string("\x01\x01\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 9)) +
                        Field(0x15, std::string("\x02\x02\x01", 3) + "z");
  b = Buffer(s);
  EXPECT_EQ(b.ReadTaggedField(2, 2, out, 16), -1);
  b.set_cursor(s.size());
  EXPECT_EQ(b.ReadTaggedField(1, 1, out, 16), -1);
}

TEST(ByteBuffer, ResizeZeroesAndTruncateCuts) {
  CConfigByteBuffer b = Buffer("abc");
  b.set_cursor(2);
  ASSERT_NE(b.Resize(6), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), 6), std::string("abc\0\0\0", 6));
  EXPECT_EQ(b.cursor(), 0u);
  b.set_cursor(6);
  b.Truncate(2);
  EXPECT_EQ(b.count(), 2u);
  EXPECT_EQ(b.cursor(), 2u);
}

}  // namespace
