if(TARGET shell AND TARGET views)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_lists_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_window_test.cpp
               LIBS shell views trading Qt6::Test)
endif()
