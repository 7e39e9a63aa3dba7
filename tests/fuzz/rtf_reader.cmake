# RTF reader, and the writer read back.
add_fuzz_harness(rtf_reader_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/rtf_reader_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/rtf_reader LIBS model)
