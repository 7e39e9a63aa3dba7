if(TARGET charts)
  tc_bench(indicator_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/indicator_bench.cpp LIBS charts)
endif()
