add_unit_test(state_price_feed ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/price_feed_test.cpp LIBS state)
