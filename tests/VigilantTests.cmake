# vigilant_add_test_program(NAME SOURCES ... LABEL unit|e2e|bench TIMEOUT SECONDS
#                           [LIBRARIES ...] [DEFINITIONS ...] [DEPENDS ...] [INCLUDES ...]
#                           [ENVIRONMENT ...] [PREFIX TEXT] [PLAIN] [FIRMWARE_RPATH])
#
# Builds one test program and registers its tests with CTest under one label and timeout, so
# `ctest -L LABEL` finds every program of its kind. A GoogleTest program's tests are discovered
# one by one (PREFIX goes before their names); PLAIN registers the program as a single test
# (benchmarks, tools). FIRMWARE_RPATH lets the program find the device's libraries in the build
# tree's firmware, as device programs do.
function(vigilant_add_test_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PLAIN;FIRMWARE_RPATH" "LABEL;TIMEOUT;PREFIX"
                        "SOURCES;LIBRARIES;DEFINITIONS;DEPENDS;INCLUDES;ENVIRONMENT")
  if(NOT arg_LABEL OR NOT arg_TIMEOUT)
    message(FATAL_ERROR "vigilant_add_test_program(${name}): LABEL and TIMEOUT are required")
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
  if(arg_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  endif()
  if(arg_INCLUDES)
    target_include_directories(${name} PRIVATE ${arg_INCLUDES})
  endif()
  if(arg_DEPENDS)
    add_dependencies(${name} ${arg_DEPENDS})
  endif()
  if(arg_FIRMWARE_RPATH)
    set_target_properties(${name} PROPERTIES BUILD_RPATH ${VIGILANT_FIRMWARE}/usr/lib)
  endif()
  if(arg_PLAIN)
    add_test(NAME ${arg_PREFIX}${name} COMMAND ${name})
    set_tests_properties(${arg_PREFIX}${name} PROPERTIES LABELS ${arg_LABEL} TIMEOUT ${arg_TIMEOUT})
    if(arg_ENVIRONMENT)
      set_tests_properties(${arg_PREFIX}${name} PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
    endif()
  else()
    set(properties LABELS ${arg_LABEL} TIMEOUT ${arg_TIMEOUT})
    if(arg_ENVIRONMENT)
      list(APPEND properties ENVIRONMENT "${arg_ENVIRONMENT}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${arg_PREFIX}"
                         PROPERTIES ${properties})
  endif()
endfunction()
