# 32-bit big-endian PowerPC: Debian's cross compiler, pixman built from Debian's source
# package with it (tools/cross.sh), tests run under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR powerpc)
set(CMAKE_C_COMPILER powerpc-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER powerpc-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-ppc -L /usr/powerpc-linux-gnu)
# Where tools/cross.sh builds it, unless named otherwise.
if(NOT VANTIRO_PIXMAN_PREFIX)
  get_filename_component(VANTIRO_PIXMAN_PREFIX ${CMAKE_CURRENT_LIST_DIR}/../../build-cross/pixman-powerpc ABSOLUTE)
endif()
set(VANTIRO_PIXMAN_INCLUDE_DIR ${VANTIRO_PIXMAN_PREFIX}/include/pixman-1)
set(VANTIRO_PIXMAN_LIBRARY ${VANTIRO_PIXMAN_PREFIX}/lib/libpixman-1.a)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
