tc_bench(feed_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/feed_bench.cpp LIBS state)
