# The round trip of one sleep question on a booted simulated device, beside a bare Unix-socket
# echo: a plain program printing its figures (label "bench").
add_executable(power_roundtrip ${CMAKE_CURRENT_LIST_DIR}/power_roundtrip.cpp)
target_link_libraries(power_roundtrip PRIVATE SimE2ESupport SimProtocol)
add_test(NAME power_roundtrip COMMAND power_roundtrip)
set_tests_properties(power_roundtrip PROPERTIES LABELS bench TIMEOUT 300)
