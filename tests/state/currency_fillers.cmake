add_unit_test(state_currency_fillers ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/currency_fillers_test.cpp LIBS state)
