add_unit_test(state_chat SOURCES ${CMAKE_CURRENT_LIST_DIR}/chat_test.cpp LIBS state)
