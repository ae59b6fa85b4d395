# quillshift_library(NAME FOLDER SOURCE...): a static library of the sources in src/FOLDER.
#
# Its headers are included as "FOLDER/Header.h", and a target that links it sees those headers and
# the headers of what it links publicly, nothing else of src/: so a layer cannot include a layer
# it does not depend on (the settings cannot include the converter, the batch tool not the
# window). Each library gets an include folder of its own in the build tree, holding one link to
# its source folder.
function(quillshift_library name folder)
    add_library(${name} STATIC ${ARGN})
    set(include_root ${CMAKE_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${include_root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${include_root}/${folder} SYMBOLIC)
    target_include_directories(${name} PUBLIC ${include_root})
    target_link_libraries(${name} PRIVATE quillshift_warnings)
endfunction()
