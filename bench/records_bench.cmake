tc_bench(records_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_bench.cpp LIBS model)
