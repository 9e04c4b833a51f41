# 32-bit Intel: Debian's cross compiler, pixman from Debian's i386 packages (multiarch),
# tests run under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
# SSE arithmetic, as on the other processors: the x87 unit's extra precision would give
# results that differ in the last bit.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /usr/i686-linux-gnu)
set(VANTIRO_PIXMAN_INCLUDE_DIR /usr/include/pixman-1)
set(VANTIRO_PIXMAN_LIBRARY /usr/lib/i386-linux-gnu/libpixman-1.a)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
