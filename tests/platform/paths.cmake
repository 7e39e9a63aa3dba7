add_unit_test(platform_paths SOURCES ${CMAKE_CURRENT_LIST_DIR}/paths_test.cpp LIBS platform)
