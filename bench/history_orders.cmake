tc_bench(history_orders_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/history_orders_bench.cpp LIBS state)
