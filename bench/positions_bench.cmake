if(TARGET views)
  tc_bench(positions_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/positions_bench.cpp LIBS views orders)
endif()
