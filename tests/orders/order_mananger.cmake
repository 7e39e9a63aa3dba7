add_unit_test(orders_order_mananger SOURCES ${CMAKE_CURRENT_LIST_DIR}/order_mananger_test.cpp LIBS orders)
add_unit_test(orders_order_rules SOURCES ${CMAKE_CURRENT_LIST_DIR}/order_rules_test.cpp LIBS orders)
