# Installs the host-facing library with its header, a CMake package config and a pkg-config file,
# the `calvane` tool with its man page, and the desk's menu entry; cmake/Package.cmake makes the
# Debian packages of it (calvane: what a clinic runs; calvane-dev: what a host builds against).
# Hosts see only libcalvane and the C header: the package config is written by hand so that a
# host needs no Qt development files (the libraries behind libcalvane are found via its RPATH).
include(CMakePackageConfigHelpers)

# Every installed shared library carries a versioned SONAME, so that a later incompatible
# release can be installed beside programs built against this one.
set_target_properties(calvane_engine calvane_dialogs PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

install(TARGETS calvane_lib
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
# The engine and the dialogs are libcalvane's own: nothing links them by name, so no -dev link.
install(TARGETS calvane_dialogs calvane_engine
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_SKIP)
install(FILES include/calvane/calvane.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/calvane COMPONENT development)

configure_package_config_file(cmake/CalvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/CalvaneConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Calvane
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CalvaneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/CalvaneConfig.cmake ${PROJECT_BINARY_DIR}/CalvaneConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Calvane COMPONENT development)

# The pkg-config file finds its prefix from where it lies, so the install can be moved.
file(RELATIVE_PATH CALVANE_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(cmake/calvane.pc.in ${PROJECT_BINARY_DIR}/calvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/calvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# The tool's manual and the desk in the desktop's application menu.
install(FILES tools/calvane/calvane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
install(FILES tools/desk/calvane-desk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT runtime)
install(FILES tools/desk/calvane-desk.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  COMPONENT runtime)

include(cmake/Package.cmake)
