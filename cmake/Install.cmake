# Installation like a Linux tool, and a Debian package (cpack -G DEB):
#   bin/vantiro
#   lib/libvantiro-platform.so
#   lib/vantiro/pelmora.bundle/...
#   lib/frei0r-1/vantiro.so          where frei0r hosts look by default
#   share/man/man1/vantiro.1
# Every piece finds the others relative to itself, so the tree works under any prefix.
set(VANTIRO_INSTALL_LIBDIR lib)

install(TARGETS vantiro RUNTIME DESTINATION bin)
install(TARGETS vantiro-platform LIBRARY DESTINATION ${VANTIRO_INSTALL_LIBDIR})
install(TARGETS vantiro-frei0r LIBRARY DESTINATION ${VANTIRO_INSTALL_LIBDIR}/frei0r-1)
install(DIRECTORY ${VANTIRO_BUNDLE_DIR} DESTINATION ${VANTIRO_INSTALL_LIBDIR}/vantiro
        USE_SOURCE_PERMISSIONS)
install(FILES ${PROJECT_SOURCE_DIR}/docs/vantiro.1 DESTINATION share/man/man1)

set_target_properties(vantiro PROPERTIES INSTALL_RPATH "$ORIGIN/../${VANTIRO_INSTALL_LIBDIR}")
set_target_properties(vantiro-frei0r PROPERTIES INSTALL_RPATH "$ORIGIN/..")
# The bundle is installed as a copy of the built folder, whose library already carries
# the run path $ORIGIN/../../../.. (the lib folder), in the build and installed trees alike.

set(CPACK_PACKAGE_NAME vantiro)
set(CPACK_PACKAGE_VENDOR "Vantiro")
set(CPACK_PACKAGE_CONTACT "Vantiro developers <dev@vantiro.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Crop, scale and rotate video filter, with a frei0r plug-in")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VANTIRO_LIB_DIR})
endif()
include(CPack)
