add_unit_test(orders_order_requests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/order_requests_test.cpp ${CMAKE_CURRENT_LIST_DIR}/order_lists_test.cpp
  LIBS orders)
