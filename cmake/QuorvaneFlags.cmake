# SPDX-License-Identifier: MIT
# One place for compiler flags: every target links quorvane_flags.
add_library(quorvane_flags INTERFACE)
# Headers are included by their folder ("core/files.h").
target_include_directories(quorvane_flags INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(quorvane_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
if(QUORVANE_WERROR)
    target_compile_options(quorvane_flags INTERFACE -Werror)
endif()
if(QUORVANE_SANITIZE)
    target_compile_options(quorvane_flags INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(quorvane_flags INTERFACE -fsanitize=address,undefined)
endif()
