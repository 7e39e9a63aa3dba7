add_unit_test(model_utilities SOURCES ${CMAKE_CURRENT_LIST_DIR}/utilities_test.cpp LIBS model)
