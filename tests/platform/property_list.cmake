add_unit_test(platform_property_list SOURCES ${CMAKE_CURRENT_LIST_DIR}/property_list_test.cpp LIBS platform)
