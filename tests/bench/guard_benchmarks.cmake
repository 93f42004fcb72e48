# The sleep guard's benchmarks: wakeups per hour, resident memory over 30 days, and the time to
# answer a sleep question. Each is a plain program printing its figures (label "bench").
add_executable(guard_minimal ${CMAKE_CURRENT_LIST_DIR}/guard_minimal.cpp)

foreach(bench guard_wakeups guard_memory guard_answer_latency)
  add_executable(${bench} ${CMAKE_CURRENT_LIST_DIR}/${bench}.cpp)
  target_include_directories(${bench} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(${bench} PRIVATE VigilantDaemon VigilantTestPlatform)
  target_compile_definitions(${bench} PRIVATE SBS_LIBRARY="$<TARGET_FILE:SpringBoardServices>"
                             MINIMAL_PROGRAM="$<TARGET_FILE:guard_minimal>")
  add_dependencies(${bench} SpringBoardServices guard_minimal)
  add_test(NAME ${bench} COMMAND ${bench})
  set_tests_properties(${bench} PROPERTIES LABELS bench TIMEOUT 600)
endforeach()
