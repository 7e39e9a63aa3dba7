# The chart against the simulator, which the test starts itself.
if(TARGET trading-sim)
  add_unit_test(charts_sim SOURCES ${CMAKE_CURRENT_LIST_DIR}/chart_sim_test.cpp LIBS charts Qt6::Test)
  target_compile_definitions(charts_sim PRIVATE TRADING_SIM_PATH="$<TARGET_FILE:trading-sim>")
  add_dependencies(charts_sim trading-sim)
  set(env ${TC_TEST_ENV})
  list(TRANSFORM env REPLACE "^ASAN_OPTIONS=.*" "ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0")
  set_tests_properties(charts_sim PROPERTIES ENVIRONMENT "${env}")
endif()
