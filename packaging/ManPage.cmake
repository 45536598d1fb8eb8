# Writes a manual page from a program's own --help text, so that the two
# never disagree. Run as a script:
#   cmake -DPROGRAM=path -DNAME=magtune-cli -DSUMMARY="..." -DVERSION=1.2.3
#         [-DWITH_COMMANDS=ON] [-DSEE_ALSO=x;y] -DOUTPUT=file.1 -P ManPage.cmake
# WITH_COMMANDS: the usage lists sub-commands under "Commands:", one a line;
# each one's "PROGRAM COMMAND --help" text goes into a COMMANDS section.

foreach(variable PROGRAM NAME SUMMARY VERSION OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "ManPage.cmake needs -D${variable}=...")
    endif()
endforeach()

function(help_text out)
    execute_process(COMMAND ${PROGRAM} ${ARGN} --help
        OUTPUT_VARIABLE text
        RESULT_VARIABLE result
        ERROR_VARIABLE errors)
    if(NOT result EQUAL 0 OR text STREQUAL "")
        message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed (${result}): ${errors}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The text as roff that man shows line for line: backslashes and minus signs
# escaped, a line that starts with a dot or an apostrophe guarded.
function(roff_block out text)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    string(REGEX REPLACE "\n+$" "" text "${text}")
    set(${out} ".nf\n${text}\n.fi\n" PARENT_SCOPE)
endfunction()

string(TOUPPER "${NAME}" title)
string(REPLACE "-" "\\-" name_roff "${NAME}")
set(page ".\\\" Generated from ${NAME} --help; edit the program's help text instead.\n")
string(APPEND page ".TH ${title} 1 \"\" \"Magtune ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${name_roff} \\- ${SUMMARY}\n")

help_text(usage)
roff_block(block "${usage}")
string(APPEND page ".SH DESCRIPTION\n${block}")

set(COMMANDS "")
if(WITH_COMMANDS)
    string(REGEX MATCH "\nCommands:\n(  [^\n]*\n)+" listed "${usage}")
    string(REGEX MATCHALL "\n  [^ \n]+" names "${listed}")
    foreach(command IN LISTS names)
        string(STRIP "${command}" command)
        list(APPEND COMMANDS "${command}")
    endforeach()
    list(REMOVE_DUPLICATES COMMANDS)
    if(NOT COMMANDS)
        message(FATAL_ERROR "${PROGRAM} --help lists no commands")
    endif()
endif()
if(COMMANDS)
    string(APPEND page ".SH COMMANDS\n")
    foreach(command IN LISTS COMMANDS)
        help_text(text ${command})
        roff_block(block "${text}")
        string(REPLACE "-" "\\-" command_roff "${command}")
        string(APPEND page ".SS ${command_roff}\n${block}")
    endforeach()
endif()

if(SEE_ALSO)
    set(references "")
    foreach(other IN LISTS SEE_ALSO)
        string(REPLACE "-" "\\-" other "${other}")
        list(APPEND references ".BR ${other} (1)")
    endforeach()
    list(JOIN references ",\n" references)
    string(APPEND page ".SH SEE ALSO\n${references}\n")
endif()

file(WRITE "${OUTPUT}.tmp" "${page}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
