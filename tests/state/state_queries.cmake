add_unit_test(state_queries ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/state_queries_test.cpp LIBS state)
