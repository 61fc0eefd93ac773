# SPDX-License-Identifier: MIT
# 64-bit Windows with Debian's MinGW-w64 compilers of the posix thread model
# (the win32 model has no std::thread or std::mutex). Every program is linked
# statically, so that it needs only the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NDXU_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NDXU_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NDXU_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NDXU_MINGW_TRIPLE}-windres)

# Libraries and headers of the target only; programs (windres, makensis) of
# the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${NDXU_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
