add_unit_test(model_login_inputdata SOURCES ${CMAKE_CURRENT_LIST_DIR}/login_inputdata_test.cpp LIBS model)
