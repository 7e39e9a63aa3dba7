# The de-framer and the field reader; the harness reads at most 601 bytes.
add_fuzz_harness(protocol_frame_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/frame_fuzz.cpp
  CORPUS ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/frame_decoder LIBS protocol
  OPTIONS -max_len=601)
