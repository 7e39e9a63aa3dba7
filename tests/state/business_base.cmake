add_unit_test(state_business_base SOURCES ${CMAKE_CURRENT_LIST_DIR}/business_base_test.cpp LIBS state)
