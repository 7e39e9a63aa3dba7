tc_bench(statement_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/statement_bench.cpp LIBS state)
