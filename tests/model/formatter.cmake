add_unit_test(model_formatter SOURCES ${CMAKE_CURRENT_LIST_DIR}/formatter_test.cpp LIBS model)
