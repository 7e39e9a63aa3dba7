add_unit_test(model_language_string SOURCES ${CMAKE_CURRENT_LIST_DIR}/language_string_test.cpp LIBS model)
add_unit_test(model_string_tables SOURCES ${CMAKE_CURRENT_LIST_DIR}/string_tables_test.cpp LIBS model)
