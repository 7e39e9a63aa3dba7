add_unit_test(state_item_index ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/item_index_test.cpp LIBS state)
