add_unit_test(platform_main_executor SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_executor_test.cpp LIBS platform)
