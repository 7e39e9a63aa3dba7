add_unit_test(model_language_string SOURCES ${CMAKE_CURRENT_LIST_DIR}/language_string_test.cpp LIBS model)
