add_unit_test(state_feed_session SOURCES ${CMAKE_CURRENT_LIST_DIR}/feed_session_test.cpp LIBS state TIMEOUT 120)
