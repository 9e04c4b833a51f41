// Inside Core Foundation: the base of every reference-counted platform object. Services
// that hand out objects released with CFRelease derive from it.
#pragma once

#include <atomic>

#include "platform/corefoundation/CoreFoundation.h"

struct __CFType {
  virtual ~__CFType() = default;
  mutable std::atomic<CFIndex> refCount{1};
  bool immortal = false;
};
