add_unit_test(records_history SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_history.cpp LIBS model)
