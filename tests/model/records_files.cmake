add_unit_test(records_files SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_files.cpp LIBS model)
