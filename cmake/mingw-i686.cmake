# Cross build for Windows with the i686 MinGW-w64 toolchain: the PE32
# executables users get.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
