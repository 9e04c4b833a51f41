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
}
