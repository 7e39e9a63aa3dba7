# The login answers (18, 44, 47, 1019, 1028) through the session's dispatcher.
add_fuzz_harness(login_answers_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/login_answers_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/login_answers LIBS state
  OPTIONS -dict=${CMAKE_CURRENT_LIST_DIR}/login_answers.dict)
