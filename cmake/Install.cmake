# Installation like a Linux tool, and a Debian package (cpack -G DEB):
#   bin/vantiro
#   lib/vantiro/libvantiro-platform.so      private: found by run paths, never by ldconfig
#   lib/vantiro/pelmora.bundle/...
#   lib/frei0r-1/vantiro.so                 where frei0r hosts look by default
#   share/kdenlive/effects/frei0r_vantiro.xml
#   share/shotcut/qml/filters/vantiro/      meta.qml, ui.qml
#   share/man/man1/vantiro.1.gz
#   share/doc/vantiro/                      copyright, changelog.gz
# Every piece finds the others relative to itself, so the tree works under any prefix.
set(VANTIRO_INSTALL_LIBDIR lib)
set(VANTIRO_PRIVATE_LIBDIR ${VANTIRO_INSTALL_LIBDIR}/vantiro)
set(bundle_library_dir ${VANTIRO_PRIVATE_LIBDIR}/pelmora.bundle/Contents/Linux)

install(TARGETS vantiro RUNTIME DESTINATION bin)
install(TARGETS vantiro-platform LIBRARY DESTINATION ${VANTIRO_PRIVATE_LIBDIR} NAMELINK_SKIP)
install(TARGETS vantiro-frei0r LIBRARY DESTINATION ${VANTIRO_INSTALL_LIBDIR}/frei0r-1)
# The bundle's resources as built; its library as a target, so that installing strips it and
# gives it the installed tree's run path.
install(DIRECTORY ${VANTIRO_BUNDLE_DIR} DESTINATION ${VANTIRO_PRIVATE_LIBDIR}
        USE_SOURCE_PERMISSIONS PATTERN Linux EXCLUDE)
install(TARGETS pelmora LIBRARY DESTINATION ${bundle_library_dir})

set_target_properties(vantiro PROPERTIES INSTALL_RPATH "$ORIGIN/../${VANTIRO_PRIVATE_LIBDIR}")
set_target_properties(vantiro-frei0r PROPERTIES INSTALL_RPATH "$ORIGIN/../vantiro")
set_target_properties(pelmora PROPERTIES INSTALL_RPATH "$ORIGIN/../../..")

set(frei0r_data ${PROJECT_SOURCE_DIR}/frei0r)
install(FILES ${frei0r_data}/kdenlive/frei0r_vantiro.xml DESTINATION share/kdenlive/effects)
install(DIRECTORY ${frei0r_data}/shotcut/vantiro DESTINATION share/shotcut/qml/filters)

# Debian wants the manual page and the changelog compressed, reproducibly (no name, no time).
set(packaged_docs ${PROJECT_BINARY_DIR}/packaged-docs)
foreach(doc docs/vantiro.1 debian/changelog)
  get_filename_component(name ${doc} NAME)
  add_custom_command(OUTPUT ${packaged_docs}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaged_docs}
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/${doc} > ${packaged_docs}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${doc})
  list(APPEND packaged_doc_files ${packaged_docs}/${name}.gz)
endforeach()
add_custom_target(packaged-docs ALL DEPENDS ${packaged_doc_files})
install(FILES ${packaged_docs}/vantiro.1.gz DESTINATION share/man/man1)
install(FILES ${packaged_docs}/changelog.gz ${PROJECT_SOURCE_DIR}/debian/copyright DESTINATION share/doc/vantiro)
install(FILES ${PROJECT_SOURCE_DIR}/debian/lintian-overrides DESTINATION share/lintian/overrides RENAME vantiro)

set(CPACK_PACKAGE_NAME vantiro)
set(CPACK_PACKAGE_VENDOR "Vantiro")
set(CPACK_PACKAGE_CONTACT "Vantiro developers <dev@vantiro.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "crop, scale and rotate video filter, with a frei0r plug-in")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantiro cuts a rectangle out of every frame of a clip, stretches it, turns\n"
    "it and draws it over a background colour, fading in and out at the clip's\n"
    "ends.\n"
    "\n"
    "The vantiro program renders video files through the filter and opens its\n"
    "settings dialog on a frame of a clip. The frei0r plug-in brings the filter to\n"
    "FFmpeg, MLT (melt, Kdenlive, Shotcut) and GStreamer, with settings per\n"
    "instance that MLT can keyframe. Panels for Kdenlive and Shotcut are included.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
# Stripped binaries. CPack's own -dbgsym package (CMake 3.25) lists its files by their
# build paths in md5sums, which dpkg and lintian reject; the symbols stay in the build tree.
set(CPACK_STRIP_FILES ON)
# Scripts of our own replace the generated ones, which would run ldconfig for the private
# libraries below /usr/lib.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/debian/postinst ${PROJECT_SOURCE_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VANTIRO_LIB_DIR})
endif()
include(CPack)
