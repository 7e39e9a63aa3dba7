add_sim_test(integration_order_placement SOURCES ${CMAKE_CURRENT_LIST_DIR}/order_placement_test.cpp LIBS orders)
