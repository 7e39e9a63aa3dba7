add_unit_test(xml_reader ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml_reader.cpp LIBS protocol)
