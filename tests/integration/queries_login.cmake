if(TARGET trading-sim)
  add_unit_test(integration_queries_login SOURCES ${CMAKE_CURRENT_LIST_DIR}/queries_login_test.cpp
    LIBS state PkgConfig::ZMQ)
  target_compile_definitions(integration_queries_login PRIVATE TRADING_SIM_PATH="$<TARGET_FILE:trading-sim>")
  add_dependencies(integration_queries_login trading-sim)
  # See tests/protocol/connection_base.cmake for the Asio allocation mismatch.
  set_tests_properties(integration_queries_login PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:alloc_dealloc_mismatch=0:fast_unwind_on_malloc=0;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan_openssl.supp")
endif()
