# Writes the manual page from the program's own --help and --version, so that
# the two cannot disagree. Run as a script:
#   cmake -DPROGRAM=... -DTEMPLATE=... -DOUTPUT=... -DEXAMPLES=... -P ManPage.cmake
# The calls open no window, and the page is made without a display.
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
set(ENV{ASAN_OPTIONS} "detect_leaks=0")

foreach(what help version)
    execute_process(COMMAND "${PROGRAM}" --${what} OUTPUT_VARIABLE ${what}
                    RESULT_VARIABLE status ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} --${what} failed (${status}): ${errors}")
    endif()
endforeach()

# Text as roff: backslashes printed as such, minus signs that stay minus signs,
# and no line taken for a request because it starts with a dot or a quote.
function(roff_text text out)
    string(REPLACE "<SEMICOLON>" ";" text "${text}")
    string(REPLACE "<LBRACKET>" "[" text "${text}")
    string(REPLACE "<RBRACKET>" "]" text "${text}")
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The help lists each call as "  tarnivell USAGE" followed by its explanation,
# indented further and broken over lines.
string(REGEX REPLACE "\n$" "" help "${help}")
# A CMake list splits at semicolons and groups square brackets: both are
# stood in for while the text is a list.
string(REPLACE ";" "<SEMICOLON>" help "${help}")
string(REPLACE "[" "<LBRACKET>" help "${help}")
string(REPLACE "]" "<RBRACKET>" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(synopsis "")
set(options "")
set(summary "")
macro(flush_entry)
    if(DEFINED usage)
        roff_text("${usage}" usage_roff)
        string(STRIP "${summary}" summary)
        roff_text("${summary}" summary_roff)
        string(APPEND synopsis ".B tarnivell\n${usage_roff}\n.br\n")
        string(APPEND options ".TP\n.B tarnivell ${usage_roff}\n${summary_roff}\n")
        set(summary "")
    endif()
endmacro()
foreach(line IN LISTS lines)
    if(line MATCHES "^  tarnivell (.*)$")
        flush_entry()
        set(usage "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^      +(.*)$" AND DEFINED usage)
        string(APPEND summary " ${CMAKE_MATCH_1}")
    endif()
endforeach()
flush_entry()
if(synopsis STREQUAL "")
    message(FATAL_ERROR "${PROGRAM} --help lists no calls:\n${help}")
endif()
string(REGEX REPLACE "\n\\.br\n$" "" MAN_SYNOPSIS "${synopsis}")
string(REGEX REPLACE "\n$" "" MAN_OPTIONS "${options}")

string(REGEX MATCH " v([^ \n]+)" match "${version}")
set(MAN_VERSION "${CMAKE_MATCH_1}")
roff_text("${EXAMPLES}" MAN_EXAMPLES)
string(TIMESTAMP MAN_DATE "%Y-%m-%d" UTC)

configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
