add_unit_test(records_account SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_account.cpp LIBS model)
