add_unit_test(state_ticked_instruments ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/ticked_instruments_test.cpp LIBS state)
