find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(trading_ticket_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/trade_ticket_test.cpp LIBS trading orders Qt6::Test)
