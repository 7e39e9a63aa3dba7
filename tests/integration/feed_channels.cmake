add_sim_test(integration_feed_channels SOURCES ${CMAKE_CURRENT_LIST_DIR}/feed_channels_test.cpp LIBS state)
