# What a Windows build cross-built on Debian takes from the build machine (included by the main
# CMakeLists.txt when the toolchain in cmake/toolchains targets Windows):
#
# - nlohmann-json is header-only: its headers are copied into the build folder, so that no include
#   folder of the build machine (which would bring glibc's headers along) is searched.
# - GoogleTest is built from Debian's sources in /usr/src/googletest with the cross compiler.
# - The tests run under 64-bit Wine in a Wine prefix of the build folder, through tools/wine.sh.
#   The prefix must be booted before ctest (tools/wine.sh boot BUILD_DIR/wine; test.sh does it),
#   and the test programs list their tests only when ctest starts, never during the build.

find_path(QUILLSHIFT_HOST_JSON_INCLUDE_DIR nlohmann/json.hpp
          PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUILLSHIFT_HOST_JSON_INCLUDE_DIR)
    message(FATAL_ERROR "nlohmann/json.hpp not found (Debian package nlohmann-json3-dev)")
endif()
set(staged_include ${CMAKE_BINARY_DIR}/staged/include)
file(COPY ${QUILLSHIFT_HOST_JSON_INCLUDE_DIR}/nlohmann DESTINATION ${staged_include})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${staged_include})

if(BUILD_TESTING)
    set(QUILLSHIFT_GOOGLETEST_SOURCE /usr/src/googletest/googletest CACHE PATH
        "GoogleTest's sources, built with the cross compiler (Debian package googletest)")
    if(NOT EXISTS ${QUILLSHIFT_GOOGLETEST_SOURCE}/CMakeLists.txt)
        message(FATAL_ERROR "GoogleTest's sources not found in ${QUILLSHIFT_GOOGLETEST_SOURCE}")
    endif()
    add_subdirectory(${QUILLSHIFT_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest
                     EXCLUDE_FROM_ALL SYSTEM)
    # Unoptimised, as the test programs: it builds in half the time.
    target_compile_options(gtest PRIVATE -O0)
    target_compile_options(gtest_main PRIVATE -O0)

    set(QUILLSHIFT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH
        "The Wine prefix the Windows tests run in")
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
        set(CMAKE_CROSSCOMPILING_EMULATOR
            ${CMAKE_SOURCE_DIR}/tools/wine.sh run ${QUILLSHIFT_WINE_PREFIX})
    endif()
    # Listed when ctest starts (the prefix is booted by then), with time for a slow start.
    set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
