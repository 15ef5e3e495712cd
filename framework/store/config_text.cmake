# Key=value serializer of the options and the older tagged-field reader.
veltrano_library(framework_config_text PURE SOURCES ${CMAKE_CURRENT_LIST_DIR}/config_text.cpp)

veltrano_test(framework_config_text_test PURE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/config_text_test.cpp
  DEPS framework_config_text)

if(VELTRANO_FUZZ)
  target_compile_options(framework_config_text PRIVATE -fsanitize=fuzzer-no-link)
  foreach(target config_text_lookup_fuzz tagged_field_fuzz)
    add_executable(${target} ${CMAKE_CURRENT_LIST_DIR}/fuzz/${target}.cpp)
    target_link_libraries(${target} PRIVATE framework_config_text)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()
