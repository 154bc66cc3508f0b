# The command line starts once a search, and the listing stand-ins once a
# file: the C++ runtime is linked into them, since loading and relocating its
# shared library takes about a millisecond, most of such a start. Nothing
# they load is C++ (libarchive is linked in, and the rest are C libraries),
# so there is one runtime in the process. The window loads Qt, which brings
# the shared runtime, and keeps it. Sanitizer builds keep their own.
function(quillsift_quick_start target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND NOT QUILLSIFT_SANITIZE AND NOT QUILLSIFT_TSAN)
        target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
    endif()
endfunction()
