# Settings answers (password change, account access map) and the demo registration answer.
add_fuzz_harness(settings_answers_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/settings_answers_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/settings_answers LIBS state
  OPTIONS -dict=${CMAKE_CURRENT_LIST_DIR}/settings_answers.dict)
