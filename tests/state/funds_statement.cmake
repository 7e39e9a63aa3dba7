add_unit_test(state_funds_statement SOURCES ${CMAKE_CURRENT_LIST_DIR}/funds_statement_test.cpp LIBS state)
