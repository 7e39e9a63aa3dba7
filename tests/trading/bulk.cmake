find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(trading_bulk SOURCES ${CMAKE_CURRENT_LIST_DIR}/offset_test.cpp ${CMAKE_CURRENT_LIST_DIR}/close_all_test.cpp
              LIBS trading orders Qt6::Test)
