# Funds answers: pay-gate, approvals and the funds data-service answers.
add_fuzz_harness(funds_answers_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/funds_answers_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/funds_answers LIBS state
  OPTIONS -dict=${CMAKE_CURRENT_LIST_DIR}/funds_answers.dict)
