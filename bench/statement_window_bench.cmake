if(TARGET reports)
  tc_bench(statement_window_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/statement_window_bench.cpp LIBS reports orders)
endif()
