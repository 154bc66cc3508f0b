# Runs the layer check (CHECK) on small source trees made here: a tree with one
# file of every layer, plus the one file of each case. A failing case must name
# its file and line and show the include; one in "no layer" must name its file;
# a passing one must pass the whole tree.
#
#   file under src/            | its include line                     | outcome
set(_cases
    "media/Reader.cpp          | #include \"../search/Matcher.h\"       | fail"
    "media/Reader.cpp          | #include \"../../src/search/Matcher.h\" | fail"
    "standins/c1541/main.cpp   | #include \"search/Matcher.h\"          | fail"
    "standins/tape64/main.cpp  | #include \"../../tools/ToolRunner.h\"  | fail"
    "standins/zip64/main.cpp   | #include <samples/DiskBuilder.h>     | fail"
    "common/Text.cpp           | #include <QString>                   | fail"
    "tools/sub/Deep.cpp        | #include \"../../search/Matcher.h\"    | fail"
    "cli/main.cpp              | #include \"../../tests/Fake.h\"        | fail"
    "newfolder/Thing.cpp       | #include <string>                    | no layer"
    "media/Reader.cpp          | #include \"../media/Signature.h\"      | pass"
    "media/Reader.cpp          | #include \"./Signature.h\"             | pass"
    "search/Matcher.cpp        | #include \"media/Reader.h\"            | pass"
    "standins/c1541/main.cpp   | #include \"../codec/GcrDecoder.h\"     | pass"
    "forms/MainWindow.cpp      | #include <QWidget>                   | pass")

# The clean tree every case starts from.
set(_base
    "common/Text.h|#include <string>"
    "media/Signature.h|#include \"common/Text.h\""
    "tools/ToolRunner.h|#include \"media/Signature.h\""
    "search/Matcher.h|#include \"tools/ToolRunner.h\""
    "cli/CliView.h|#include \"search/Matcher.h\""
    "forms/MainWindow.h|#include \"search/Matcher.h\""
    "intro/Synth.h|#include \"common/Text.h\""
    "samples/DiskBuilder.h|#include \"standins/codec/GcrDecoder.h\""
    "standins/StandinSupport.h|#include \"common/Text.h\""
    "standins/codec/GcrDecoder.h|#include \"media/Signature.h\"")

if(DEFINED ENV{TMPDIR})
    set(_tmp $ENV{TMPDIR})
else()
    set(_tmp /tmp)
endif()
string(RANDOM LENGTH 10 _tag)
set(_root ${_tmp}/quillsift-layers-${_tag})

set(_failures)
foreach(_case IN LISTS _cases)
    string(REPLACE "|" ";" _cells "${_case}")
    list(TRANSFORM _cells STRIP)
    list(GET _cells 0 _file)
    list(GET _cells 1 _include)
    list(GET _cells 2 _expect)

    file(REMOVE_RECURSE ${_root})
    foreach(_entry IN LISTS _base)
        string(REPLACE "|" ";" _entry "${_entry}")
        list(GET _entry 0 _name)
        list(GET _entry 1 _line)
        file(WRITE ${_root}/src/${_name} "#pragma once\n${_line}\n")
    endforeach()
    file(WRITE ${_root}/src/${_file} "// ${_expect}\n\n${_include}\n")

    execute_process(COMMAND ${CMAKE_COMMAND} -DQUILLSIFT_SRC=${_root}/src -P ${CHECK}
                    RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
    if(_expect STREQUAL "pass")
        if(NOT _rc EQUAL 0)
            list(APPEND _failures "${_file} with ${_include} should pass:\n${_out}")
        endif()
    elseif(_expect STREQUAL "no layer")
        string(FIND "${_out}" "src/${_file}: in no layer" _named)
        if(_rc EQUAL 0 OR _named EQUAL -1)
            list(APPEND _failures "${_file} should fail as in no layer:\n${_out}")
        endif()
    else()
        string(FIND "${_out}" "src/${_file}:3: " _named)
        string(FIND "${_out}" "${_include}" _shown)
        if(_rc EQUAL 0 OR _named EQUAL -1 OR _shown EQUAL -1)
            list(APPEND _failures "${_file} with ${_include} should fail, naming both:\n${_out}")
        endif()
    endif()
endforeach()
file(REMOVE_RECURSE ${_root})

if(_failures)
    list(JOIN _failures "\n" _report)
    message(FATAL_ERROR "${_report}")
endif()
