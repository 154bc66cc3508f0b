# The include rules of the layers are in cmake/CheckLayers.cmake. The check
# runs on every build, before anything of src/ compiles, so that an include
# against the layers stops the build that brings it in, not only a configure.
add_custom_target(quillsift_layers
    COMMAND ${CMAKE_COMMAND} -DQUILLSIFT_SRC=${PROJECT_SOURCE_DIR}/src
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking the includes against the layers"
    VERBATIM)

# quillsift_after_layer_check(DIR): every target made in DIR or below it waits
# for the check. Only an order: a passing check rebuilds nothing.
function(quillsift_after_layer_check dir)
    get_property(_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(_target IN LISTS _targets)
        get_target_property(_type ${_target} TYPE)
        if(NOT _target STREQUAL "quillsift_layers" AND NOT _type STREQUAL "INTERFACE_LIBRARY")
            add_dependencies(${_target} quillsift_layers)
        endif()
    endforeach()
    get_property(_subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(_subdir IN LISTS _subdirs)
        quillsift_after_layer_check(${_subdir})
    endforeach()
endfunction()

# quillsift_core_layer(TARGET): a static library of the core, its headers
# found through src/.
function(quillsift_core_layer target)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PRIVATE quillsift_warnings)
endfunction()
