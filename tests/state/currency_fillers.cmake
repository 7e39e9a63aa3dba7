add_unit_test(state_currency_fillers SOURCES ${CMAKE_CURRENT_LIST_DIR}/currency_fillers_test.cpp LIBS state)
