# Cross-compiles the Windows programs for 32-bit Windows with Debian's
# MinGW-w64: the build a station gets, as it runs on 32-bit and 64-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
