# `cpack` in a Windows build folder (cross-built on Linux) makes the packages for Windows users,
# both holding quillshift-convert.exe, README.txt and COPYING.txt (install component convert):
#   quillshift-convert-VERSION-win64.zip  to unpack anywhere
#   quillshift-convert-VERSION-win64.exe  a 64-bit Unicode installer (NSIS) into
#                                         C:\Program Files\Quillshift, with an uninstaller and
#                                         an entry under Settings > Apps; /S installs silently
# The program is stripped. tests/windows/check-packages.sh installs and uninstalls under Wine.

# The documents in Windows' line ends, for Notepad.
set(windows_docs ${CMAKE_BINARY_DIR}/windows-docs)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt.in ${windows_docs}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
file(READ ${CMAKE_SOURCE_DIR}/COPYING licence)
string(REPLACE "\n" "\r\n" licence "${licence}")
file(WRITE ${windows_docs}/COPYING.txt "${licence}")
install(FILES ${windows_docs}/README.txt ${windows_docs}/COPYING.txt DESTINATION .
        COMPONENT convert)

# cpack packs what the build made without building everything again first (the test programs
# and GoogleTest are not part of the packages).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME quillshift-convert)
set(CPACK_PACKAGE_VENDOR "The Quillshift team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts Reelvault 3.4.x importation scripts to 3.5.0")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://reelvault.org/quillshift/")
set(CPACK_PACKAGE_FILE_NAME quillshift-convert-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quillshift)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY quillshift-convert)
set(CPACK_RESOURCE_FILE_LICENSE ${windows_docs}/COPYING.txt)
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

set(CPACK_NSIS_PACKAGE_NAME "Quillshift batch converter ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Quillshift batch converter")
set(CPACK_NSIS_CONTACT "quillshift-dev@reelvault.org")
set(CPACK_NSIS_URL_INFO_ABOUT ${CPACK_PACKAGE_HOMEPAGE_URL})
# 64-bit and Unicode; the default 32-bit ANSI installer would not start under a 64-bit-only
# Wine, and names outside the ANSI code page need Unicode anyway.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# PATH is left alone: the installer's PATH editing cuts a PATH longer than NSIS's 1024-character
# strings. README.txt says how to add the folder.
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_INSTALLED_ICON_NAME quillshift-convert.exe)
# The uninstaller removes the vendor's registry key too when nothing else of it is left.
string(CONFIGURE [[
  DeleteRegKey SHCTX "Software\@CPACK_PACKAGE_VENDOR@\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@"
  DeleteRegKey /ifempty SHCTX "Software\@CPACK_PACKAGE_VENDOR@"]]
    CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS @ONLY)

include(CPack)
