# The layers, enforced: a file of a target may include the headers of that
# target and of the targets it links or depends on, and no others. The build
# writes which target owns which folder and what each one links, and checks
# every #include of src/ and tools/ against it (CheckLayers.cmake) whenever a
# source changes, so a layer violation stops the build.

function(magtune_collect_targets directory out)
    get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
        magtune_collect_targets("${subdirectory}" more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Every target that `target` links (publicly or privately) or depends on,
# directly or through others.
function(magtune_target_closure target out)
    set(seen "")
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending current)
        get_target_property(type ${current} TYPE)
        set(next "")
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(linked ${current} LINK_LIBRARIES)
            get_target_property(depends ${current} MANUALLY_ADDED_DEPENDENCIES)
            list(APPEND next ${linked} ${depends})
        endif()
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        list(APPEND next ${interface})
        foreach(item IN LISTS next)
            if(TARGET "${item}" AND NOT item IN_LIST seen AND NOT item MATCHES "::")
                list(APPEND seen ${item})
                list(APPEND pending ${item})
            endif()
        endforeach()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(magtune_add_layer_check)
    magtune_collect_targets("${PROJECT_SOURCE_DIR}/src" targets)
    if(NOT WIN32)  # (the tools are not built for Windows)
        magtune_collect_targets("${PROJECT_SOURCE_DIR}/tools" tool_targets)
        list(APPEND targets ${tool_targets})
    endif()
    set(manifest "")
    set(checked_files "")
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "LIBRARY|EXECUTABLE")
            continue()
        endif()
        get_target_property(source_dir ${target} SOURCE_DIR)
        get_target_property(sources ${target} SOURCES)
        set(files "")
        foreach(source IN LISTS sources)
            if(source MATCHES "\\.(cpp|h)$" AND NOT source MATCHES "_autogen/")
                get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${source_dir}")
                list(APPEND files "${source}")
            endif()
        endforeach()
        magtune_target_closure(${target} closure)
        list(JOIN files "," files_text)
        list(JOIN closure "," closure_text)
        string(APPEND manifest "${target}|${source_dir}|${files_text}|${closure_text}\n")
        list(APPEND checked_files ${files})
    endforeach()
    set(manifest_file "${PROJECT_BINARY_DIR}/layers.txt")
    file(WRITE "${manifest_file}.new" "${manifest}")
    file(COPY_FILE "${manifest_file}.new" "${manifest_file}" ONLY_IF_DIFFERENT)

    file(GLOB_RECURSE headers CONFIGURE_DEPENDS
        "${PROJECT_SOURCE_DIR}/src/*.h" "${PROJECT_SOURCE_DIR}/tools/*.h")
    set(stamp "${PROJECT_BINARY_DIR}/layers.checked")
    add_custom_command(OUTPUT "${stamp}"
        COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest_file} -DROOT=${PROJECT_SOURCE_DIR}
                -P "${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake"
        COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
        DEPENDS "${manifest_file}" "${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake"
                ${checked_files} ${headers}
        COMMENT "Checking that every subsystem includes only what it links"
        VERBATIM)
    add_custom_target(magtune_layers ALL DEPENDS "${stamp}")
endfunction()

magtune_add_layer_check()
