# The Debian package, built with `cpack -G DEB` from a configured build folder
# (`make package` does it and checks the result). The package installs to /usr
# with its profile in /etc, whatever prefix the build folder was configured with.
# It has no maintainer scripts: removing it leaves every user's shipments and
# settings alone.
set(PARCELO_MAINTAINER "VELDAN <parcelo@veldan.invalid>" CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "parcelo")
set(CPACK_PACKAGE_VENDOR "VELDAN")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${PARCELO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "parcel delivery tracker with a Korean interface")
set(CPACK_PACKAGE_DESCRIPTION
"Parcelo keeps a list of shipments - courier, item name, tracking (invoice)
number, order date and status - and shows them as a coloured list with each
courier's logo and the days since the order. From a shipment it opens the
courier's tracking page, calls the courier, edits or deletes it.
.
The couriers come from a text file, /usr/share/parcelo/parcelo.ini.
The user interface is in Korean.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")

# The profile in /etc is a configuration file: an administrator's change to it
# survives an upgrade.
if(IS_ABSOLUTE "${CMAKE_INSTALL_SYSCONFDIR}")
    set(parcelo_package_sysconfdir "${CMAKE_INSTALL_SYSCONFDIR}")
else()
    set(parcelo_package_sysconfdir "/${CMAKE_INSTALL_SYSCONFDIR}")
endif()
file(WRITE ${PROJECT_BINARY_DIR}/packaging/deb/conffiles "${parcelo_package_sysconfdir}/xdg/VELDAN/Parcelo.conf\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_BINARY_DIR}/packaging/deb/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
