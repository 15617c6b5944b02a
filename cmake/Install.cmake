# Installs the host-facing library with its header, a CMake package config and a pkg-config file.
# Hosts see only libcalvane and the C header: the package config is written by hand so that a
# host needs no Qt development files (the libraries behind libcalvane are found via its RPATH).
include(CMakePackageConfigHelpers)

install(TARGETS calvane_lib calvane_dialogs calvane_engine
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/calvane/calvane.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/calvane)

configure_package_config_file(cmake/CalvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/CalvaneConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Calvane
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CalvaneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/CalvaneConfig.cmake ${PROJECT_BINARY_DIR}/CalvaneConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Calvane)

# The pkg-config file finds its prefix from where it lies, so the install can be moved.
file(RELATIVE_PATH CALVANE_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(cmake/calvane.pc.in ${PROJECT_BINARY_DIR}/calvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/calvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
