tc_bench(tls_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/tls_bench.cpp LIBS async_socket platform OpenSSL::SSL)
