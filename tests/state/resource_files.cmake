add_unit_test(state_resource_files SOURCES ${CMAKE_CURRENT_LIST_DIR}/resource_files_test.cpp LIBS state)
