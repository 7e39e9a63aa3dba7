# The de-framer and the field reader.
add_fuzz_harness(protocol_frame_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/frame_fuzz.cpp
  CORPUS ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/frame_decoder LIBS protocol)
