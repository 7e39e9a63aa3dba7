tc_bench(refdata_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/refdata_bench.cpp LIBS state)
