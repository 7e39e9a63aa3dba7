add_unit_test(platform_log SOURCES ${CMAKE_CURRENT_LIST_DIR}/log_test.cpp LIBS platform)
