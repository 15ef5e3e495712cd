set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELTRANO_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
# No emulator: 32-bit code cannot run on these machines.
