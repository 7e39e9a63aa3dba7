tc_bench(queries_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/queries_bench.cpp LIBS state)
