add_unit_test(protocol_frame_decoder ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_decoder_test.cpp LIBS protocol)
