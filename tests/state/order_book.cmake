add_unit_test(state_order_book SOURCES ${CMAKE_CURRENT_LIST_DIR}/order_book_test.cpp LIBS state)
