add_unit_test(protocol_connection_base SOURCES ${CMAKE_CURRENT_LIST_DIR}/connection_base_test.cpp LIBS protocol)
