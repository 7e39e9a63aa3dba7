add_unit_test(xml_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml_reader.cpp LIBS protocol)
