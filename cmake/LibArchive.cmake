# libarchive, linked in statically where the static library is there: the
# shared one brings its whole tree of libraries (ICU through libxml2 among
# them) into every start of the command line, about a millisecond each time,
# for readers and writers the programs never use. Linked statically, only
# the objects a program calls come in, and with --as-needed only the
# libraries those need: the archive writers of the sample builders need the
# XML library, the programs that only read archives do not.
find_package(LibArchive REQUIRED)
find_library(QUILLSIFT_LIBARCHIVE_STATIC NAMES libarchive.a)
add_library(quillsift_libarchive INTERFACE)
if(QUILLSIFT_LIBARCHIVE_STATIC)
    find_package(LibXml2 REQUIRED)
    set(_needed)
    foreach(_lib nettle lzma zstd bz2 z)
        find_library(QUILLSIFT_LIB_${_lib} NAMES ${_lib} REQUIRED)
        list(APPEND _needed ${QUILLSIFT_LIB_${_lib}})
    endforeach()
    add_library(quillsift_libarchive_static STATIC IMPORTED)
    set_target_properties(quillsift_libarchive_static PROPERTIES
        IMPORTED_LOCATION ${QUILLSIFT_LIBARCHIVE_STATIC}
        INTERFACE_INCLUDE_DIRECTORIES "${LibArchive_INCLUDE_DIRS}"
        INTERFACE_LINK_LIBRARIES "${_needed};LibXml2::LibXml2")
    target_link_libraries(quillsift_libarchive INTERFACE quillsift_libarchive_static)
    add_link_options(LINKER:--as-needed)
else()
    target_link_libraries(quillsift_libarchive INTERFACE LibArchive::LibArchive)
endif()
