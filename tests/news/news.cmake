find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(news_panel SOURCES ${CMAKE_CURRENT_LIST_DIR}/news_panel_test.cpp LIBS news orders Qt6::Test)
