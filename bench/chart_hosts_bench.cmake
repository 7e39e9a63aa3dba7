if(TARGET charts)
  tc_bench(chart_hosts_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/chart_hosts_bench.cpp LIBS charts)
endif()
