add_unit_test(platform_slice_budget ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/slice_budget_test.cpp LIBS platform)
