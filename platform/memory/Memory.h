/* Memory blocks (pointers) and relocatable blocks (handles) with recorded sizes.
 * A block made here may be freed by any module of the process: host and plug-in share
 * this one allocator. */
#ifndef VANTIRO_PLATFORM_MEMORY_H
#define VANTIRO_PLATFORM_MEMORY_H

#include "platform/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

Ptr NewPtr(Size byteCount);      /* nil on failure */
Ptr NewPtrClear(Size byteCount); /* zero-filled */
void DisposePtr(Ptr p);          /* nil is ignored */
Size GetPtrSize(Ptr p);          /* the size asked for at allocation */

Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h); /* 0 for nil */

/* Test seam: make the next allocation fail (count > 0 fails that many calls). */
void VantiroFailNextAllocations(int count);

#ifdef __cplusplus
}
#endif

#endif
