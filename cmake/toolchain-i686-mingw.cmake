# Cross-compiles for 32-bit Windows with MinGW-w64: the program as it ships.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUARN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain-common.cmake)
