#include <gtest/gtest.h>

#include "platform/memory/Memory.h"

TEST(Memory, BlocksRecordTheirSizeAndClearWhenAsked) {
  Ptr p = NewPtr(37);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GetPtrSize(p), 37);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << "blocks must suit any type";
  DisposePtr(p);

  Ptr z = NewPtrClear(4096);
  ASSERT_NE(z, nullptr);
  for (Size i = 0; i < 4096; ++i) ASSERT_EQ(z[i], 0) << "at " << i;
  DisposePtr(z);

  Ptr empty = NewPtrClear(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GetPtrSize(empty), 0);
  DisposePtr(empty);
}

TEST(Memory, FailuresAreReportedNotFatal) {
  EXPECT_EQ(NewPtr(-1), nullptr);
  EXPECT_EQ(MemError(), paramErr);
  VantiroFailNextAllocations(1);
  EXPECT_EQ(NewPtrClear(10), nullptr);
  EXPECT_EQ(MemError(), memFullErr);
  Ptr ok = NewPtr(10);
  EXPECT_NE(ok, nullptr) << "only the next allocation fails";
  EXPECT_EQ(MemError(), noErr);
  DisposePtr(ok);
  DisposePtr(nullptr);
  EXPECT_EQ(MemError(), noErr);
}

TEST(Memory, HandlesHoldResizableDataWithTheirSize) {
  Handle h = NewHandleClear(396);
  ASSERT_NE(h, nullptr);
  ASSERT_NE(*h, nullptr);
  EXPECT_EQ(GetHandleSize(h), 396);
  EXPECT_EQ((*h)[395], 0);
  DisposeHandle(h);
  EXPECT_EQ(GetHandleSize(nullptr), 0);
  EXPECT_EQ(MemError(), nilHandleErr);
}
