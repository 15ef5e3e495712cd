# Shared part of the mingw-w64 toolchains; VELTRANO_TRIPLET is set by the
# toolchain file that includes this one.
set(CMAKE_SYSTEM_NAME Windows)
# The -posix variants provide std::thread and std::mutex.
set(CMAKE_C_COMPILER ${VELTRANO_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRANO_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTRANO_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELTRANO_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
