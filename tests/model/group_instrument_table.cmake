add_unit_test(group_instrument_table SOURCES ${CMAKE_CURRENT_LIST_DIR}/group_instrument_table.cpp LIBS model)
