tc_bench(dispatch_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/dispatch_bench.cpp LIBS state)
