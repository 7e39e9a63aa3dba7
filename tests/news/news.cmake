find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(news_panel SOURCES ${CMAKE_CURRENT_LIST_DIR}/news_panel_test.cpp LIBS news orders Qt6::Test)
find_package(Qt6 REQUIRED COMPONENTS Network Widgets)
add_unit_test(qt_http_path SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt_http_path_test.cpp LIBS Qt6::Network Qt6::Widgets)
