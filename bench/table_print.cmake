if(TARGET printing)
  tc_bench(table_print_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_print_bench.cpp LIBS printing)
endif()
