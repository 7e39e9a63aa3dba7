add_unit_test(platform_serial_queue SOURCES ${CMAKE_CURRENT_LIST_DIR}/serial_queue_test.cpp LIBS platform)
