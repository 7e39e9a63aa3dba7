add_unit_test(state_session_pieces ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/session_pieces_test.cpp LIBS state)
