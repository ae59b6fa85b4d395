# `cpack -G DEB` in the build folder makes two Debian packages, one per install component:
#   quillshift          (component window)  the window and its desktop files
#   quillshift-convert  (component convert) the batch converter, which needs no Qt
# Each can be installed without the other. dpkg-shlibdeps computes what the programs link
# against; the programs are stripped. tests/install/check-packages.sh runs lintian on both.
set(CPACK_PACKAGE_NAME quillshift)
set(CPACK_PACKAGE_VENDOR "The Quillshift team")
set(CPACK_PACKAGE_CONTACT "Quillshift developers <quillshift-dev@reelvault.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://reelvault.org/quillshift/")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description below starts with its own synopsis; an empty common summary keeps
# CPack from putting the project's in front of both.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# A build without the window (QUILLSHIFT_WINDOW=OFF) makes the batch converter's package only.
if(QUILLSHIFT_WINDOW)
    set(CPACK_COMPONENTS_ALL window convert)
else()
    set(CPACK_COMPONENTS_ALL convert)
endif()
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The programs are stripped. (CPack's -dbgsym packages are left out: the ones CMake 3.25 makes
# list absolute build paths in their md5sums, which lintian rejects.)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME quillshift)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the platform plugin that opens the
# window, and the font the layout is made for (without it Qt falls back to another sans-serif).
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_WINDOW_PACKAGE_SUGGESTS quillshift-convert)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION
"convert Reelvault 3.4.x importation scripts to the 3.5.0 format
Quillshift is a small wizard that converts movie-importation scripts written
for Reelvault 3.4.x (.ifs files) into the script format of Reelvault 3.5.0.
It reads the legacy comment header into a form of properties (authors,
title, description, site address and language), replaces that header with
the new one and rewrites the script functions whose arguments changed.
Either script can be reviewed and edited by hand before the result is saved.

The batch converter for the command line is in the package
quillshift-convert.")

set(CPACK_DEBIAN_CONVERT_PACKAGE_NAME quillshift-convert)
# A program that other packages of any architecture may run: Multi-Arch: foreign. CPack has no
# variable for that field, so it follows the Section line it writes.
set(CPACK_DEBIAN_CONVERT_PACKAGE_SECTION "utils\nMulti-Arch: foreign")
set(CPACK_DEBIAN_CONVERT_DESCRIPTION
"batch converter of Reelvault 3.4.x importation scripts
quillshift-convert converts Reelvault 3.4.x movie-importation scripts (.ifs
files) to the 3.5.0 script format from the command line, many at a time. It
writes exactly what the Quillshift window writes when nothing is edited.
Properties that the old header lacks, such as the version, can be given as
options, and a dry run shows every change without writing anything.

It needs neither Qt nor a desktop; the window is in the package quillshift.")

include(CPack)
