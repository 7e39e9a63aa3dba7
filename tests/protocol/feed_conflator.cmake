add_unit_test(protocol_feed_conflator ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/feed_conflator_test.cpp LIBS protocol)
# Measures resident memory, so it is built without the sanitizers.
add_unsanitized_test(protocol_feed_stall SOURCES ${CMAKE_CURRENT_LIST_DIR}/feed_stall_test.cpp LIBS protocol TIMEOUT 120)
