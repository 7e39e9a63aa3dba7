if(TARGET reports)
  tc_bench(statement_memory_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/statement_memory_bench.cpp LIBS reports orders)
endif()
