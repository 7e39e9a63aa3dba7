add_unit_test(protocol_message_reader ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/message_reader.cpp LIBS protocol)
