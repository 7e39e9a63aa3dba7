# Feed texts: ticks, depth and status.
add_fuzz_harness(feed_decoder_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/feed_decoder_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/feed_decoder LIBS state)
