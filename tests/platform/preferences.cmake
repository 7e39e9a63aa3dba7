add_unit_test(platform_preferences SOURCES ${CMAKE_CURRENT_LIST_DIR}/preferences_test.cpp LIBS platform)
