add_unit_test(model_base64 SOURCES ${CMAKE_CURRENT_LIST_DIR}/base64_test.cpp LIBS model)
