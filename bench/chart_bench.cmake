if(TARGET charts)
  tc_bench(chart_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/chart_bench.cpp LIBS charts)
endif()
