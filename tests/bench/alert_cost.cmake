# alert_cost: the extension's cost per activateAlertItem:, printed (label "bench").
add_executable(alert_cost ${CMAKE_CURRENT_LIST_DIR}/alert_cost.cpp)
target_include_directories(alert_cost PRIVATE ${CMAKE_SOURCE_DIR}/platform
                                              ${CMAKE_SOURCE_DIR}/tests/substrate
                                              ${CMAKE_SOURCE_DIR}/substrate)
target_link_libraries(alert_cost PRIVATE ObjCRuntime MobileSubstrate VigilantPlatform ${CMAKE_DL_LIBS})
target_compile_definitions(alert_cost PRIVATE VIGILANT_SUBSTRATE_PATH="$<TARGET_FILE:VigilantSubstrate>")
add_dependencies(alert_cost VigilantSubstrate)
add_test(NAME alert_cost COMMAND alert_cost)
set_tests_properties(alert_cost PROPERTIES LABELS bench TIMEOUT 300)
