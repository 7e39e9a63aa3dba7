add_unit_test(state_funds_answers SOURCES ${CMAKE_CURRENT_LIST_DIR}/funds_answers_test.cpp LIBS state)
