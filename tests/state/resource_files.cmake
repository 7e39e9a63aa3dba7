add_unit_test(state_resource_files ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/resource_files_test.cpp LIBS state)
