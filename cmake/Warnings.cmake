# Applied to every target of ours through quillsift_warnings.
add_library(quillsift_warnings INTERFACE)
target_compile_options(quillsift_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wimplicit-fallthrough)
if(QUILLSIFT_WERROR)
    target_compile_options(quillsift_warnings INTERFACE -Werror)
endif()
