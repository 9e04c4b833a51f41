# Output layout of the build tree mirrors the installed tree, so the program finds its
# library and the bundle relative to itself in both:
#   bin/vantiro
#   lib/libvantiro-platform.so
#   lib/vantiro/pelmora.bundle/Contents/...
set(VANTIRO_BIN_DIR ${PROJECT_BINARY_DIR}/bin)
set(VANTIRO_LIB_DIR ${PROJECT_BINARY_DIR}/lib)
set(VANTIRO_BUNDLE_DIR ${VANTIRO_LIB_DIR}/vantiro/pelmora.bundle)
set(VANTIRO_BUNDLE_ID com.tolvane.zendra.pelmora)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${VANTIRO_BIN_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${VANTIRO_LIB_DIR})
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/archive)

set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
set(CMAKE_SKIP_BUILD_RPATH OFF)
