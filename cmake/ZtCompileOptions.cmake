# Warnings and floating-point rules shared by every target of the project.
add_library(zt_options INTERFACE)
target_compile_options(zt_options INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                              -Wno-unused-parameter -ffp-contract=off>)
if(ZT_SANITIZE)
    target_compile_options(zt_options INTERFACE
        $<$<COMPILE_LANGUAGE:CXX>:-fsanitize=address,undefined -fno-omit-frame-pointer
                                  -fno-sanitize-recover=undefined>)
    # The checking build keeps assertions on (index checks of the host's
    # arrays and the like), whatever the build type says.
    target_compile_options(zt_options INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-UNDEBUG>)
    target_link_options(zt_options INTERFACE -fsanitize=address,undefined)
endif()
