find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(charts_controller SOURCES ${CMAKE_CURRENT_LIST_DIR}/chart_controller_test.cpp LIBS charts Qt6::Test)
add_unit_test(charts_render SOURCES ${CMAKE_CURRENT_LIST_DIR}/chart_render_test.cpp ${CMAKE_CURRENT_LIST_DIR}/plot_space_test.cpp
              LIBS charts Qt6::Test)
add_unit_test(charts_indicators SOURCES ${CMAKE_CURRENT_LIST_DIR}/indicator_chart_test.cpp LIBS charts Qt6::Test)
add_unit_test(charts_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/chart_window_controller_test.cpp LIBS charts orders Qt6::Test)
add_unit_test(charts_pie SOURCES ${CMAKE_CURRENT_LIST_DIR}/pie_chart_test.cpp ${CMAKE_CURRENT_LIST_DIR}/legend_widths_test.cpp LIBS charts Qt6::Test)
