add_unit_test(model_decimal SOURCES ${CMAKE_CURRENT_LIST_DIR}/decimal_test.cpp LIBS model)
