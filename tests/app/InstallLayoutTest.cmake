# Installs the build into a scratch prefix and checks what an installation
# holds; the installed program runs an installed example without a display.
#   cmake -DBUILD=... -DPREFIX=... -DEXAMPLES=... -DBINDIR=... -DDATADIR=... -DMANDIR=...
#         -P InstallLayoutTest.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

foreach(path
        ${BINDIR}/tarnivell
        ${DATADIR}/applications/tarnivell.desktop
        ${DATADIR}/icons/hicolor/scalable/apps/tarnivell.svg
        ${MANDIR}/man1/tarnivell.1.gz)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "${path} is not installed")
    endif()
endforeach()

file(GLOB shipped RELATIVE "${EXAMPLES}" "${EXAMPLES}/*.ini")
file(GLOB installed RELATIVE "${PREFIX}/${DATADIR}/tarnivell/examples"
     "${PREFIX}/${DATADIR}/tarnivell/examples/*")
list(SORT shipped)
list(SORT installed)
if(NOT shipped STREQUAL installed)
    message(FATAL_ERROR "examples installed: ${installed}; shipped: ${shipped}")
endif()

unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
execute_process(
    COMMAND "${PREFIX}/${BINDIR}/tarnivell" --batch
            "${PREFIX}/${DATADIR}/tarnivell/examples/sir.ini" --steps 2
    RESULT_VARIABLE status OUTPUT_VARIABLE csv ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT csv MATCHES "^t,N1,N2\n0,0.9999,0.0001\n0.25,[^\n]+\n0.5,[^\n]+\n$")
    message(FATAL_ERROR "the installed program ran the installed example with ${status}: "
                        "${csv}${errors}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
