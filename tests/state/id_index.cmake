add_unit_test(state_id_index ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/id_index_test.cpp LIBS state)
