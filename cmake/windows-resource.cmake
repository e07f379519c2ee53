# Windows: every program carries the icon, a version resource (product, version, what it is) and
# the application manifest (cmake/blx52.manifest), compiled by windres from an .rc made here.
set(BLX52_MANIFEST ${PROJECT_SOURCE_DIR}/cmake/blx52.manifest)
set(BLX52_PUBLISHER "BLX52 Configurator developers")

# The descriptions Explorer shows; other programs (tests, benchmarks) get a generic one.
set(blx52_description_blx52 "BLX52 Glowpanel Configurator")
set(blx52_description_blx52-cli "BLX52 Glowpanel command line: read, write, compare, pictures")
set(blx52_description_blx52-send "BLX52 Glowpanel: one command by hand")

function(blx52_add_windows_resource target)
    get_target_property(rc_name ${target} OUTPUT_NAME)
    if(NOT rc_name)
        set(rc_name ${target})
    endif()
    if(DEFINED blx52_description_${target})
        set(rc_description "${blx52_description_${target}}")
    else()
        set(rc_description "${target}, part of the BLX52 Glowpanel Configurator")
    endif()
    set(rc ${CMAKE_BINARY_DIR}/generated/rc/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES
        OBJECT_DEPENDS "${BLX52_ICO};${BLX52_MANIFEST}")
    target_sources(${target} PRIVATE ${rc})
    add_dependencies(${target} blx52-icons)
endfunction()

# Every executable below DIR and its subfolders.
function(blx52_add_windows_resources dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            blx52_add_windows_resource(${target})
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        blx52_add_windows_resources(${subdir})
    endforeach()
endfunction()
