#include "zip/deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "zip/tests/test_util.h"

namespace {

struct Io {
  const std::vector<std::uint8_t>* in = nullptr;
  std::size_t pos = 0;
  unsigned max_read = 0xFFFFFFFFu;  // limits each read, to vary the window filling
  std::vector<std::uint8_t> out;
  int fail_after_flushes = -1;  // the output refuses bytes after this many flushes
  int flushes = 0;
};

int Input(void* c, std::uint8_t* buf, unsigned count) {
  Io* io = static_cast<Io*>(c);
  std::size_t n = io->in->size() - io->pos;
  if (n > count) n = count;
  if (n > io->max_read) n = io->max_read;
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

std::vector<std::uint8_t> Compress(zip::DeflateState& state, const std::vector<std::uint8_t>& data,
                                   unsigned max_read = 0xFFFFFFFFu) {
  Io io;
  io.in = &data;
  io.max_read = max_read;
  std::vector<std::uint8_t> buffer(16384);
  const ZipResult r = state.Compress({&Input, &Output, &io}, buffer.data(), 16384);
  EXPECT_EQ(r, kZipOk) << (state.ErrorText() ? state.ErrorText() : "");
  return io.out;
}

bool Inflate(const std::vector<std::uint8_t>& packed, std::size_t expected, std::vector<std::uint8_t>* out) {
  z_stream s{};
  if (inflateInit2(&s, -15) != Z_OK) return false;
  out->assign(expected + 1, 0);
  s.next_in = const_cast<Bytef*>(packed.data());
  s.avail_in = static_cast<uInt>(packed.size());
  s.next_out = out->data();
  s.avail_out = static_cast<uInt>(out->size());
  const int r = inflate(&s, Z_FINISH);
  const bool ok = r == Z_STREAM_END && s.avail_in == 0;
  out->resize(s.total_out);
  inflateEnd(&s);
  return ok;
}

void ExpectRoundTrip(zip::DeflateState& state, const std::vector<std::uint8_t>& data, unsigned max_read,
                     const char* what) {
  const std::vector<std::uint8_t> packed = Compress(state, data, max_read);
  std::vector<std::uint8_t> back;
  ASSERT_TRUE(Inflate(packed, data.size(), &back)) << what << " size " << data.size();
  ASSERT_EQ(back.size(), data.size()) << what;
  EXPECT_TRUE(back == data) << what << " size " << data.size();
}

TEST(Deflate, RoundTripsAtBlockAndWindowBoundaries) {
  // One state for every run: it is reused per entry like the writer's.
  zip::DeflateState state;
  const std::size_t sizes[] = {0,     1,     2,     3,     257,   258,   259,    262,    4095,
                               4096,  32767, 32768, 32769, 65273, 65274, 65275,  65535,  65536,
                               65537, 98304, 131072, 262144, 3 * 1024 * 1024 + 17};
  for (std::size_t n : sizes) {
    ExpectRoundTrip(state, ziptest::RandomBytes(n, static_cast<std::uint32_t>(n)), 0xFFFFFFFFu, "random");
    ExpectRoundTrip(state, ziptest::TextBytes(n, static_cast<std::uint32_t>(n)), 0xFFFFFFFFu, "text");
    ExpectRoundTrip(state, ziptest::RepetitiveBytes(n), 0xFFFFFFFFu, "repetitive");
  }
}

TEST(Deflate, RoundTripsWithSmallInputReads) {
  zip::DeflateState state;
  for (unsigned piece : {1u, 7u, 300u, 4096u}) {
    ExpectRoundTrip(state, ziptest::TextBytes(200000, piece), piece, "text in pieces");
  }
}

TEST(Deflate, EmptyInputIsOneFixedBlockWithEndCode) {
  zip::DeflateState state;
  const std::vector<std::uint8_t> packed = Compress(state, {});
  EXPECT_EQ(packed, (std::vector<std::uint8_t>{0x03, 0x00}));
}

TEST(Deflate, IncompressibleDataIsStoredBlocks) {
  zip::DeflateState state;
  const auto data = ziptest::RandomBytes(20000, 5);
  const auto packed = Compress(state, data);
  // One last stored block: header bits 001, aligned, LEN and NLEN, the bytes.
  ASSERT_EQ(packed.size(), data.size() + 5);
  EXPECT_EQ(packed[0] & 0x07, 0x01);
  const unsigned len = packed[1] | (packed[2] << 8);
  const unsigned nlen = packed[3] | (packed[4] << 8);
  EXPECT_EQ(len, data.size());
  EXPECT_EQ(nlen, (~len) & 0xFFFFu);
  EXPECT_EQ(std::memcmp(packed.data() + 5, data.data(), data.size()), 0);
}

TEST(Deflate, MatchesReachAtMost32506BytesBack) {
  zip::DeflateState state;
  const auto chunk = ziptest::RandomBytes(2000, 11);
  auto build = [&](std::size_t gap) {
    std::vector<std::uint8_t> v = chunk;
    const auto filler = ziptest::RandomBytes(gap, 12);
    v.insert(v.end(), filler.begin(), filler.end());
    v.insert(v.end(), chunk.begin(), chunk.end());
    return v;
  };
  // The repeat is found 2000 + 28000 bytes back, but not 2000 + 31000 back
  // (33000 > 32506): then the second copy costs its full size again.
  const auto near_packed = Compress(state, build(28000));
  const auto far_packed = Compress(state, build(31000));
  EXPECT_LT(near_packed.size(), 2000u + 28000u + 200u);
  EXPECT_GT(far_packed.size(), 2000u + 31000u + 1900u);
  std::vector<std::uint8_t> back;
  EXPECT_TRUE(Inflate(far_packed, 35000, &back));
}

TEST(Deflate, FailingOutputFailsTheRunAndStaysInItsBuffer) {
  zip::DeflateState state;
  const auto data = ziptest::TextBytes(500000, 3);
  for (int fail_after : {0, 1, 3}) {
    Io io;
    io.in = &data;
    io.fail_after_flushes = fail_after;
    // An exact-size heap buffer: AddressSanitizer reports any write past it.
    std::vector<std::uint8_t> buffer(16384);
    EXPECT_EQ(state.Compress({&Input, &Output, &io}, buffer.data(), 16384), kZipDataFailed);
    EXPECT_TRUE(state.OutputFailed());
    EXPECT_EQ(io.flushes, fail_after);
  }
  // The state is usable again afterwards.
  ExpectRoundTrip(state, data, 0xFFFFFFFFu, "after failures");
}

TEST(Deflate, CompressesTextAboutAsWellAsZlibAtTheSameSettings) {
  zip::DeflateState state;
  const auto data = ziptest::TextBytes(1 << 20, 77);
  const auto ours = Compress(state, data);
  z_stream s{};
  ASSERT_EQ(deflateInit2(&s, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::vector<std::uint8_t> theirs(deflateBound(&s, data.size()));
  s.next_in = const_cast<Bytef*>(data.data());
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = theirs.data();
  s.avail_out = static_cast<uInt>(theirs.size());
  ASSERT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
  const double ratio = static_cast<double>(ours.size()) / static_cast<double>(s.total_out);
  deflateEnd(&s);
  EXPECT_LT(ratio, 1.01);
}

}  // namespace
