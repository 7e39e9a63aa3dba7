add_fuzz_harness(xml_reader_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/xml_reader_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/xml_reader LIBS protocol)
