# quillshift_library(NAME FOLDER SOURCE...): a static library of the sources in src/FOLDER.
#
# Its headers lie in src/FOLDER/include/FOLDER and are included as "FOLDER/Header.h". A target
# that links the library sees those headers and the headers of what it links publicly, nothing
# else of src/: so a layer cannot include a layer it does not depend on (the settings cannot
# include the converter, the batch tool not the window).
function(quillshift_library name folder)
    file(GLOB headers RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/include/${folder}/*.h)
    add_library(${name} STATIC ${ARGN} ${headers})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_link_libraries(${name} PRIVATE quillshift_warnings)
endfunction()
