add_unit_test(records_order SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_order.cpp LIBS model)
