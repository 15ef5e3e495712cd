# Common compile settings and small helpers shared by every folder.

if(MSVC)
  set(VELTRANO_WARNINGS /W4 /WX)
else()
  set(VELTRANO_WARNINGS -Wall -Wextra -Werror -Wno-cast-function-type)
endif()

add_library(veltrano_options INTERFACE)
target_compile_options(veltrano_options INTERFACE ${VELTRANO_WARNINGS})
target_include_directories(veltrano_options INTERFACE ${PROJECT_SOURCE_DIR})
if(WIN32)
  # ANSI Win32 throughout; Windows 7 APIs are the floor.
  target_compile_definitions(veltrano_options INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  if(MINGW)
    # A missing libstdc++ DLL fails silently under Wine: link the runtimes in.
    target_link_options(veltrano_options INTERFACE -static -static-libgcc -static-libstdc++)
  endif()
endif()
if(VELTRANO_SANITIZE AND NOT WIN32)
  target_compile_options(veltrano_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(veltrano_options INTERFACE -fsanitize=address,undefined)
endif()

# veltrano_library(name [PURE] SOURCES ... [DEPS ...])
# PURE libraries include no <windows.h> and build on every platform.
function(veltrano_library name)
  cmake_parse_arguments(A "PURE" "" "SOURCES;DEPS" ${ARGN})
  if(NOT A_PURE AND NOT WIN32)
    return()
  endif()
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC veltrano_options ${A_DEPS})
endfunction()

# veltrano_test(name [PURE] SOURCES ... [DEPS ...])
# PURE tests run natively only; the others are Win32 tests that run under
# wine64 through the cross-compiling emulator.
function(veltrano_test name)
  cmake_parse_arguments(A "PURE" "" "SOURCES;DEPS" ${ARGN})
  if(NOT VELTRANO_RUN_TESTS)
    return()
  endif()
  if(A_PURE AND WIN32)
    return()
  endif()
  if(NOT A_PURE AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE veltrano_options ${A_DEPS} GTest::gtest_main)
  if(WIN32)
    # One CTest entry per program: discovery would start Wine at build time.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
