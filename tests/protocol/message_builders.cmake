add_unit_test(protocol_message_builders ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/message_builders.cpp LIBS protocol)
