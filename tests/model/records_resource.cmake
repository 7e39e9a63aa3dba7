add_unit_test(records_resource SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_resource.cpp LIBS model)
