add_unit_test(protocol_frame_decoder SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_decoder_test.cpp LIBS protocol)
