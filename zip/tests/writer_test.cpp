#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <set>
#include <thread>

#include "zip/tests/test_util.h"
#include "zip/zip_crypt.h"
#include "zip/zip_format.h"
#include "zip/zip_writer.h"

namespace {

using zip::GetLe16;
using zip::GetLe32;
using ziptest::Bytes;
using ziptest::Finish;
using ziptest::FixedTimePlatform;

using Values = std::vector<std::uint32_t>;

// The little-endian fields at (offset, width) pairs past at: one comparison
// per record.
Values Fields(const Bytes& a, std::size_t at, std::initializer_list<std::pair<int, int>> fields) {
  Values v;
  for (const auto& [offset, width] : fields) {
    const std::uint8_t* p = &a[at + static_cast<std::size_t>(offset)];
    v.push_back(width == 1 ? *p : width == 2 ? GetLe16(p) : GetLe32(p));
  }
  return v;
}

std::size_t CentralStart(const Bytes& a) {
  EXPECT_EQ(GetLe32(&a[a.size() - 22]), zip::kEndRecordSignature);
  return GetLe32(&a[a.size() - 22 + 16]);
}

TEST(ZipWriter, PlainEntriesCarryFinalValuesInTheirLocalHeaders) {
  FixedTimePlatform p;
  // An empty password means no encryption.
  ZipHandle* h = CreateZipInMemoryWith(p, nullptr, 1 << 20, "");
  const auto text = ziptest::TextBytes(5000, 1);
  const auto raw = ziptest::RandomBytes(300, 2);
  ASSERT_EQ(ZipAddBuffer(h, "notes\\readme.txt", text.data(), 5000), kZipOk);
  ASSERT_EQ(ZipAddBuffer(h, "backup.ZIP", raw.data(), 300), kZipOk);
  const auto a = Finish(h);
  const std::uint32_t dos = zip::MakeDosDateTime(2023, 11, 14, 22, 13, 20);
  const auto crc = static_cast<std::uint32_t>(crc32(0, text.data(), 5000));

  // Version 20, flags 2, Deflate, time, CRC, size, name "notes/readme.txt",
  // then the 17-byte "UT" block: flags 7, modification, access, creation.
  EXPECT_EQ(Fields(a, 0, {{0, 4}, {4, 2}, {6, 2}, {8, 2}, {10, 4}, {14, 4}, {22, 4}, {26, 2}, {28, 2}}),
            (Values{zip::kLocalHeaderSignature, 20, 2, 8, dos, crc, 5000, 16, 17}));
  EXPECT_EQ(std::string(&a[30], &a[46]), "notes/readme.txt");
  EXPECT_EQ(Fields(a, 46, {{0, 2}, {2, 2}, {4, 1}, {5, 4}, {9, 4}, {13, 4}}),
            (Values{0x5455, 13, 7, 1700000000, 1700000100, 1690000000}));
  // No data descriptor: the stored entry's header follows the data at once.
  const std::uint32_t second = 63 + GetLe32(&a[18]);
  EXPECT_EQ(Fields(a, second, {{0, 4}, {6, 2}, {8, 2}, {18, 4}, {22, 4}}),
            (Values{zip::kLocalHeaderSignature, 0, 0, 300, 300}));
  EXPECT_EQ(std::memcmp(&a[second + 30 + 10 + 17], raw.data(), 300), 0);
  // Central records: made by 0x0B17, the local flags, a 9-byte "UT" block
  // with flags 7, attributes 0x80000000.
  const std::size_t c = CentralStart(a);
  EXPECT_EQ(Fields(a, c, {{4, 2}, {8, 2}, {30, 2}, {38, 4}, {46 + 16 + 4, 1}}), (Values{0x0B17, 2, 9, 0x80000000u, 7}));
  EXPECT_EQ(GetLe32(&a[c + 46 + 16 + 9 + 42]), second);
}

TEST(ZipWriter, MethodFollowsTheNameExtension) {
  for (const char* n : {"backup.ZIP", "data.tgz", "x.z", "a.b.Gz"}) EXPECT_TRUE(zip::IsStoredByExtension(n)) << n;
  for (const char* n : {"archive.zip.txt", "noextension", "x.zipx"}) EXPECT_FALSE(zip::IsStoredByExtension(n)) << n;
}

TEST(ZipWriter, EncryptedEntriesHaveHeaderDescriptorAndCheckByte) {
  FixedTimePlatform p;
  ZipHandle* h = CreateZipInMemoryWith(p, nullptr, 1 << 20, "secret");
  const auto raw = ziptest::RandomBytes(1000, 3);
  const auto text = ziptest::TextBytes(3000, 4);
  ASSERT_EQ(ZipAddBuffer(h, "a.gz", raw.data(), 1000), kZipOk);
  ASSERT_EQ(ZipAddBuffer(h, "b.txt", text.data(), 3000), kZipOk);
  const auto a = Finish(h);

  // Flags 9: no CRC before the data; sizes only where known beforehand.
  EXPECT_EQ(Fields(a, 0, {{6, 2}, {14, 4}, {18, 4}, {22, 4}}), (Values{9, 0, 1012, 1000}));
  // Decrypting the 12 header bytes gives the DOS time's high byte last.
  zip::ZipKeys keys = zip::MakeZipKeys("secret");
  Bytes data(a.begin() + 51, a.begin() + 51 + 1012);
  zip::DecryptZipBytes(keys, data.data(), data.size());
  EXPECT_EQ(data[11], a[11]);
  EXPECT_EQ(std::memcmp(data.data() + 12, raw.data(), 1000), 0);
  // Data descriptor with the final values.
  const auto crc = static_cast<std::uint32_t>(crc32(0, raw.data(), 1000));
  EXPECT_EQ(Fields(a, 51 + 1012, {{0, 4}, {4, 4}, {8, 4}, {12, 4}}),
            (Values{zip::kDataDescriptorSignature, crc, 1012, 1000}));
  const std::uint32_t second = 51 + 1012 + 16;
  EXPECT_EQ(Fields(a, second, {{0, 4}, {6, 2}, {18, 4}}), (Values{zip::kLocalHeaderSignature, 9, 0}));
  const std::size_t c = CentralStart(a);
  EXPECT_EQ(Fields(a, c, {{8, 2}, {46 + 4 + 9 + 8, 2}, {46 + 4 + 9 + 42, 4}}), (Values{9, 9, second}));
}

TEST(ZipWriter, MemoryBlockHoldsOneByteLessThanItsSize) {
  FixedTimePlatform p;
  // An empty archive is the end record alone.
  const auto empty = Finish(CreateZipInMemoryWith(p, nullptr, 1000, nullptr));
  ASSERT_EQ(empty.size(), 22u);
  EXPECT_EQ(GetLe32(&empty[0]), zip::kEndRecordSignature);
  EXPECT_EQ(GetLe16(&empty[10]), 0);

  auto one_entry = [&](void* block, std::size_t size) {
    ZipHandle* h = CreateZipInMemoryWith(p, block, static_cast<std::uint32_t>(size), nullptr);
    EXPECT_EQ(ZipAddBuffer(h, "n.gz", "0123456789", 10), kZipOk);
    return h;
  };
  const std::size_t size = Finish(one_entry(nullptr, 4096)).size();
  ASSERT_EQ(size, 30 + 4 + 17 + 10 + 46 + 4 + 9 + 22u);
  Bytes block(size + 1);
  EXPECT_EQ(Finish(one_entry(block.data(), size + 1)).size(), size);
  // The end record does not fit: finishing fails rather than hand out a
  // block without it. The exact-size block lets AddressSanitizer see overruns.
  Bytes exact(size);
  Finish(one_entry(exact.data(), size), kZipWriteFailed);

  ZipResult e = 0;
  EXPECT_EQ(CreateZipInMemoryWith(p, nullptr, 0, nullptr, &e), nullptr);
  EXPECT_EQ(e, kZipMemoryFull);
  // Memory running out during an entry stops the writer.
  ZipHandle* h = CreateZipInMemoryWith(p, nullptr, 200, nullptr);
  const auto raw = ziptest::RandomBytes(500, 9);
  EXPECT_EQ(ZipAddBuffer(h, "big.gz", raw.data(), 500), kZipMemoryFull);
  EXPECT_EQ(ZipAddBuffer(h, "s.gz", "x", 1), kZipWriterFailed);
  Finish(h, kZipWriteFailed);
}

TEST(ZipWriter, ArgumentAndStateErrors) {
  FixedTimePlatform p;
  ZipHandle* h = CreateZipInMemoryWith(p, nullptr, 4096, nullptr);
  EXPECT_EQ(ZipAddBuffer(h, "x", "a", 0), kZipBadArguments);
  EXPECT_EQ(ZipAddBuffer(h, "x", nullptr, 1), kZipBadArguments);
  EXPECT_EQ(ZipAddBuffer(h, "", "a", 1), kZipBadArguments);
  EXPECT_EQ(ZipAddBuffer(h, std::string(260, 'n').c_str(), "a", 1), kZipBadArguments);
  EXPECT_EQ(ZipAddBuffer(h, std::string(259, 'n').c_str(), "a", 1), kZipOk);
  EXPECT_EQ(ZipAddBuffer(nullptr, "x", "a", 1), kZipBadArguments);
  ZipHandle reader_kind{kZipReaderKind, h->object};
  EXPECT_EQ(ZipAddBuffer(&reader_kind, "x", "a", 1), kZipWrongHandle);
  EXPECT_EQ(GetZipEntry(h, 0, nullptr), kZipWrongHandle);
  void* base = reinterpret_cast<void*>(1);
  std::uint32_t len = 5;
  EXPECT_EQ(GetZipMemory(nullptr, &base, &len), kZipBadArguments);
  EXPECT_EQ(base, nullptr);
  EXPECT_EQ(len, 0u);
  EXPECT_EQ(GetZipMemory(h, &base, &len), kZipOk);
  EXPECT_EQ(ZipAddBuffer(h, "x", "a", 1), kZipFinished);
  EXPECT_EQ(CloseZipWriter(h), kZipOk);
}

// Output that takes bytes until a budget is used up, then fails (or takes
// only part of a write).
class FailingSink : public zip::ArchiveSink {
 public:
  FailingSink(std::size_t budget, bool short_writes, bool fail_seek)
      : budget_(budget), short_(short_writes), fail_seek_(fail_seek) {}
  std::uint32_t Write(const void* data, std::uint32_t count) override {
    std::size_t take = count;
    if (written_ + take > budget_) take = short_ ? budget_ - written_ : 0;
    if (pos_ + take > bytes_.size()) bytes_.resize(pos_ + take);
    if (take) std::memcpy(&bytes_[pos_], data, take);
    pos_ += take;
    written_ += take;
    return static_cast<std::uint32_t>(take);
  }
  bool Seek(std::uint32_t position) override {
    if (!fail_seek_) pos_ = position;
    return !fail_seek_;
  }

 private:
  std::size_t budget_, written_ = 0, pos_ = 0;
  bool short_, fail_seek_;
  Bytes bytes_;
};

TEST(ZipWriter, AFailingOutputNeverYieldsSuccess) {
  FixedTimePlatform p;
  const auto text = ziptest::TextBytes(40000, 5);
  const auto raw = ziptest::RandomBytes(20000, 6);
  for (const char* password : {static_cast<const char*>(nullptr), "pw"}) {
    // Size of the complete archive, for the budgets below.
    ZipHandle* m = CreateZipInMemoryWith(p, nullptr, 1 << 20, password);
    ASSERT_EQ(ZipAddBuffer(m, "t.txt", text.data(), 40000), kZipOk);
    ASSERT_EQ(ZipAddBuffer(m, "r.gz", raw.data(), 20000), kZipOk);
    const std::size_t total = Finish(m).size();
    std::vector<std::size_t> budgets;
    for (std::size_t budget = 0; budget < total; budget += 997) budgets.push_back(budget);
    budgets.push_back(total + 1000);  // room for everything and the header corrections
    for (bool short_writes : {false, true}) {
      for (std::size_t budget : budgets) {
        SCOPED_TRACE(testing::Message() << "budget " << budget << " of " << total << " short " << short_writes);
        ZipHandle* h = CreateZipWriterOn(p, std::make_unique<FailingSink>(budget, short_writes, false), password);
        const ZipResult a = ZipAddBuffer(h, "t.txt", text.data(), 40000);
        const ZipResult b = ZipAddBuffer(h, "r.gz", raw.data(), 20000);
        EXPECT_EQ(CloseZipWriter(h) == kZipOk, budget > total);
        EXPECT_TRUE(budget <= total || (a == kZipOk && b == kZipOk));
      }
    }
  }
  // An output that cannot be positioned cannot correct the headers.
  ZipHandle* h = CreateZipWriterOn(p, std::make_unique<FailingSink>(1 << 20, false, true), nullptr);
  EXPECT_EQ(ZipAddBuffer(h, "t.txt", text.data(), 1000), kZipWriteFailed);
  EXPECT_EQ(ZipAddBuffer(h, "t.txt", text.data(), 1000), kZipWriterFailed);
  EXPECT_EQ(CloseZipWriter(h), kZipWriteFailed);
}

class BrokenSource : public zip::EntrySource {
 public:
  std::int64_t Read(void* buffer, std::uint32_t count) override {
    if (given_ >= 50000) return -1;
    const std::uint32_t n = std::min(count, 50000 - given_);
    std::memset(buffer, 'q', n);
    given_ += n;
    return n;
  }

 private:
  std::uint32_t given_ = 0;
};

TEST(ZipWriter, AMissingOrBrokenSourceFailsOnlyItsEntry) {
  FixedTimePlatform p;
  for (const char* name : {"deflated.txt", "stored.zip"}) {
    ZipHandle* h = CreateZipInMemoryWith(p, nullptr, 1 << 20, nullptr);
    EXPECT_EQ(ZipAddFile(h, "gone", "/nonexistent/file/for/sure"), kZipNotFound);
    zip::SourceInfo info;
    p.CurrentTimes(&info);
    info.size = 100000;
    info.size_known = true;
    BrokenSource src;
    EXPECT_EQ(zip::WriterOf(h)->AddZipEntry(name, src, info), kZipWriteFailed) << name;
    EXPECT_EQ(ZipAddBuffer(h, "ok.gz", "abc", 3), kZipOk);
    const auto a = Finish(h);
    EXPECT_EQ(GetLe16(&a[a.size() - 22 + 10]), 1) << name;
  }
}

struct FakeFile {
  Bytes bytes = Bytes(200, 0);
  bool pe_everywhere = false;  // answers a PE signature at any offset past the header
};

bool ReadFake(void* context, std::uint64_t offset, void* buffer, std::uint32_t count) {
  auto* f = static_cast<FakeFile*>(context);
  if (f->pe_everywhere && offset > 64) {
    std::memcpy(buffer, "PE\0\0", std::min(count, 4u));
    return true;
  }
  if (offset + count > f->bytes.size()) return false;
  std::memcpy(buffer, &f->bytes[offset], count);
  return true;
}

TEST(ZipWriter, ExecutableTestUses64BitOffsets) {
  FakeFile f;
  f.bytes[0] = 'M';
  f.bytes[1] = 'Z';
  zip::PutLe32(&f.bytes[60], 64);
  for (const char* sig : {"PE", "NE", "XX"}) {
    std::memcpy(&f.bytes[64], sig, 2);
    EXPECT_EQ(zip::LooksLikeWindowsExecutable(200, &ReadFake, &f), sig[0] != 'X') << sig;
  }
  // Header offset beyond the file: v + 52 would wrap in 32 bits.
  zip::PutLe32(&f.bytes[60], 0xFFFFFFF0u);
  f.pe_everywhere = true;
  EXPECT_FALSE(zip::LooksLikeWindowsExecutable(200, &ReadFake, &f));
  zip::PutLe32(&f.bytes[60], 148);  // 148 + 52 == 200: not below the size
  EXPECT_FALSE(zip::LooksLikeWindowsExecutable(200, &ReadFake, &f));
  EXPECT_FALSE(zip::LooksLikeWindowsExecutable(40, &ReadFake, &f));
}

TEST(ZipWriter, ExternalAttributesOfFileSources) {
  EXPECT_EQ(zip::MakeExternalAttributes(0x20, false, false), 0x81800020u);
  EXPECT_EQ(zip::MakeExternalAttributes(0x01, false, false), 0x81000001u);
  EXPECT_EQ(zip::MakeExternalAttributes(0x00, false, true), 0x81C00000u);
  EXPECT_EQ(zip::MakeExternalAttributes(0x10, true, false), 0x41800010u);
  EXPECT_EQ(zip::MakeExternalAttributes(0xFFC0, false, false) & 0xFFFF, 0u);
}

TEST(ZipCrypt, RandomSourceIsSharedSafelyAndNotReseeded) {
  std::vector<std::thread> threads;
  std::vector<std::vector<int>> values(4);
  for (auto& v : values) {
    threads.emplace_back([&v] {
      for (int i = 0; i < 20000; ++i) v.push_back(zip::NextZipRandom());
    });
  }
  for (auto& th : threads) th.join();
  std::set<int> distinct;
  for (const auto& v : values) distinct.insert(v.begin(), v.end());
  EXPECT_GE(*distinct.begin(), 0);
  EXPECT_LT(*distinct.rbegin(), 32768);
  EXPECT_GT(distinct.size(), 20000u);
  // Two headers made back to back (same millisecond) differ.
  zip::ZipKeys a = zip::MakeZipKeys("pw"), b = zip::MakeZipKeys("pw");
  std::uint8_t ha[12], hb[12];
  zip::MakeZipCryptHeader(a, 0x42, ha);
  zip::MakeZipCryptHeader(b, 0x42, hb);
  EXPECT_NE(std::memcmp(ha, hb, 11), 0);
}

}  // namespace
