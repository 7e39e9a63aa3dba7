tc_bench(protocol_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/protocol_bench.cpp LIBS protocol)
