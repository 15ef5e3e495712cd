# Checks the import or export table of a Windows program or library, or that
# it is stripped, as objdump prints them. Run in script mode:
#   cmake -DOBJDUMP=<objdump> -DBINARY=<file> -DCHECK=imports -DALLOW=<a.dll,b.dll> -P check-binary.cmake
#   cmake -DOBJDUMP=<objdump> -DBINARY=<file> -DCHECK=exports -DEXPECT=<name,name> -P check-binary.cmake
#   cmake -DOBJDUMP=<objdump> -DBINARY=<file> -DCHECK=stripped -DDEBUG_FILE=ON|OFF -P check-binary.cmake
# The table is written to a file next to the binary and read from there, one
# file per check: CTest runs the checks of one binary at the same time.
cmake_minimum_required(VERSION 3.20)

foreach(var OBJDUMP BINARY CHECK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check-binary: ${var} is not set")
  endif()
endforeach()

get_filename_component(name "${BINARY}" NAME)

# objdump_table(FILE OPTION... ): objdump's output for FILE in ${FILE}.${CHECK}.objdump.txt.
function(objdump_table file)
  set(table "${file}.${CHECK}.objdump.txt")
  execute_process(COMMAND "${OBJDUMP}" ${ARGN} "${file}" OUTPUT_FILE "${table}"
                  ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "check-binary: ${OBJDUMP} ${ARGN} ${file} failed (${status}): ${error}")
  endif()
  set(table "${table}" PARENT_SCOPE)
endfunction()

# The names of FILE's sections, and HAS_SYMS when it has a symbol table.
function(sections_of file out)
  objdump_table("${file}" -f -h)
  file(STRINGS "${table}" lines REGEX "HAS_SYMS|^ +[0-9]+ [^ ]+ ")
  set(result "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^ +[0-9]+ ([^ ]+) ")
      list(APPEND result "${CMAKE_MATCH_1}")
    elseif(line MATCHES "HAS_SYMS")
      list(APPEND result HAS_SYMS)
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

if(CHECK STREQUAL "stripped")
  # What users download carries neither a symbol table nor debug sections.
  # Where the build makes debug information, it is kept in NAME.debug beside
  # the file, which names it for a debugger (.gnu_debuglink).
  sections_of("${BINARY}" sections)
  set(debug "${sections}")
  list(FILTER debug INCLUDE REGEX "^(HAS_SYMS|\\.debug_.*)$")
  if(debug)
    list(JOIN debug " " debug)
    message(FATAL_ERROR "check-binary: ${name} is not stripped: ${debug}")
  endif()
  if(DEBUG_FILE)
    if(NOT ".gnu_debuglink" IN_LIST sections)
      message(FATAL_ERROR "check-binary: ${name} names no debug file (.gnu_debuglink)")
    endif()
    if(NOT EXISTS "${BINARY}.debug")
      message(FATAL_ERROR "check-binary: ${name}.debug is missing")
    endif()
    sections_of("${BINARY}.debug" kept)
    if(NOT ".debug_info" IN_LIST kept)
      message(FATAL_ERROR "check-binary: ${name}.debug holds no debug information")
    endif()
  endif()
  message(STATUS "${name} is stripped")
  return()
endif()

objdump_table("${BINARY}" -p)
# Only the lines read below: the import libraries' names, and the export
# names with their header.
file(STRINGS "${table}" lines
     REGEX "DLL Name: |^\\[Ordinal/Name Pointer\\] Table|^[ \t]*\\[ *[0-9]+\\] [^ ]+$")

if(CHECK STREQUAL "imports")
  # The libraries that are part of every Windows since 7. The MinGW runtime
  # libraries (libgcc_s, libstdc++, libwinpthread) and zlib1.dll are not:
  # they are linked in.
  set(system_dlls
    advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll dwmapi.dll gdi32.dll imm32.dll
    iphlpapi.dll kernel32.dll msimg32.dll msvcrt.dll ntdll.dll ole32.dll oleaut32.dll psapi.dll
    rpcrt4.dll secur32.dll setupapi.dll shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll
    version.dll winhttp.dll wininet.dll winmm.dll winspool.drv ws2_32.dll wtsapi32.dll)
  string(REPLACE "," ";" allowed "${ALLOW}")
  string(TOLOWER "${allowed}" allowed)
  set(imports "")
  set(foreign "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*DLL Name: (.+)$")
      string(STRIP "${CMAKE_MATCH_1}" dll)
      list(APPEND imports "${dll}")
      string(TOLOWER "${dll}" lower)
      if(NOT lower IN_LIST system_dlls AND NOT lower IN_LIST allowed AND NOT lower MATCHES "^api-ms-win-")
        list(APPEND foreign "${dll}")
      endif()
    endif()
  endforeach()
  if(NOT imports)
    message(FATAL_ERROR "check-binary: no import table found in ${name} (see ${table})")
  endif()
  if(foreign)
    list(JOIN foreign ", " foreign)
    message(FATAL_ERROR "check-binary: ${name} imports libraries that are not part of Windows: ${foreign}")
  endif()
  list(JOIN imports ", " imports)
  message(STATUS "${name} imports ${imports}")
elseif(CHECK STREQUAL "exports")
  string(REPLACE "," ";" expected "${EXPECT}")
  list(SORT expected)
  set(exports "")
  set(in_names OFF)
  foreach(line IN LISTS lines)
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
      set(in_names ON)
    elseif(in_names AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] ([^ ]+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(SORT exports)
  if(NOT exports STREQUAL expected)
    list(JOIN expected " " expected)
    list(JOIN exports " " exports)
    message(FATAL_ERROR "check-binary: ${name} exports differ from the expected set\n"
                        "  expected: ${expected}\n  actual:   ${exports}")
  endif()
  list(LENGTH exports count)
  message(STATUS "${name} exports exactly the ${count} expected names")
else()
  message(FATAL_ERROR "check-binary: unknown CHECK '${CHECK}'")
endif()
