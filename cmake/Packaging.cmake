# SPDX-License-Identifier: MIT
# What a distribution ships besides the programs (the simulator, manual
# pages, bash completion, the licence and the README), and the Debian package
# that CPack makes of it all. scripts/package builds the package.

# With tests the simulator is added already, for them.
if(NOT BUILD_TESTING)
  add_subdirectory(tools/devsim)
endif()
add_subdirectory(man)
add_subdirectory(completion)
if(BUILD_TESTING)
  add_subdirectory(tests/package)
endif()

set(NDXU_PACKAGE_MAINTAINER "NDXU Upgrade Wizard authors <ndxu-upgrade@example.org>"
    CACHE STRING "The Debian package's maintainer: name <address>")

# The licence and the README, the licence in Debian's copyright format.
set(NDXU_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/ndxu-upgrade)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.+[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: no copyright line followed by the licence's terms")
endif()
set(licence_holder "${CMAKE_MATCH_1}")
set(licence_terms "${CMAKE_MATCH_2}")
string(REPLACE "\n\n" "\n.\n" licence_terms "${licence_terms}")
string(REPLACE "\n" "\n " licence_terms "${licence_terms}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ndxu-upgrade

Files: *
Copyright: @licence_holder@
License: MIT
 @licence_terms@
")
install(FILES ${PROJECT_BINARY_DIR}/copyright README.md DESTINATION ${NDXU_DOC_DIR})

# The changelog Debian asks of every package: this version, dated when the
# build was configured (or at SOURCE_DATE_EPOCH).
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/changelog @ONLY CONTENT
"ndxu-upgrade (@PROJECT_VERSION@) unstable; urgency=medium

  * Version @PROJECT_VERSION@; the changes are in the project's history.

 -- @NDXU_PACKAGE_MAINTAINER@  @changelog_date@
")
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND ${GZIP} -9n --force --keep ${PROJECT_BINARY_DIR}/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/changelog
  VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${NDXU_DOC_DIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ndxu-upgrade)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NDXU_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the simulator needs these besides.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, python3-pyftpdlib")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware upgrade wizard for a LAN modem")
# CPack puts the summary on the first line; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Upgrades the firmware of a LAN modem over the local network from a package
directory holding the firmware image: it logs into the modem's web pages,
checks the firmware version, switches the modem into firmware download mode,
keeps a backup of its configuration profile and uploads the new image over
FTP, reporting every step and keeping a run log.
.
The package holds the wizard window (ndxu-upgrade-wizard), the same upgrade
on the console for scripted use (ndxu-upgrade) and a simulator of the modem
on loopback (ndxu-devsim) for trying both.")
include(CPack)
