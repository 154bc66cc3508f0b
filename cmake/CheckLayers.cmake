# The layers of the program, lowest first. A source may include the headers of
# its own layer and of those below it, never those above:
#   common <- media <- tools <- search <- front ends (cli, forms, intro)
# The stand-in programs (standins/) and the sample builders (samples/) sit
# beside them. The core may not include Qt at all.
#
# Usage: cmake -DQUILLSIFT_SRC=<src folder> -P cmake/CheckLayers.cmake
# Every build runs it (cmake/Layers.cmake); the tests run it on made-up trees.
#
# An include is judged by the folder of src/ it lands in. "X/..." and <X/...>
# are found through src/, the include root. A quoted path that climbs with ".."
# (or names a file beside the includer) is found from the including file's
# folder, as the compiler would: "../search/Foo.h" in media/ lands in search/.

# One row per folder of src/, its subfolders included (a subfolder with a row
# of its own follows that row): may it use Qt, and the folders it must not
# include from. A source of src/ under no row is an error, so that a new
# folder gets its rules when it is made, not when it first goes wrong.
set(_layers
    # folder   Qt   forbidden folders
    "common    no   media tools search cli forms intro standins samples"
    "media     no   tools search cli forms intro standins samples"
    "tools     no   search cli forms intro standins samples"
    "search    no   cli forms intro standins samples"
    "cli       yes  forms intro"
    # The about window sits beside the main window, not inside it.
    "intro     yes  forms cli"
    "forms     yes  cli"
    "samples   no   tools search cli forms intro"
    # c1541, tape64, their codecs and any stand-in to come read images the way
    # the media readers do; the search only runs them.
    "standins  no   tools search cli forms intro samples")

if(NOT QUILLSIFT_SRC)
    message(FATAL_ERROR "Usage: cmake -DQUILLSIFT_SRC=<src folder> -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
get_filename_component(_src "${QUILLSIFT_SRC}" ABSOLUTE)
set(_rules ${CMAKE_CURRENT_LIST_FILE})

set(_folders)
foreach(_row IN LISTS _layers)
    string(REGEX REPLACE "[ \t]+" ";" _cells "${_row}")
    list(POP_FRONT _cells _folder _qt)
    list(APPEND _folders ${_folder})
    set(_qt_${_folder} ${_qt})
    set(_forbidden_${_folder} ${_cells})
endforeach()

set(_problems)
# Records a broken rule as "file:line: why: the include line".
function(_layer_problem file line why)
    file(READ "${file}" _text)
    string(FIND "${_text}" "${line}" _at)
    string(SUBSTRING "${_text}" 0 ${_at} _before)
    string(REGEX MATCHALL "\n" _breaks "${_before}")
    list(LENGTH _breaks _lineno)
    math(EXPR _lineno "${_lineno} + 1")
    set(_problems ${_problems} "${file}:${_lineno}: ${why}: ${line}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE _files LIST_DIRECTORIES false
     "${_src}/*.h" "${_src}/*.hpp" "${_src}/*.cpp" "${_src}/*.cc")
foreach(_file IN LISTS _files)
    file(RELATIVE_PATH _rel "${_src}" "${_file}")
    # The most specific row wins.
    set(_layer "")
    foreach(_folder IN LISTS _folders)
        string(FIND "${_rel}" "${_folder}/" _at)
        string(LENGTH "${_folder}" _len)
        string(LENGTH "${_layer}" _best)
        if(_at EQUAL 0 AND _len GREATER _best)
            set(_layer ${_folder})
        endif()
    endforeach()
    if(NOT _layer)
        list(APPEND _problems "${_file}: in no layer (give its folder a row in ${_rules})")
        continue()
    endif()
    get_filename_component(_dir "${_file}" DIRECTORY)
    get_filename_component(_reldir "${_rel}" DIRECTORY)

    file(STRINGS "${_file}" _lines REGEX "^[ \t]*#[ \t]*include")
    foreach(_line IN LISTS _lines)
        if(NOT _line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)")
            continue() # an include of a macro: nothing to go by
        endif()
        set(_quoted ${CMAKE_MATCH_1})
        set(_path ${CMAKE_MATCH_2})
        if(_qt_${_layer} STREQUAL "no" AND _path MATCHES "^Q")
            _layer_problem("${_file}" "${_line}" "includes a Qt header, and ${_layer}/ is Qt-free")
        endif()
        if(_quoted STREQUAL "\"" AND (_path MATCHES "(^|/)\\.\\.?/" OR EXISTS "${_dir}/${_path}"))
            cmake_path(SET _lands NORMALIZE "${_reldir}/${_path}")
        else()
            cmake_path(SET _lands NORMALIZE "${_path}")
        endif()
        if(_lands MATCHES "^\\.\\.(/|$)")
            _layer_problem("${_file}" "${_line}" "reaches outside src/")
            continue()
        endif()
        foreach(_up IN LISTS _forbidden_${_layer})
            string(FIND "${_lands}" "${_up}/" _at)
            if(_at EQUAL 0)
                _layer_problem("${_file}" "${_line}"
                               "includes from ${_up}/, which ${_layer}/ must not use")
            endif()
        endforeach()
    endforeach()
endforeach()

if(_problems)
    foreach(_problem IN LISTS _problems)
        message("${_problem}")
    endforeach()
    list(LENGTH _problems _count)
    message(FATAL_ERROR "${_count} source(s) or include(s) against the layers "
                        "common <- media <- tools <- search <- cli, forms, intro; "
                        "the rules are in ${_rules}")
endif()
