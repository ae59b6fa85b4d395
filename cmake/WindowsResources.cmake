# quillshift_windows_resources(TARGET [DESCRIPTION]): links the program TARGET with a manifest
# (packaging/windows/program.manifest.in: UTF-8 as its ANSI code page, long paths, no elevation)
# and version information, compiled by the resource compiler (windres).
function(quillshift_windows_resources target)
    set(QUILLSHIFT_RC_NAME ${target})
    if(ARGC GREATER 1)
        set(QUILLSHIFT_RC_DESCRIPTION "${ARGV1}")
    else()
        set(QUILLSHIFT_RC_DESCRIPTION "${target}")
    endif()
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
    set(QUILLSHIFT_RC_MANIFEST ${folder}/${target}.manifest)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/program.manifest.in
                   ${QUILLSHIFT_RC_MANIFEST} @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/program.rc.in ${folder}/${target}.rc
                   @ONLY)
    target_sources(${target} PRIVATE ${folder}/${target}.rc)
    set_property(SOURCE ${folder}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS
                 ${QUILLSHIFT_RC_MANIFEST})
endfunction()
