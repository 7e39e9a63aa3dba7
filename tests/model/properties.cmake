add_unit_test(model_properties SOURCES ${CMAKE_CURRENT_LIST_DIR}/properties_test.cpp LIBS model)
