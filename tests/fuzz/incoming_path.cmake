# The session's decode path: frames, envelopes, compressed messages, login data.
add_fuzz_harness(incoming_path_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/incoming_path_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/incoming_path LIBS state)
