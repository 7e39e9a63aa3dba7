tc_bench(pnl_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/pnl_bench.cpp LIBS state)
