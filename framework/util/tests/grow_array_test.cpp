#include "framework/util/grow_array.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

CGrowArray<int> Numbered(int count) {
  CGrowArray<int> a;
  for (int i = 0; i < count; ++i) {
    if (a.Append(i) != i) ADD_FAILURE() << "append " << i;
  }
  return a;
}

std::vector<int> Contents(const CGrowArray<int>& a) { return std::vector<int>(a.begin(), a.end()); }

}  // namespace

TEST(GrowArray, CapacityFollowsTheGrowStep) {
  const struct { int growStep, presetCapacity /* 0: none */, inserted, want; } cases[] = {
      {-1, 0, 1, 16}, {-1, 0, 16, 16}, {-1, 0, 17, 32}, {-1, 0, 40, 64},  // doubling from sixteen
      {10, 0, 16, 20},                                                     // a new array starts from the step
      {10, 16, 27, 36}, {3, 0, 40, 42},                                    // 3 + 13 steps of 3
      {0, 0, 20, 32},                                                      // a zero step still grows
  };
  const int items[40] = {};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "step " << c.growStep << ", " << c.inserted << " items");
    CGrowArray<int> a(c.growStep);
    ASSERT_TRUE(c.presetCapacity == 0 || a.SetCapacity(c.presetCapacity, c.growStep));
    ASSERT_EQ(a.InsertItems(items, 0, c.inserted), 0);
    EXPECT_EQ(a.Capacity(), c.want);
  }
  // One at a time, through a reallocation.
  EXPECT_EQ(Numbered(17).Capacity(), 32);
}

TEST(GrowArray, InsertRemoveFreeAndMove) {
  CGrowArray<int> a;
  const int one[] = {1}, two[] = {2, 3}, nine[] = {9};
  EXPECT_EQ(a.InsertItems(one, 0, 0), -1);  // empty or missing items change nothing
  EXPECT_EQ(a.InsertItems(nullptr, 0, 1), -1);
  EXPECT_EQ(a.Capacity(), 0);
  EXPECT_EQ(a.Data(), nullptr);
  EXPECT_EQ(a.InsertItems(one, 0, 1), 0);
  EXPECT_EQ(a.InsertItems(two, a.Count() + 10, 2), 1);  // clamped: appends
  EXPECT_EQ(a.InsertItems(nine, -5, 1), 0);             // clamped: at the front
  EXPECT_EQ(Contents(a), (std::vector<int>{9, 1, 2, 3}));
  EXPECT_TRUE(a.RemoveAt(1));
  EXPECT_FALSE(a.RemoveAt(3));
  EXPECT_EQ(Contents(a), (std::vector<int>{9, 2, 3}));

  CGrowArray<int> b(std::move(a));
  EXPECT_EQ(Contents(b), (std::vector<int>{9, 2, 3}));
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Data(), nullptr);

  CGrowArray<int> big = Numbered(40);
  big.ArrayFree();
  EXPECT_EQ(big.Count(), 0);
  EXPECT_EQ(big.Data(), nullptr);
  ASSERT_EQ(big.Append(7), 0);
  EXPECT_EQ(big.Capacity(), 16);  // starts again at sixteen
}

TEST(GrowArray, ByteBufferInsertAppendAndSetCapacity) {
  CByteBuffer buf;
  EXPECT_EQ(ByteBufferAppend(buf, "world", 5), 0);
  EXPECT_EQ(ByteBufferInsert(buf, "hello ", 0, 6), 0);
  EXPECT_EQ(ByteBufferInsert(buf, "!", 999, 1), 11);
  EXPECT_EQ(ByteBufferAppend(buf, "x", 0), -1);
  EXPECT_EQ(ByteBufferAppend(buf, nullptr, 3), -1);
  ASSERT_EQ(buf.Count(), 12);
  EXPECT_EQ(std::memcmp(buf.Data(), "hello world!", 12), 0);
  // Its own text repeated inside itself.
  ASSERT_EQ(ByteBufferInsert(buf, buf.Data() + 6, 0, 6), 0);
  ASSERT_EQ(buf.Count(), 18);
  EXPECT_EQ(std::memcmp(buf.Data(), "world!hello world!", 18), 0);

  EXPECT_TRUE(ByteBufferSetCapacity(buf, 18, 5));  // same count: nothing changes, not even the step
  EXPECT_EQ(buf.GrowStep(), -1);
  EXPECT_TRUE(ByteBufferSetCapacity(buf, 5, 8));  // smaller: the count is cut
  EXPECT_EQ(buf.Count(), 5);
  EXPECT_EQ(buf.Capacity(), 5);
  EXPECT_EQ(buf.GrowStep(), 8);
  EXPECT_EQ(std::memcmp(buf.Data(), "world", 5), 0);
  EXPECT_FALSE(ByteBufferSetCapacity(buf, 0, 8));  // zero frees and reports false
  EXPECT_EQ(buf.Count(), 0);
  EXPECT_EQ(buf.Capacity(), 0);
  EXPECT_EQ(buf.Data(), nullptr);
}

// A slice of the array inserted into itself must be copied before the shift
// moves it or the reallocation frees it; a slice reaching past the elements
// in use is refused.
TEST(GrowArray, SelfInsert) {
  const struct { int count, from, index, n, want; std::vector<int> after; } cases[] = {
      {10, 2, 0, 4, 0, {2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {8, 3, 5, 4, 5, {0, 1, 2, 3, 4, 3, 4, 5, 6, 5, 6, 7}},  // half of the slice lies in the part that moves
      {16, 12, 1, 4, 1, {0, 12, 13, 14, 15, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},  // reallocates
      {16, 0, 16, 16, 16, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                           0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {10, 8, 0, 3, -1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},   // runs past element 9
      {10, 12, 0, 1, -1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},  // spare capacity holds no elements
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " elements, " << c.n << " from " << c.from << " at " << c.index);
    CGrowArray<int> a = Numbered(c.count);
    const int* block = a.Data();
    EXPECT_EQ(a.InsertItems(a.Data() + c.from, c.index, c.n), c.want);
    EXPECT_EQ(Contents(a), c.after);
    EXPECT_EQ(a.Capacity(), c.after.size() > 16 ? 32 : 16);
    EXPECT_TRUE(c.want >= 0 || a.Data() == block);  // refused: the block stays
  }
}

TEST(GrowArray, OversizedRequestFailsAndLeavesTheArrayAlone) {
  CGrowArray<int> a = Numbered(3);
  const int* block = a.Data();
  const int v[] = {1};
  EXPECT_EQ(a.InsertItems(v, 0, INT32_MAX), -1);  // count + n overflows
  EXPECT_EQ(a.InsertItems(v, 0, INT32_MAX - 2), -1);
  EXPECT_EQ(a.Capacity(), 16);
  EXPECT_EQ(a.Data(), block);
  EXPECT_EQ(Contents(a), (std::vector<int>{0, 1, 2}));
}
