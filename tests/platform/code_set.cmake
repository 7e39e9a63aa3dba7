add_unit_test(platform_code_set ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/code_set_test.cpp LIBS platform)
