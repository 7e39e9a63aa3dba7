add_unit_test(protocol_feed_pace ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/feed_pace_test.cpp LIBS protocol)
