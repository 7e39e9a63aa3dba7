add_sim_test(integration_order_requests SOURCES ${CMAKE_CURRENT_LIST_DIR}/order_requests_test.cpp LIBS orders)
