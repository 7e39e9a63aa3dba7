add_unit_test(state_instrument_fillers ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/instrument_fillers_test.cpp LIBS state)
