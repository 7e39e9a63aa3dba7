tc_bench(rtf_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/rtf_bench.cpp LIBS model)
