add_unit_test(protocol_wire_format ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/wire_format.cpp LIBS protocol)
