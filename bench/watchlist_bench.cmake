if(TARGET views)
  tc_bench(watchlist_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/watchlist_bench.cpp LIBS views orders)
endif()
