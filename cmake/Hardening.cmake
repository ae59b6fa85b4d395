# Hardening of every optimised build (Release, RelWithDebInfo, MinSizeRel), as Debian's
# hardening=+all gives it, so that a plain `cmake -DCMAKE_BUILD_TYPE=Release` build is hardened
# without a distribution's flags: position-independent executables, the stack protector, fortified
# C library calls, stack clash protection, control-flow protection on x86, and relocations made
# read-only and bound at start-up. Flags a distribution passes (CXXFLAGS, LDFLAGS) still apply; a
# _FORTIFY_SOURCE level among them is kept. Debug builds (and so the sanitizer build) get none of
# it, nor the sanitizer build: fortified calls need optimisation, and the sanitizers check more.
option(QUILLSHIFT_HARDENING "Harden the optimised builds of the programs" ON)

if(QUILLSHIFT_HARDENING AND NOT QUILLSHIFT_SANITIZE AND NOT WIN32)
    include(CheckPIESupported)
    check_pie_supported(LANGUAGES CXX)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    set(optimised $<NOT:$<CONFIG:Debug>>)
    add_compile_options($<${optimised}:-fstack-protector-strong>
                        $<${optimised}:-fstack-clash-protection>)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i.86)$")
        add_compile_options($<${optimised}:-fcf-protection>)
    endif()
    if(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
        # Undefined first: some compilers define a level of their own.
        add_compile_options($<${optimised}:-U_FORTIFY_SOURCE> $<${optimised}:-D_FORTIFY_SOURCE=2>)
    endif()
    add_link_options($<${optimised}:LINKER:-z,relro> $<${optimised}:LINKER:-z,now>)
endif()

# quillshift_program(TARGET): the finishing touch of an installed program. Its .comment section
# (the compiler's version strings, of no use at run time) goes, in every build.
function(quillshift_program target)
    if(CMAKE_OBJCOPY AND NOT WIN32)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:${target}>
            VERBATIM)
    endif()
endfunction()
