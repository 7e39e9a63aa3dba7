find_package(Qt6 REQUIRED COMPONENTS Test)
add_unit_test(app_kit_executor SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt_main_executor_test.cpp LIBS app_kit Qt6::Test)
add_unit_test(app_kit_banners SOURCES ${CMAKE_CURRENT_LIST_DIR}/banner_test.cpp LIBS app_kit Qt6::Test)
add_unit_test(app_kit_controls SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp LIBS app_kit Qt6::Test)
