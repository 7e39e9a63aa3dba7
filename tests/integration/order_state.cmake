add_sim_test(integration_order_state SOURCES ${CMAKE_CURRENT_LIST_DIR}/order_state_test.cpp LIBS orders)
