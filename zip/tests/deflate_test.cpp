#include "zip/deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "zip/tests/test_util.h"

namespace {

using ziptest::Bytes;

struct Io {
  const Bytes* in = nullptr;
  std::size_t pos = 0;
  unsigned max_read = 0xFFFFFFFFu;  // limits each read, to vary the window filling
  Bytes out;
  int fail_after_flushes = -1;  // the output refuses bytes after this many flushes
  int flushes = 0;
};

int Input(void* c, std::uint8_t* buf, unsigned count) {
  Io* io = static_cast<Io*>(c);
  const std::size_t n = std::min<std::size_t>({io->in->size() - io->pos, count, io->max_read});
  if (n) std::memcpy(buf, io->in->data() + io->pos, n);
  io->pos += n;
  return static_cast<int>(n);
}

void Output(void* c, const std::uint8_t* buf, unsigned* count) {
  Io* io = static_cast<Io*>(c);
  if (io->fail_after_flushes >= 0 && io->flushes >= io->fail_after_flushes) return;
  ++io->flushes;
  io->out.insert(io->out.end(), buf, buf + *count);
  *count = 0;
}

// An exact-size heap buffer: AddressSanitizer reports any write past it.
ZipResult RunDeflate(zip::DeflateState& state, Io& io) {
  Bytes buffer(16384);
  return state.Compress({&Input, &Output, &io}, buffer.data(), 16384);
}

Bytes Compress(zip::DeflateState& state, const Bytes& data, unsigned max_read = 0xFFFFFFFFu) {
  Io io;
  io.in = &data;
  io.max_read = max_read;
  EXPECT_EQ(RunDeflate(state, io), kZipOk) << (state.ErrorText() ? state.ErrorText() : "");
  return io.out;
}

bool Inflate(const Bytes& packed, std::size_t expected, Bytes* out) {
  z_stream s{};
  if (inflateInit2(&s, -15) != Z_OK) return false;
  out->assign(expected + 1, 0);
  s.next_in = const_cast<Bytef*>(packed.data());
  s.avail_in = static_cast<uInt>(packed.size());
  s.next_out = out->data();
  s.avail_out = static_cast<uInt>(out->size());
  const bool ok = inflate(&s, Z_FINISH) == Z_STREAM_END && s.avail_in == 0;
  out->resize(s.total_out);
  inflateEnd(&s);
  return ok;
}

void ExpectRoundTrip(zip::DeflateState& state, const Bytes& data, unsigned max_read = 0xFFFFFFFFu) {
  Bytes back;
  ASSERT_TRUE(Inflate(Compress(state, data, max_read), data.size(), &back)) << "size " << data.size();
  EXPECT_TRUE(back == data) << "size " << data.size();
}

TEST(Deflate, RoundTripsThroughInflateAtBlockAndWindowBoundaries) {
  // One state for every run: it is reused per entry like the writer's.
  zip::DeflateState state;
  for (std::size_t n : {0, 1, 2, 3, 257, 258, 259, 262, 4095, 4096, 32767, 32768, 32769, 65273, 65274, 65275, 65535,
                        65536, 65537, 98304, 131072, 262144, 3 * 1024 * 1024 + 17}) {
    const auto start = static_cast<std::uint32_t>(n);
    const std::pair<const char*, Bytes> kinds[] = {{"random", ziptest::RandomBytes(n, start)},
                                                   {"text", ziptest::TextBytes(n, start)},
                                                   {"repetitive", ziptest::RepetitiveBytes(n)}};
    for (const auto& [kind, data] : kinds) {
      SCOPED_TRACE(kind);
      ExpectRoundTrip(state, data);
    }
  }
  for (unsigned piece : {1u, 7u, 300u, 4096u}) {
    SCOPED_TRACE(piece);
    ExpectRoundTrip(state, ziptest::TextBytes(200000, piece), piece);
  }
}

TEST(Deflate, BlockForms) {
  zip::DeflateState state;
  // Empty input: one fixed block holding the end code alone.
  EXPECT_EQ(Compress(state, {}), (Bytes{0x03, 0x00}));
  // Incompressible data: one last stored block (bits 001, aligned, LEN, NLEN, the bytes).
  const auto data = ziptest::RandomBytes(20000, 5);
  const auto packed = Compress(state, data);
  ASSERT_EQ(packed.size(), data.size() + 5);
  EXPECT_EQ(packed[0] & 0x07, 0x01);
  EXPECT_EQ(packed[1] | (packed[2] << 8), 20000);
  EXPECT_EQ(packed[3] | (packed[4] << 8), ~20000 & 0xFFFF);
  EXPECT_EQ(std::memcmp(packed.data() + 5, data.data(), data.size()), 0);
}

TEST(Deflate, MatchesReachAtMost32506BytesBack) {
  zip::DeflateState state;
  const auto chunk = ziptest::RandomBytes(2000, 11);
  auto build = [&](std::size_t gap) {
    Bytes v = chunk;
    const auto filler = ziptest::RandomBytes(gap, 12);
    v.insert(v.end(), filler.begin(), filler.end());
    v.insert(v.end(), chunk.begin(), chunk.end());
    return v;
  };
  // The repeat is found 2000 + 28000 bytes back, but not 2000 + 31000 back
  // (33000 > 32506): then the second copy costs its full size again.
  const auto far_packed = Compress(state, build(31000));
  EXPECT_LT(Compress(state, build(28000)).size(), 2000u + 28000u + 200u);
  EXPECT_GT(far_packed.size(), 2000u + 31000u + 1900u);
  Bytes back;
  EXPECT_TRUE(Inflate(far_packed, 35000, &back));
}

TEST(Deflate, FailingOutputFailsTheRunAndStaysInItsBuffer) {
  zip::DeflateState state;
  const auto data = ziptest::TextBytes(500000, 3);
  for (int fail_after : {0, 1, 3}) {
    Io io;
    io.in = &data;
    io.fail_after_flushes = fail_after;
    EXPECT_EQ(RunDeflate(state, io), kZipDataFailed);
    EXPECT_TRUE(state.OutputFailed());
    EXPECT_EQ(io.flushes, fail_after);
  }
  ExpectRoundTrip(state, data);  // the state is usable again afterwards
}

TEST(Deflate, CompressesTextAboutAsWellAsZlibAtTheSameSettings) {
  zip::DeflateState state;
  const auto data = ziptest::TextBytes(1 << 20, 77);
  z_stream s{};
  ASSERT_EQ(deflateInit2(&s, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  Bytes theirs(deflateBound(&s, data.size()));
  s.next_in = const_cast<Bytef*>(data.data());
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = theirs.data();
  s.avail_out = static_cast<uInt>(theirs.size());
  ASSERT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
  deflateEnd(&s);
  EXPECT_LT(static_cast<double>(Compress(state, data).size()) / static_cast<double>(s.total_out), 1.01);
}

}  // namespace
