add_unit_test(platform_reachability SOURCES ${CMAKE_CURRENT_LIST_DIR}/reachability_test.cpp LIBS platform)
