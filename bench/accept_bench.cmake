tc_bench(accept_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/accept_bench.cpp LIBS async_socket platform)
