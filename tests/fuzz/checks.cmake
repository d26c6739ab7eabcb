# SPDX-License-Identifier: MIT
# The invariant checks, shared by the fuzz targets and the replay test; either
# folder may come first.
include_guard(GLOBAL)
add_library(quorvane_fuzz_checks STATIC
    ${CMAKE_CURRENT_LIST_DIR}/checks.h
    ${CMAKE_CURRENT_LIST_DIR}/recordscheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inicheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/decodercheck.cpp)
target_link_libraries(quorvane_fuzz_checks PUBLIC quorvane_feed quorvane_app_core PRIVATE quorvane_flags)
