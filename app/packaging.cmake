# `cpack -G DEB`: a Debian package of everything `make install` puts in place.
set(CPACK_PACKAGE_NAME "morvick")
set(CPACK_PACKAGE_VENDOR "The Morvick developers")
set(CPACK_PACKAGE_CONTACT "The Morvick developers <morvick@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Split a folder into numbered folders of a given size")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Japanese font and the display plugins Qt loads at run time (no
# library links them, so shlibdeps cannot find them); the rest comes from shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Moves the files and folders directly inside one folder into numbered folders of\n at most a given size, in three steps: investigate, move, undo.")
include(CPack)
