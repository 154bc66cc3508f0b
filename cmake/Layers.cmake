# The layers of the program, lowest first. A layer's sources may include the
# headers of the layers below it, never those above:
#   common <- media <- tools <- search <- front ends (cli, forms, intro)
# quillsift_check_layer(FOLDER FORBIDDEN...) stops the configure step when a
# source or header in src/FOLDER includes "X/..." for a forbidden folder X,
# or, with NO_QT, any Qt header.
function(quillsift_check_layer folder)
    cmake_parse_arguments(ARG "NO_QT" "" "FORBIDDEN" ${ARGN})
    file(GLOB _files ${PROJECT_SOURCE_DIR}/src/${folder}/*.h ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
    list(JOIN ARG_FORBIDDEN "|" _up)
    foreach(_file IN LISTS _files)
        file(STRINGS ${_file} _includes REGEX "^[ \t]*#[ \t]*include")
        foreach(_line IN LISTS _includes)
            if(_up AND _line MATCHES "include[ \t]*[<\"](${_up})/")
                message(FATAL_ERROR "${_file} includes a header of a higher layer "
                                    "(${CMAKE_MATCH_1}/), against the direction "
                                    "common <- media <- tools <- search <- front ends: ${_line}")
            endif()
            if(ARG_NO_QT AND _line MATCHES "include[ \t]*[<\"]Q")
                message(FATAL_ERROR "${_file} is a core source and includes a Qt header: ${_line}")
            endif()
        endforeach()
    endforeach()
endfunction()

# quillsift_core_layer(TARGET FOLDER FORBIDDEN...): a static library of the
# core (no Qt), with the include check above.
function(quillsift_core_layer target folder)
    quillsift_check_layer(${folder} NO_QT FORBIDDEN ${ARGN})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PRIVATE quillsift_warnings)
endfunction()
