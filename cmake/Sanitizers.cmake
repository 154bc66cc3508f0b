if(QUILLSIFT_SANITIZE)
    # Memory measured in a sanitized run says nothing (the sanitizer keeps
    # what is freed a while): tests that measure it know.
    add_compile_definitions(QS_SANITIZED=1)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
option(QUILLSIFT_TSAN "Build with ThreadSanitizer" OFF)
if(QUILLSIFT_TSAN)
    add_compile_definitions(QS_SANITIZED=1)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()
