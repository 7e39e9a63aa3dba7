add_unit_test(state_feed_session SOURCES ${CMAKE_CURRENT_LIST_DIR}/feed_session_test.cpp LIBS state TIMEOUT 120)
# See tests/protocol/connection_base.cmake for the Asio allocation mismatch.
set_tests_properties(state_feed_session PROPERTIES ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:alloc_dealloc_mismatch=0")
