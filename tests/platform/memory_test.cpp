#include <gtest/gtest.h>

#include "platform/memory/Memory.h"

TEST(Memory, BlocksRecordTheirSizeAndClearWhenAsked) {
  for (const Size size : {37, 4096, 0}) {
    Ptr p = NewPtrClear(size);
    ASSERT_NE(p, nullptr) << size;
    EXPECT_EQ(GetPtrSize(p), size);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << "blocks must suit any type";
    for (Size i = 0; i < size; ++i) ASSERT_EQ(p[i], 0) << "at " << i;
    DisposePtr(p);
  }
  Handle h = NewHandleClear(396);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetHandleSize(h), 396);
  EXPECT_EQ((*h)[395], 0);
  DisposeHandle(h);
}

TEST(Memory, FailuresAreReportedNotFatal) {
  EXPECT_EQ(NewPtr(-1), nullptr);
  VantiroFailNextAllocations(1);
  EXPECT_EQ(NewPtrClear(10), nullptr);
  Ptr ok = NewPtr(10);
  EXPECT_NE(ok, nullptr) << "only the next allocation fails";
  DisposePtr(ok);
  EXPECT_EQ(GetHandleSize(nullptr), 0);
}
