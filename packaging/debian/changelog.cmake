# Makes the Debian changelog (OUT) from the project's CHANGELOG.md (IN): every
# "## VERSION (YYYY-MM-DD)" entry becomes one changelog entry, its "- " lines its items.
#   cmake -DIN=CHANGELOG.md -DOUT=changelog -DMAINTAINER="Name <mail>" -P changelog.cmake
file(STRINGS ${IN} lines ENCODING UTF-8)
set(out "")
set(version "")

# Ends the entry being collected.
macro(close_entry)
    if(version)
        # Noon UTC of the release day: the same text wherever and whenever it is built.
        execute_process(COMMAND date -u -R -d "${date} 12:00:00"
                        OUTPUT_VARIABLE stamp OUTPUT_STRIP_TRAILING_WHITESPACE
                        COMMAND_ERROR_IS_FATAL ANY)
        string(APPEND out "\n -- ${MAINTAINER}  ${stamp}\n\n")
    endif()
endmacro()

foreach(line IN LISTS lines)
    if(line MATCHES "^## ([0-9][0-9.]*) \\(([0-9]+-[0-9]+-[0-9]+)\\)$")
        close_entry()
        set(version ${CMAKE_MATCH_1})
        set(date ${CMAKE_MATCH_2})
        string(APPEND out "blx52 (${version}) unstable; urgency=medium\n\n")
    elseif(version AND line MATCHES "^- (.*)$")
        string(APPEND out "  * ${CMAKE_MATCH_1}\n")
    elseif(version AND line MATCHES "^  +(.*)$")
        string(APPEND out "    ${CMAKE_MATCH_1}\n")
    elseif(version AND NOT line STREQUAL "")
        message(FATAL_ERROR "${IN}: not an entry line: ${line}")
    endif()
endforeach()
close_entry()
if(NOT out)
    message(FATAL_ERROR "${IN} holds no entry \"## VERSION (YYYY-MM-DD)\"")
endif()
string(REGEX REPLACE "\n\n$" "\n" out "${out}")
file(WRITE ${OUT} "${out}")
