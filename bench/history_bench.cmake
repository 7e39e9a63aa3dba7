if(TARGET views)
  tc_bench(history_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/history_bench.cpp LIBS views orders)
endif()
