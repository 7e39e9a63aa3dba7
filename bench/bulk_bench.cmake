if(TARGET trading_core)
  tc_bench(bulk_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/bulk_bench.cpp LIBS trading_core orders)
endif()
