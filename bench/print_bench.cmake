if(TARGET reports)
  tc_bench(print_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_bench.cpp LIBS reports orders)
endif()
