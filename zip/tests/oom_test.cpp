// Running out of memory in the writer and its compressor is a result of the
// call, never an exception: each allocation of a writer session is refused
// in turn (it and every later one), and the archive still reads back with
// the entries whose calls succeeded.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <new>

#include "zip/tests/test_util.h"

namespace {

// Allocations still granted before every later one is refused; -1: all are.
long g_grant = -1;
bool g_refused = false;

void* Allocate(std::size_t n) noexcept {
  if (g_grant == 0) {
    g_refused = true;
    return nullptr;
  }
  if (g_grant > 0) --g_grant;
  return std::malloc(n ? n : 1);
}

// Grants n allocations while it lives; disarmed on every path, so that the
// test framework's own reporting never runs short.
struct Refusing {
  explicit Refusing(long n) {
    g_refused = false;
    g_grant = n;
  }
  ~Refusing() { g_grant = -1; }
};

}  // namespace

void* operator new(std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using ziptest::Bytes;

TEST(ZipOutOfMemory, EveryRefusedAllocationIsReportedAndLeavesAReadableArchive) {
  test_support::TempDir dir;
  const Bytes text = ziptest::TextBytes(50000, 1), stored = ziptest::RandomBytes(3000, 2);
  const Bytes file = ziptest::TextBytes(9000, 3);
  const std::string source = dir / "source.txt";
  ASSERT_TRUE(test_support::WriteWholeFile(source, file));
  // A long name (no short-string storage), a Deflate entry, a stored one and a file.
  const std::string names[] = {"a name too long for any short string store.txt", "kept.zip", "file.txt"};
  const Bytes* const data[] = {&text, &stored, &file};
  ziptest::FixedTimePlatform platform;

  bool complete = false;
  for (long grant = 0; grant < 200 && !complete; ++grant) {
    SCOPED_TRACE(grant);
    std::array<ZipResult, 3> added{};
    ZipResult created = 0, finished = 0;
    void* base = nullptr;
    std::uint32_t length = 0;
    ZipHandle* h = nullptr;
    {
      Refusing refusing(grant);
      h = CreateZipInMemoryWith(platform, nullptr, 1 << 20, "pw", &created);
      if (h) {
        added[0] = ZipAddBuffer(h, names[0].c_str(), text.data(), static_cast<std::uint32_t>(text.size()));
        added[1] = ZipAddBuffer(h, names[1].c_str(), stored.data(), static_cast<std::uint32_t>(stored.size()));
        added[2] = ZipAddFile(h, names[2].c_str(), source.c_str());
        finished = GetZipMemory(h, &base, &length);
      }
      complete = !g_refused;
    }
    if (!h) {
      EXPECT_EQ(created, kZipNoMemory);
      continue;
    }
    EXPECT_EQ(finished, kZipOk);
    const Bytes archive(static_cast<std::uint8_t*>(base), static_cast<std::uint8_t*>(base) + length);
    EXPECT_EQ(CloseZipWriter(h), kZipOk);
    int ok = 0;
    for (ZipResult r : added) {
      EXPECT_TRUE(r == kZipOk || r == kZipNoMemory) << std::hex << r;
      ok += r == kZipOk;
    }
    EXPECT_TRUE(!complete || ok == 3);
    // Refusals are permanent, so the entries that made it are the first ones.
    ZipHandle* r =
        OpenZipSource(&platform, std::make_unique<zip::MemoryByteSource>(archive.data(), archive.size()), "pw");
    ASSERT_NE(r, nullptr);
    ZipEntryInfo info{};
    ASSERT_EQ(GetZipEntry(r, -1, &info), kZipOk);
    EXPECT_EQ(info.index, ok);
    for (int i = 0; i < info.index && i < 3; ++i) {
      Bytes back(data[i]->size() + 1);
      std::uint32_t got = 0;
      EXPECT_EQ(UnzipEntryToMemory(r, i, back.data(), static_cast<std::uint32_t>(back.size()), &got), kZipOk);
      back.resize(got);
      EXPECT_TRUE(back == *data[i]) << names[i];
    }
    CloseZip(r);
  }
  EXPECT_TRUE(complete);
}

}  // namespace
