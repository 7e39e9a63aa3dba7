find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(trading_offset SOURCES ${CMAKE_CURRENT_LIST_DIR}/offset_test.cpp LIBS trading orders Qt6::Test)
