# What both MinGW-w64 cross builds share; the toolchain files set
# CMAKE_SYSTEM_PROCESSOR and VT_MINGW_TRIPLE, then include this.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${VT_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VT_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER  ${VT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The programs must load on Windows 2000 SP4: the headers declare nothing
# newer, so a later API is a compile error here rather than a missing entry
# point on a user's machine.
set(CMAKE_C_FLAGS_INIT   "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")

# The programs must start on a bare Windows: the compiler's own runtime
# (libgcc, libstdc++, winpthread) goes into each binary, so that only
# system DLLs and ondrel.dll are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# Release programs go out stripped: the runtime's own debugging sections
# would otherwise be four fifths of each file.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT    "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
