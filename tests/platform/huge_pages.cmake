add_unit_test(platform_huge_pages SOURCES ${CMAKE_CURRENT_LIST_DIR}/huge_pages_test.cpp LIBS platform)
