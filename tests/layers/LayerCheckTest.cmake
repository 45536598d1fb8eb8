# Runs CheckLayers.cmake on small trees: each case names what a/A.cpp and
# a/A.h include, what target "a" links, and whether the check must pass.
# cmake -DCHECKER=CheckLayers.cmake -DWORK=folder -P LayerCheckTest.cmake

cmake_minimum_required(VERSION 3.25)

# name | includes of A.cpp | includes of A.h | a links | expected (PASS or the text of the refusal)
set(cases
    "linked header|b/B.h||b|PASS"
    "unlinked header|b/B.h||c|src/a/A.cpp (a) includes \"b/B.h\" of b, which a does not link"
    "unlinked header in a header|<vector>|b/B.h||src/a/A.h (a) includes \"b/B.h\""
    "header-only header of a linked folder|b/Only.h||b|PASS"
    "header-only header of an unlinked folder|b/Only.h|||includes \"b/Only.h\" of b"
    "two targets in one folder, the linked one|d/D1.h||d1|PASS"
    "two targets in one folder, the other one|d/D2.h||d1|includes \"d/D2.h\" of d2"
    "system and unknown headers|vector,QtWidgets/QWidget,x/Missing.h|||PASS"
    "own header|a/A.h|||PASS"
)

set(failures 0)
set(index 0)
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 name)
    list(GET fields 1 cpp_includes)
    list(GET fields 2 header_includes)
    list(GET fields 3 links)
    list(GET fields 4 expected)
    string(REPLACE "," ";" cpp_includes "${cpp_includes}")

    math(EXPR index "${index} + 1")
    set(root "${WORK}/case${index}")
    file(REMOVE_RECURSE "${root}")
    foreach(file src/b/B.cpp src/b/B.h src/b/Only.h src/c/C.cpp src/d/D1.cpp src/d/D1.h
                 src/d/D2.cpp src/d/D2.h)
        file(WRITE "${root}/${file}" "")
    endforeach()
    set(text "")
    foreach(include IN LISTS cpp_includes)
        string(APPEND text "#include \"${include}\"\n")
    endforeach()
    file(WRITE "${root}/src/a/A.cpp" "${text}")
    set(text "")
    foreach(include IN LISTS header_includes)
        string(APPEND text "#include \"${include}\"\n")
    endforeach()
    file(WRITE "${root}/src/a/A.h" "${text}")
    file(WRITE "${root}/layers.txt"
        "a|${root}/src/a|${root}/src/a/A.cpp|${links}\n"
        "b|${root}/src/b|${root}/src/b/B.cpp|\n"
        "c|${root}/src/c|${root}/src/c/C.cpp|\n"
        "d1|${root}/src/d|${root}/src/d/D1.cpp|\n"
        "d2|${root}/src/d|${root}/src/d/D2.cpp|\n")

    execute_process(
        COMMAND ${CMAKE_COMMAND} -DMANIFEST=${root}/layers.txt -DROOT=${root} -P ${CHECKER}
        RESULT_VARIABLE result
        ERROR_VARIABLE output)
    string(REGEX REPLACE "[ \n]+" " " output "${output}")
    if(expected STREQUAL "PASS")
        if(NOT result EQUAL 0)
            message(SEND_ERROR "${name}: refused, but should pass: ${output}")
        endif()
    else()
        string(FIND "${output}" "${expected}" at)
        if(result EQUAL 0 OR at EQUAL -1)
            message(SEND_ERROR "${name}: expected a refusal with '${expected}', got (${result}) ${output}")
        endif()
    endif()
endforeach()
