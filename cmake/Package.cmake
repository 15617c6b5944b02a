# Debian packages through CPack: `cpack -G DEB` in the build tree (after a build) makes
# calvane_*.deb (the tool, the desk, the libraries) and calvane-dev_*.deb (header, pkg-config,
# CMake package).
set(CPACK_PACKAGE_NAME calvane)
set(CPACK_PACKAGE_VENDOR "Calvane")
set(CPACK_PACKAGE_CONTACT "Calvane developers <calvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Fee and billing module of a dental outpatient clinic")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME calvane)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME calvane-dev)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The libraries' own dependencies (Qt, sqlite3, libpq among them) are worked out from the
# binaries; what is only used at run time (the Chinese font the receipts and the desk show) is
# named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The tool links the module's own libraries from the same package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "fonts-wqy-zenhei")
# pg_dump/pg_restore back up a clinic on PostgreSQL; a SQLite clinic needs neither.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "postgresql-client")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "calvane (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "the calvane tool, the front desk and the module's libraries")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "C header, pkg-config file and CMake package for hosts of the module")
include(CPack)
