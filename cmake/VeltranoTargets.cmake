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
  set(VELTRANO_WIN32_DEFINITIONS WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  target_compile_definitions(veltrano_options INTERFACE ${VELTRANO_WIN32_DEFINITIONS})
  if(MINGW)
    # A missing libstdc++ DLL fails silently under Wine: link the runtimes in.
    target_link_options(veltrano_options INTERFACE -static -static-libgcc -static-libstdc++)
    # Each function in a section of its own, so that the linker drops what
    # nothing calls; the tests link the same way as the deliverables. Not
    # -fdata-sections: for Windows targets GCC then puts zero-initialised
    # objects into .data$ sections, which take their full size in the file
    # (the options record and its copy, 3 MB each, would be stored as zeros).
    target_compile_options(veltrano_options INTERFACE -ffunction-sections)
    target_link_options(veltrano_options INTERFACE -Wl,--gc-sections)
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

# veltrano_test(name [PURE|PORTABLE] SOURCES ... [DEPS ...])
# PURE tests run natively only; PORTABLE ones natively and under Wine; the
# others are Win32 tests that run under Wine through the cross-compiling
# emulator. Every test that runs a Windows program carries the label "wine"
# (VELTRANO_WINE_LABEL): the static checks are the others.
set(VELTRANO_WINE_LABEL wine)
function(veltrano_test name)
  cmake_parse_arguments(A "PURE;PORTABLE" "" "SOURCES;DEPS" ${ARGN})
  if(NOT VELTRANO_RUN_TESTS)
    return()
  endif()
  if(A_PURE AND WIN32)
    return()
  endif()
  if(NOT A_PURE AND NOT A_PORTABLE AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE veltrano_options test_support ${A_DEPS} GTest::gtest_main)
  if(WIN32)
    # One CTest entry per program: discovery would start Wine at build time.
    # CTest would count a program whose tests were skipped as passed; a skip
    # is a test that did not run, so it fails the program.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 FAIL_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
      LABELS ${VELTRANO_WINE_LABEL})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Static checks of a built Windows program or library: CTest tests that read
# the file with objdump, so they run in the 32-bit build too.
set(VELTRANO_CHECK_BINARY ${CMAKE_CURRENT_LIST_DIR}/check-binary.cmake)

# One CTest test that runs check-binary.cmake's CHECK on the target's file
# with the values given as a comma-separated VALUE.
function(veltrano_add_binary_check target check key)
  if(NOT VELTRANO_TESTS OR NOT WIN32 OR NOT CMAKE_OBJDUMP)
    return()
  endif()
  list(JOIN ARGN "," values)
  add_test(NAME ${target}_${check}
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DBINARY=$<TARGET_FILE:${target}>
            -DCHECK=${check} "-D${key}=${values}" -P ${VELTRANO_CHECK_BINARY})
endfunction()

# veltrano_check_imports(target [ALLOW dll...])
# The target imports libraries of Windows only, and the DLLs named (a
# program's own hook library); never a compiler runtime or zlib DLL.
function(veltrano_check_imports target)
  cmake_parse_arguments(A "" "" "ALLOW" ${ARGN})
  veltrano_add_binary_check(${target} imports ALLOW ${A_ALLOW})
endfunction()

# veltrano_check_exports(target EXPECT name...)
# The target exports exactly the names given.
function(veltrano_check_exports target)
  cmake_parse_arguments(A "" "" "EXPECT" ${ARGN})
  veltrano_add_binary_check(${target} exports EXPECT ${A_EXPECT})
endfunction()

# veltrano_deliverable(target)
# The target leaves the build as users download it: without symbols or debug
# sections. A build that makes debug information (Debug, RelWithDebInfo)
# keeps it beside the file in NAME.debug, which the file names for a
# debugger (.gnu_debuglink); test programs keep theirs in place.
function(veltrano_deliverable target)
  if(NOT MINGW OR NOT CMAKE_OBJCOPY)
    return()
  endif()
  set(file $<TARGET_FILE:${target}>)
  if(CMAKE_BUILD_TYPE MATCHES "^(Debug|RelWithDebInfo)$")
    set(debug_file ON)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${file}.debug ${file}
      VERBATIM)
  else()
    set(debug_file OFF)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --strip-all ${file}
      VERBATIM)
  endif()
  veltrano_add_binary_check(${target} stripped DEBUG_FILE ${debug_file})
endfunction()

# veltrano_write_library_links(file)
# Writes the build's library targets for the check of the layers
# (check-layers.cmake): each with the folders of its sources in the tree,
# "library: folder..." (the folder that makes it, for one without such
# sources), then the links between them, "library linked" a line. Called once
# every folder has made its targets.
function(veltrano_write_library_links file)
  set(folders ${PROJECT_SOURCE_DIR})
  set(folder_lines "")
  set(lines "")
  while(folders)
    list(POP_FRONT folders folder)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(NOT type MATCHES "LIBRARY$")
        continue()
      endif()
      get_target_property(sources ${target} SOURCES)
      set(source_folders "")
      foreach(source IN LISTS sources)
        if(source MATCHES "^\\$<")
          continue()  # objects of another target, or a generated list
        endif()
        get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${folder}")
        file(RELATIVE_PATH relative "${PROJECT_SOURCE_DIR}" "${source}")
        if(NOT relative MATCHES "^\\.\\./" AND EXISTS "${source}")
          get_filename_component(source_folder "${relative}" DIRECTORY)
          list(APPEND source_folders "${source_folder}")
        endif()
      endforeach()
      if(NOT source_folders)
        file(RELATIVE_PATH relative "${PROJECT_SOURCE_DIR}" "${folder}")
        if(NOT relative MATCHES "^\\.\\./")
          set(source_folders "${relative}")
        endif()
      endif()
      list(REMOVE_DUPLICATES source_folders)
      list(JOIN source_folders " " source_folders)
      list(APPEND folder_lines "${target}: ${source_folders}")
      get_target_property(links ${target} LINK_LIBRARIES)
      get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
      foreach(link IN LISTS links interface_links)
        if(link MATCHES "^\\$<LINK_ONLY:(.+)>$")
          set(link "${CMAKE_MATCH_1}")
        endif()
        if(NOT TARGET "${link}")
          continue()
        endif()
        get_target_property(aliased ${link} ALIASED_TARGET)
        if(aliased)
          set(link ${aliased})
        endif()
        get_target_property(imported ${link} IMPORTED)
        get_target_property(link_type ${link} TYPE)
        if(NOT imported AND link_type MATCHES "LIBRARY$")
          list(APPEND lines "${target} ${link}")
        endif()
      endforeach()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES lines)
  list(JOIN folder_lines "\n" text)
  list(JOIN lines "\n" link_text)
  string(APPEND text "\n${link_text}")
  file(WRITE "${file}" "${text}\n")
endfunction()
