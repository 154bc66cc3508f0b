# Applied to every target of ours through quillsift_warnings.
add_library(quillsift_warnings INTERFACE)
target_compile_options(quillsift_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wimplicit-fallthrough)
if(QUILLSIFT_WERROR)
    target_compile_options(quillsift_warnings INTERFACE -Werror)
endif()
# GCC 12 reports a false overlap (-Wrestrict) inside std::string's operator+
# when it inlines at -O3 (GCC bug 105651, fixed in GCC 13).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(quillsift_warnings INTERFACE -Wno-restrict)
endif()
