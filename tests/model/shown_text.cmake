add_unit_test(model_shown_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/shown_text_test.cpp LIBS model)
