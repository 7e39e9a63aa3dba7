# The display rule for server texts, on UTF-8 and on UTF-16.
add_fuzz_harness(shown_text_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/shown_text_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/shown_text LIBS model)
