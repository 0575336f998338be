# Cross-compiles for 64-bit Windows with MinGW-w64. The program is 32-bit; this build carries its tests on
# machines that cannot run 32-bit code (see scripts/test-arch).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUARN_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain-common.cmake)
