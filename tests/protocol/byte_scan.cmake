add_unit_test(protocol_byte_scan ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/byte_scan_test.cpp LIBS protocol)
