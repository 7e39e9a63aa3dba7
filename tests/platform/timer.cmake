add_unit_test(platform_timer SOURCES ${CMAKE_CURRENT_LIST_DIR}/timer_test.cpp LIBS platform)
