# The Debian package: the program, the data tool, the menu entry and the icon under /usr.
# Library dependencies come from dpkg-shlibdeps; the packages the program loads or reads at
# run time without linking them are named here.
set(PHONEDIR_PACKAGE_CONTACT "Telephone directory maintainers <maintainers@phonedir.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME phonedir)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PHONEDIR_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "telephone directory of a town, with a Russian interface")
set(CPACK_PACKAGE_DESCRIPTION
    "An operator browses the town's subscribers by phone number, surname or address, edits\n"
    "subscribers and the street list, keeps a personal directory and searches by a phone\n"
    "mask, a street and the first letters of a surname. Several stations may share one\n"
    "data folder. Includes phonedir-data, which loads, dumps and generates data files.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The window-system plugins Qt loads, the fonts the layouts are measured in, and Qt's own
# texts in Russian.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-dejavu-core, fonts-dejavu-extra, qt6-translations-l10n")
include(CPack)
