if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_pie_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/pie_window_test.cpp LIBS shell Qt6::Test)
endif()
