add_unit_test(state_session_queries SOURCES ${CMAKE_CURRENT_LIST_DIR}/session_queries_test.cpp LIBS state)
