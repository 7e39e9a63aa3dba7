add_unit_test(records_funds SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_funds.cpp LIBS protocol)
