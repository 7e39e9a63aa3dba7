add_unit_test(state_data_service SOURCES ${CMAKE_CURRENT_LIST_DIR}/data_service_test.cpp LIBS state)
