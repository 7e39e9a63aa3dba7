# Chat answers (601 to 680) through the session's dispatcher and the resource download answer.
add_fuzz_harness(chat_answers_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/chat_answers_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/chat_answers LIBS state
  OPTIONS -dict=${CMAKE_CURRENT_LIST_DIR}/chat_answers.dict)
