find_package(Qt6 REQUIRED COMPONENTS Test)

add_unit_test(views_watchlist SOURCES ${CMAKE_CURRENT_LIST_DIR}/watchlist_table_test.cpp LIBS views orders Qt6::Test)
add_unit_test(views_position_tables SOURCES ${CMAKE_CURRENT_LIST_DIR}/position_tables_test.cpp LIBS views orders Qt6::Test)
add_unit_test(views_history_tables SOURCES ${CMAKE_CURRENT_LIST_DIR}/history_tables_test.cpp LIBS views orders Qt6::Test)
add_unit_test(views_table_reloads SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_reloads_test.cpp LIBS views orders Qt6::Test)
add_unit_test(views_lists SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_table_test.cpp LIBS views orders Qt6::Test)
add_unit_test(views_detail_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/detail_window_test.cpp LIBS views orders Qt6::Test)
