add_unit_test(async_socket_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/gcd_async_socket_packets_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gcd_async_socket_connect_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gcd_async_socket_io_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gcd_async_socket_listen_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gcd_async_socket_tls_test.cpp
  LIBS async_socket platform)
