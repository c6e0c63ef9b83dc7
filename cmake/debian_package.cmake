# The Debian package "vidideza", made from the install rules by `cpack -G DEB` in the build
# folder. Its Depends come from dpkg-shlibdeps. Paths written into the launcher and the menu
# entry follow CMAKE_INSTALL_PREFIX, so the package is made from a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr (as scripts/build and scripts/package do).
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "The Debian package needs -DCMAKE_INSTALL_PREFIX=/usr "
                 "(it is ${CMAKE_INSTALL_PREFIX})")
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vidideza)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The VIDideza developers")
set(CPACK_PACKAGE_CONTACT "${VIDIDEZA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for QVX control units")
# Debian shows the description as it stands: lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "VIDideza is the service tool with which a technician talks to a QVX control\n"
    "unit and configures it, over a serial port (QVX-RS units) or over UDP on an\n"
    "IPv4 network (QVX-NET units). It sends command lines, shows and logs every\n"
    "line sent and received, composes the two setup commands and writes the IP\n"
    "settings of a QVX-NET unit found by its MAC address.\n"
    ".\n"
    "The package also holds qvx-unit-sim, a simulated QVX unit to try the tool\n"
    "without one.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VIDIDEZA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VIDIDEZA_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)
