# Cross build for Windows with the x86_64 MinGW-w64 toolchain: the same
# sources as the shipped i686 build, runnable here under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VT_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
