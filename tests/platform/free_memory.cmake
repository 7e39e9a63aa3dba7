add_unit_test(platform_free_memory SOURCES ${CMAKE_CURRENT_LIST_DIR}/free_memory_test.cpp LIBS platform)
