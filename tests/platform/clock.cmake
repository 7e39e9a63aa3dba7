add_unit_test(platform_clock SOURCES ${CMAKE_CURRENT_LIST_DIR}/clock_test.cpp LIBS platform)
