add_unit_test(protocol_login_data_limits ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/login_data_limits_test.cpp LIBS protocol)
