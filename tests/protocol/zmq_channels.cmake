add_unit_test(protocol_zmq_channels SOURCES ${CMAKE_CURRENT_LIST_DIR}/zmq_channels_test.cpp LIBS protocol TIMEOUT 120)
