# `cpack -G DEB` in the build folder makes a Debian package of the installed files.
set(CPACK_PACKAGE_NAME quillshift)
set(CPACK_PACKAGE_VENDOR "The Quillshift team")
set(CPACK_PACKAGE_CONTACT "The Quillshift team <quillshift@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Converts Reelvault 3.4.x importation scripts to the 3.5.0 format")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libgcc-s1, libstdc++6, libqt6core6, libqt6gui6, libqt6widgets6, libqscintilla2-qt6-15, qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
