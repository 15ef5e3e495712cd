#include "framework/util/grow_array.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

TEST(GrowArray, CapacityGrowsByDoublingFromSixteen) {
  CGrowArray<int> a;
  const int v = 7;
  EXPECT_EQ(a.Append(v), 0);
  EXPECT_EQ(a.Capacity(), 16);
  for (int i = 1; i < 16; ++i) ASSERT_EQ(a.Append(i), i);
  EXPECT_EQ(a.Capacity(), 16);
  EXPECT_EQ(a.Append(v), 16);
  EXPECT_EQ(a.Capacity(), 32);

  CGrowArray<int> b;
  int forty[40] = {};
  EXPECT_EQ(b.InsertItems(forty, 0, 40), 0);
  EXPECT_EQ(b.Capacity(), 64);
}

TEST(GrowArray, FixedStepAddsTheStep) {
  CGrowArray<int> a(10);
  int items[27] = {};
  ASSERT_EQ(a.InsertItems(items, 0, 16), 0);
  EXPECT_EQ(a.Capacity(), 20);  // a new array starts from the grow step
  CGrowArray<int> b(10);
  ASSERT_TRUE(b.SetCapacity(16, 10));
  ASSERT_EQ(b.InsertItems(items, 0, 27), 0);
  EXPECT_EQ(b.Capacity(), 36);
  CGrowArray<int> c(3);
  int forty[40] = {};
  ASSERT_EQ(c.InsertItems(forty, 0, 40), 0);
  EXPECT_EQ(c.Capacity(), 42);  // 3 + 13 steps of 3
}

TEST(GrowArray, ZeroGrowStepStillGrows) {
  CGrowArray<int> a(0);
  int items[20] = {};
  ASSERT_EQ(a.InsertItems(items, 0, 20), 0);
  EXPECT_GE(a.Capacity(), 20);
}

TEST(GrowArray, InsertPositionIsClampedAndTailMoves) {
  CGrowArray<int> a;
  const int one[] = {1}, two[] = {2, 3}, nine[] = {9};
  EXPECT_EQ(a.InsertItems(one, 0, 1), 0);
  EXPECT_EQ(a.InsertItems(two, a.Count() + 10, 2), 1);  // appends
  EXPECT_EQ(a.InsertItems(nine, -5, 1), 0);             // at the front
  ASSERT_EQ(a.Count(), 4);
  EXPECT_EQ(a[0], 9);
  EXPECT_EQ(a[1], 1);
  EXPECT_EQ(a[2], 2);
  EXPECT_EQ(a[3], 3);
  EXPECT_TRUE(a.RemoveAt(1));
  EXPECT_EQ(a[1], 2);
  EXPECT_FALSE(a.RemoveAt(3));
}

TEST(GrowArray, RejectsEmptyOrMissingItemsWithoutChange) {
  CGrowArray<int> a;
  const int v[] = {1};
  EXPECT_EQ(a.InsertItems(v, 0, 0), -1);
  EXPECT_EQ(a.InsertItems(nullptr, 0, 1), -1);
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Capacity(), 0);
  EXPECT_EQ(a.Data(), nullptr);
}

TEST(GrowArray, FreeThenInsertStartsAgainAtSixteen) {
  CGrowArray<int> a;
  int items[40] = {};
  ASSERT_EQ(a.InsertItems(items, 0, 40), 0);
  a.ArrayFree();
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Data(), nullptr);
  ASSERT_EQ(a.Append(items[0]), 0);
  EXPECT_EQ(a.Capacity(), 16);
}

TEST(GrowArray, MoveLeavesSourceEmpty) {
  CGrowArray<int> a;
  const int v = 5;
  ASSERT_EQ(a.Append(v), 0);
  CGrowArray<int> b(std::move(a));
  EXPECT_EQ(b.Count(), 1);
  EXPECT_EQ(b[0], 5);
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Data(), nullptr);
}

TEST(ByteBuffer, InsertAppendAndSetCapacity) {
  CByteBuffer buf;
  EXPECT_EQ(ByteBufferAppend(buf, "world", 5), 0);
  EXPECT_EQ(ByteBufferInsert(buf, "hello ", 0, 6), 0);
  EXPECT_EQ(ByteBufferInsert(buf, "!", 999, 1), 11);
  EXPECT_EQ(ByteBufferAppend(buf, "x", 0), -1);
  EXPECT_EQ(ByteBufferAppend(buf, nullptr, 3), -1);
  ASSERT_EQ(buf.Count(), 12);
  EXPECT_EQ(std::memcmp(buf.Data(), "hello world!", 12), 0);

  // Same count as asked: nothing changes, not even the grow step.
  EXPECT_TRUE(ByteBufferSetCapacity(buf, 12, 5));
  EXPECT_EQ(buf.GrowStep(), -1);
  // Smaller: the count is cut.
  EXPECT_TRUE(ByteBufferSetCapacity(buf, 5, 8));
  EXPECT_EQ(buf.Count(), 5);
  EXPECT_EQ(buf.Capacity(), 5);
  EXPECT_EQ(buf.GrowStep(), 8);
  EXPECT_EQ(std::memcmp(buf.Data(), "hello", 5), 0);
  // Zero frees and reports false.
  EXPECT_FALSE(ByteBufferSetCapacity(buf, 0, 8));
  EXPECT_EQ(buf.Count(), 0);
  EXPECT_EQ(buf.Capacity(), 0);
  EXPECT_EQ(buf.Data(), nullptr);
}

// --- Inserting a slice of the array into itself ---

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

TEST(GrowArraySelfInsert, SliceAtTheFrontIsCopiedBeforeTheShift) {
  CGrowArray<int> a = Numbered(10);  // capacity 16: no reallocation
  ASSERT_EQ(a.InsertItems(a.Data() + 2, 0, 4), 0);
  EXPECT_EQ(Contents(a), (std::vector<int>{2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(a.Capacity(), 16);
}

TEST(GrowArraySelfInsert, SliceAcrossTheInsertPointInTheMiddle) {
  CGrowArray<int> a = Numbered(8);
  // Elements 3..6 go in before element 5: half of them lie in the part
  // that moves up.
  ASSERT_EQ(a.InsertItems(a.Data() + 3, 5, 4), 5);
  EXPECT_EQ(Contents(a), (std::vector<int>{0, 1, 2, 3, 4, 3, 4, 5, 6, 5, 6, 7}));
}

TEST(GrowArraySelfInsert, SliceSurvivesTheReallocationItForces) {
  CGrowArray<int> a = Numbered(16);  // full: the insert moves the block
  const int* oldBlock = a.Data();
  ASSERT_EQ(a.InsertItems(a.Data() + 12, 1, 4), 1);
  EXPECT_NE(a.Data(), oldBlock);
  EXPECT_EQ(a.Capacity(), 32);
  EXPECT_EQ(Contents(a), (std::vector<int>{0, 12, 13, 14, 15, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));

  // The whole array appended to itself, again through a reallocation.
  CGrowArray<int> b = Numbered(16);
  ASSERT_EQ(b.InsertItems(b.Data(), b.Count(), b.Count()), 16);
  ASSERT_EQ(b.Count(), 32);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(b[i], i % 16) << i;
}

TEST(GrowArraySelfInsert, SlicePastTheElementsInUseIsRefused) {
  CGrowArray<int> a = Numbered(10);
  const int* block = a.Data();
  EXPECT_EQ(a.InsertItems(a.Data() + 8, 0, 3), -1);   // runs past element 9
  EXPECT_EQ(a.InsertItems(a.Data() + 12, 0, 1), -1);  // spare capacity holds no elements
  EXPECT_EQ(a.Count(), 10);
  EXPECT_EQ(a.Data(), block);
  EXPECT_EQ(Contents(a), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(GrowArraySelfInsert, ByteBufferRepeatsItsOwnText) {
  CByteBuffer buf;
  ASSERT_EQ(ByteBufferAppend(buf, "abcdefghijklmnop", 16), 0);
  ASSERT_EQ(ByteBufferInsert(buf, buf.Data() + 4, 2, 8), 2);
  ASSERT_EQ(buf.Count(), 24);
  EXPECT_EQ(std::memcmp(buf.Data(), "abefghijklcdefghijklmnop", 24), 0);
}

TEST(GrowArray, OversizedRequestFailsAndLeavesTheArrayAlone) {
  CGrowArray<int> a = Numbered(3);
  const int* block = a.Data();
  const int v[] = {1};
  EXPECT_EQ(a.InsertItems(v, 0, INT32_MAX), -1);  // count + n overflows
  EXPECT_EQ(a.InsertItems(v, 0, INT32_MAX - 2), -1);
  EXPECT_EQ(a.Count(), 3);
  EXPECT_EQ(a.Capacity(), 16);
  EXPECT_EQ(a.Data(), block);
  EXPECT_EQ(Contents(a), (std::vector<int>{0, 1, 2}));
}
