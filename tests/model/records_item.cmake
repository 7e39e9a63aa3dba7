add_unit_test(records_item SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_item.cpp LIBS model)
