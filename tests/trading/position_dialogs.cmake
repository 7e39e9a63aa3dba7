find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(trading_position_dialogs SOURCES ${CMAKE_CURRENT_LIST_DIR}/position_dialogs_test.cpp
              LIBS trading orders Qt6::Test)
