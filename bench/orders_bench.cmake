tc_bench(orders_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/orders_bench.cpp LIBS orders)
