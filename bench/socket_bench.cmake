tc_bench(socket_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/socket_bench.cpp LIBS async_socket platform)
