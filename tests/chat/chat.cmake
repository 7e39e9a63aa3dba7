find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(chat_resources_view SOURCES ${CMAKE_CURRENT_LIST_DIR}/resources_view_test.cpp LIBS chat orders Qt6::Test)
add_unit_test(chat_texts_shown SOURCES ${CMAKE_CURRENT_LIST_DIR}/chat_texts_shown_test.cpp LIBS chat orders Qt6::Test)
add_unit_test(chat_message_table SOURCES ${CMAKE_CURRENT_LIST_DIR}/message_table_test.cpp LIBS chat Qt6::Test)
