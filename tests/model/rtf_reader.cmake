add_unit_test(model_rtf_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/rtf_reader_test.cpp LIBS model)
