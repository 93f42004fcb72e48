# The control app's benchmarks: start to the first frame beside a minimal Qt window, and
# isDaemonRunning over a listing of 10,000 jobs (label "bench").
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_executable(app_minimal_window ${CMAKE_CURRENT_LIST_DIR}/app_minimal_window.cpp
                                  ${CMAKE_SOURCE_DIR}/platform/ui/FirstFrame.cpp)
target_include_directories(app_minimal_window PRIVATE ${CMAKE_SOURCE_DIR}/platform/ui)
target_link_libraries(app_minimal_window PRIVATE Qt6::Widgets)

add_executable(app_first_frame ${CMAKE_CURRENT_LIST_DIR}/app_first_frame.cpp)
target_link_libraries(app_first_frame PRIVATE SimTestSupport)
target_compile_definitions(app_first_frame PRIVATE
                           MINIMAL_WINDOW="$<TARGET_FILE:app_minimal_window>")
add_dependencies(app_first_frame app_minimal_window)
add_test(NAME app_first_frame COMMAND app_first_frame)
set_tests_properties(app_first_frame PROPERTIES LABELS bench TIMEOUT 600)

add_executable(app_is_daemon_running ${CMAKE_CURRENT_LIST_DIR}/app_is_daemon_running.cpp
                                     ${CMAKE_SOURCE_DIR}/tests/app/AppHarness.cpp)
target_include_directories(app_is_daemon_running PRIVATE ${CMAKE_SOURCE_DIR}/tests/app
                                                         ${CMAKE_SOURCE_DIR}/substrate)
target_link_libraries(app_is_daemon_running PRIVATE VigilantApp VigilantUIInternals
                                                    VigilantTestPlatform GTest::gtest)
target_compile_definitions(app_is_daemon_running PRIVATE
                           VIGILANT_APP_RESOURCES="${CMAKE_SOURCE_DIR}/app/resources")
set_target_properties(app_is_daemon_running PROPERTIES BUILD_RPATH ${VIGILANT_FIRMWARE}/usr/lib)
add_test(NAME app_is_daemon_running COMMAND app_is_daemon_running)
set_tests_properties(app_is_daemon_running PROPERTIES LABELS bench TIMEOUT 600)
